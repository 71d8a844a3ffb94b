// Exact comparison of a double with a decimal midpoint, used only when the
// fast digit generation cannot tell a tie from a near tie.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "textio/digits.h"

namespace textio::detail {
namespace {

// A fixed-size unsigned big integer; 64 limbs of 32 bits hold every product
// that the comparison of a double with a 17-digit midpoint needs (under 900 bits).
class BigInt {
 public:
  explicit BigInt(std::uint64_t v) {
    limb_[0] = static_cast<std::uint32_t>(v);
    limb_[1] = static_cast<std::uint32_t>(v >> 32);
    size_ = limb_[1] != 0 ? 2 : (limb_[0] != 0 ? 1 : 0);
  }
  void multiply(std::uint32_t m) {
    std::uint64_t carry = 0;
    for (int i = 0; i < size_; ++i) {
      const std::uint64_t p = static_cast<std::uint64_t>(limb_[i]) * m + carry;
      limb_[i] = static_cast<std::uint32_t>(p);
      carry = p >> 32;
    }
    if (carry != 0 && size_ < kLimbs) limb_[size_++] = static_cast<std::uint32_t>(carry);
  }
  void multiply_pow5(int n) {
    constexpr std::uint32_t kPow5_13 = 1220703125u;
    for (; n >= 13; n -= 13) multiply(kPow5_13);
    std::uint32_t rest = 1;
    for (; n > 0; --n) rest *= 5;
    multiply(rest);
  }
  void shift_left(int bits) {
    if (size_ == 0 || bits <= 0) return;
    const int whole = bits / 32;
    const int part = bits % 32;
    int new_size = size_ + whole + 1;
    if (new_size > kLimbs) new_size = kLimbs;
    for (int i = new_size - 1; i >= 0; --i) {
      const int src = i - whole;
      std::uint64_t v = 0;
      if (src >= 0 && src < size_) v = static_cast<std::uint64_t>(limb_[src]) << part;
      if (part != 0 && src - 1 >= 0 && src - 1 < size_) v |= limb_[src - 1] >> (32 - part);
      limb_[i] = static_cast<std::uint32_t>(v);
    }
    size_ = new_size;
    while (size_ > 0 && limb_[size_ - 1] == 0) --size_;
  }
  friend int compare(const BigInt& a, const BigInt& b) {
    if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
    for (int i = a.size_ - 1; i >= 0; --i) {
      if (a.limb_[i] != b.limb_[i]) return a.limb_[i] < b.limb_[i] ? -1 : 1;
    }
    return 0;
  }

 private:
  static constexpr int kLimbs = 64;
  std::uint32_t limb_[kLimbs] = {};
  int size_ = 0;
};

}  // namespace

bool reaches_midpoint(double value, std::uint64_t d, int t) {
  // |value| = m * 2^e exactly, with m an integer below 2^53.
  int e2 = 0;
  const double fraction = std::frexp(std::fabs(value), &e2);
  const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  e2 -= 53;
  // Compare m * 2^(e2+1) with (2d+1) * 2^t * 5^t, after moving every
  // negative power to the other side.
  int a2 = e2 + 1, b2 = t, a5 = 0, b5 = t;
  const int s2 = a2 < b2 ? a2 : b2;
  const int s5 = a5 < b5 ? a5 : b5;
  a2 -= s2;
  b2 -= s2;
  a5 -= s5;
  b5 -= s5;
  BigInt lhs(m);
  lhs.multiply_pow5(a5);
  lhs.shift_left(a2);
  BigInt rhs(2 * d + 1);
  rhs.multiply_pow5(b5);
  rhs.shift_left(b2);
  return compare(lhs, rhs) >= 0;
}

}  // namespace textio::detail
