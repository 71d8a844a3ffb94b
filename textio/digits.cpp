// First-stage digit strings, three ways:
//  - the common case: the value scaled by a power of ten with one product
//    (at most 128 bits, no division) gives its first 18 digits truncated,
//    from which a string of any count up to 17 is rounded half up exactly;
//  - exact integer arithmetic in 128 bits, for every value whose significand
//    times the needed power of ten fits (all single-precision values from
//    about 1e-15 up, and short doubles): the value scaled by 10^s is split
//    into its integer part and the exact remainder, which decides half up;
//  - otherwise the standard library's correctly rounded conversion with
//    guard digits; the guard digits decide the rounding, and only when they
//    read exactly 5000... is the exact value compared with the midpoint.
#include "textio/digits.h"

#include <bit>
#include <charconv>
#include <cstring>

namespace textio::detail {
namespace {

constexpr int kGuardDigits = 9;

__extension__ typedef unsigned __int128 u128;  // GCC and Clang on 64-bit targets

struct Powers {
  u128 value[39];
  int bits[39];  // bit width of 10^i
  constexpr Powers() : value{}, bits{} {
    u128 p = 1;
    for (int i = 0; i < 39; ++i) {
      value[i] = p;
      int b = 0;
      for (u128 t = p; t != 0; t >>= 1) ++b;
      bits[i] = b;
      p *= 10;
    }
  }
};
constexpr Powers kPow10;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void write_digits(std::uint64_t v, int count, char* out) {
  int i = count;
  while (i >= 2) {
    const auto pair = static_cast<unsigned>(v % 100);
    v /= 100;
    i -= 2;
    out[i] = kDigitPairs[2 * pair];
    out[i + 1] = kDigitPairs[2 * pair + 1];
  }
  if (i == 1) out[0] = static_cast<char>('0' + v % 10);
}

int bit_width128(u128 v) {
  const auto high = static_cast<std::uint64_t>(v >> 64);
  if (high != 0) return 64 + std::bit_width(high);
  return std::bit_width(static_cast<std::uint64_t>(v));
}

constexpr std::uint64_t kTen17 = 100000000000000000u;
constexpr std::uint64_t kTen18 = 1000000000000000000u;

// 10^0 .. 10^19, the powers of ten below 2^64.
struct SmallPowers {
  std::uint64_t value[20];
  constexpr SmallPowers() : value{} {
    std::uint64_t p = 1;
    for (int i = 0; i < 20; ++i) {
      value[i] = p;
      if (i < 19) p *= 10;
    }
  }
};
constexpr SmallPowers kPow10u64;

// `digits` rounded half up at its last `drop` places: the kept part, plus one
// when the dropped part reaches one half of the last kept place.
std::uint64_t drop_rounded(std::uint64_t digits, int drop) {
  const std::uint64_t p = kPow10u64.value[drop];
  const std::uint64_t kept = digits / p;
  return kept + (digits - kept * p >= p / 2 ? 1 : 0);
}

// A finite, non-zero magnitude as m x 2^e with m odd.
struct BinaryValue {
  std::uint64_t m;
  int e;
  int m_bits;  // bit width of m
};

// False for zero, infinities and not-a-numbers.
bool decompose(double value, BinaryValue& out) {
  const auto bits = std::bit_cast<std::uint64_t>(value) & ~(std::uint64_t{1} << 63);
  const auto biased = static_cast<int>(bits >> 52);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  int e = 0;
  if (biased == 0) {
    if (m == 0) return false;
    e = -1074;
  } else if (biased == 0x7ff) {
    return false;
  } else {
    m |= std::uint64_t{1} << 52;
    e = biased - 1075;
  }
  const int zeros = std::countr_zero(m);
  out.m = m >> zeros;
  out.e = e + zeros;
  out.m_bits = std::bit_width(out.m);
  return true;
}

// The exact path; false when the numbers would not fit in 128 bits.
bool exact_digits(double value, int count, DigitString& out) {
  BinaryValue b{};
  if (!decompose(value, b)) return false;
  const std::uint64_t m = b.m;
  const int e = b.e;
  const int m_bits = b.m_bits;
  // 10^(k-1) <= value < 10^k; the estimate from the binary exponent is k or k-1.
  const int log2_floor = m_bits - 1 + e;
  int k = ((log2_floor * 78913) >> 18) + 1;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int s = count - k;  // value x 10^s has `count` integer digits
    u128 integer = 0;
    bool up = false;
    if (e >= 0) {
      if (m_bits + e > 127) return false;
      const u128 v = static_cast<u128>(m) << e;
      if (s >= 0) {
        if (s > 38 || bit_width128(v) + kPow10.bits[s] > 127) return false;
        integer = v * kPow10.value[s];
      } else {
        if (-s > 38) return false;
        const u128 p = kPow10.value[-s];
        integer = v / p;
        up = 2 * (v % p) >= p;
      }
    } else {
      const int q = -e;
      if (s < 0 || s > 38 || q > 126 || m_bits + kPow10.bits[s] > 127) return false;
      const u128 scaled = static_cast<u128>(m) * kPow10.value[s];
      integer = scaled >> q;
      up = ((scaled >> (q - 1)) & 1) != 0;  // the remainder is at least one half
    }
    if (integer >= kPow10.value[count]) {
      ++k;
      continue;
    }
    if (integer < kPow10.value[count - 1]) {
      --k;
      continue;
    }
    if (up && ++integer == kPow10.value[count]) {
      integer = kPow10.value[count - 1];
      ++k;
    }
    write_digits(static_cast<std::uint64_t>(integer), count, out.digit);
    out.k = k;
    return true;
  }
  return false;
}

}  // namespace

bool truncated_digits(double value, TruncatedDigits& out) {
  BinaryValue b{};
  if (!decompose(value, b)) return false;
  const std::uint64_t m = b.m;
  const int e = b.e;
  const int m_bits = b.m_bits;
  // 10^(k-1) <= value < 10^k with k == estimate or estimate + 1, so the value
  // times 10^(18 - estimate) lies in [10^17, 10^19): below 2^64.
  const int estimate = (((m_bits - 1 + e) * 78913) >> 18) + 1;
  const int s = 18 - estimate;
  if (s < 0) return false;
  std::uint64_t t = 0;
  if (e >= 0) {
    // An integer value, at least 1, so s <= 17 and every factor fits.
    t = (m << e) * static_cast<std::uint64_t>(kPow10.value[s]);
  } else {
    const int q = -e;
    if (s > 38 || q > 127 || m_bits + kPow10.bits[s] > 128) return false;
    const u128 scaled = static_cast<u128>(m) * kPow10.value[s];
    t = static_cast<std::uint64_t>(scaled >> q);  // the truncated scaled value
  }
  int k = estimate;
  if (t >= kTen18) {
    t /= 10;  // floor(floor(x) / 10) == floor(x / 10)
    ++k;
  }
  if (t < kTen17 || t >= kTen18) return false;  // not reached; kept as a guard
  out.digits = t;
  out.k = k;
  return true;
}

FirstStage first_stage_from_truncated(const TruncatedDigits& t, int count) {
  FirstStage f;
  f.count = count;
  f.zero = false;
  f.k = t.k;
  f.digits = drop_rounded(t.digits, TruncatedDigits::kDigits - count);
  if (f.digits == kPow10u64.value[count]) {  // 0.999.. became 1.000..
    f.digits = kPow10u64.value[count - 1];
    ++f.k;
  }
  return f;
}

FirstStage first_stage_of(const DigitString& s) {
  FirstStage f;
  f.count = s.count;
  f.k = s.k;
  f.zero = s.zero;
  for (int i = 0; i < s.count; ++i) {
    f.digits = f.digits * 10 + static_cast<std::uint64_t>(s.digit[i] - '0');
  }
  return f;
}

bool second_stage(const FirstStage& f, int keep, DigitString& out) {
  out.k = f.k;
  out.zero = f.zero;
  out.count = 0;
  if (f.zero || keep < 0) return false;
  std::uint64_t kept = f.digits;
  int count = f.count;
  if (keep < f.count) {
    kept = drop_rounded(f.digits, f.count - keep);
    count = keep;
    if (kept == kPow10u64.value[keep]) {
      // Carry out of the first digit: 0.999.. x 10^k becomes 0.1000.. x 10^(k+1),
      // and with keep == 0 a first digit of 5 or more becomes 0.1 x 10^(k+1).
      kept = 1;
      count = 1;
      ++out.k;
    }
  }
  if (kept == 0) return false;
  write_digits(kept, count, out.digit);
  out.count = count;
  return true;
}

bool round_half_up(DigitString& s, int keep) {
  if (s.zero) return false;
  if (keep >= s.count) return true;
  if (keep < 0) {
    std::memset(s.digit, '0', static_cast<std::size_t>(s.count));
    return false;
  }
  const bool up = s.digit[keep] >= '5';
  fill_short(s.digit + keep, '0', s.count - keep);
  if (!up) {
    for (int i = 0; i < keep; ++i) {
      if (s.digit[i] != '0') return true;
    }
    return false;
  }
  int i = keep - 1;
  while (i >= 0 && s.digit[i] == '9') s.digit[i--] = '0';
  if (i >= 0) {
    ++s.digit[i];
  } else {
    // Carry out of the first digit: 0.999.. x 10^k becomes 0.1000.. x 10^(k+1).
    s.digit[0] = '1';
    ++s.k;
  }
  return true;
}

void first_stage_digits(double value, int count, DigitString& out) {
  out.count = count;
  out.digit[count] = '\0';
  if (value < 0) value = -value;
  if (value == 0) {
    std::memset(out.digit, '0', static_cast<std::size_t>(count));
    out.k = 0;
    out.zero = true;
    return;
  }
  TruncatedDigits t;
  if (truncated_digits(value, t)) {
    const FirstStage f = first_stage_from_truncated(t, count);
    write_digits(f.digits, count, out.digit);
    out.k = f.k;
    out.zero = false;
    return;
  }
  out.zero = false;
  if (exact_digits(value, count, out)) return;
  // d.ddd...e+XXX with count + guard digits.
  char buf[64];
  const int total = count + kGuardDigits;
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, total - 1);
  const char* p = buf;
  char all[32];
  all[0] = *p++;
  ++p;  // the point
  for (int i = 1; i < total; ++i) all[i] = *p++;
  ++p;  // 'e'
  const bool negative_exponent = *p == '-';
  ++p;
  int exponent = 0;
  for (; p < r.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  if (negative_exponent) exponent = -exponent;
  out.k = exponent + 1;
  std::memcpy(out.digit, all, static_cast<std::size_t>(count));

  bool up;
  const char first_guard = all[count];
  if (first_guard != '5') {
    up = first_guard > '5';
  } else {
    bool rest_zero = true;
    for (int i = count + 1; i < total; ++i) {
      if (all[i] != '0') {
        rest_zero = false;
        break;
      }
    }
    if (!rest_zero) {
      up = true;
    } else {
      // A tie or a near tie in the guard digits: decide exactly.
      std::uint64_t d = 0;
      for (int i = 0; i < count; ++i) d = d * 10 + static_cast<std::uint64_t>(all[i] - '0');
      up = reaches_midpoint(value, d, out.k - count);
    }
  }
  if (up) {
    int i = count - 1;
    while (i >= 0 && out.digit[i] == '9') out.digit[i--] = '0';
    if (i >= 0) {
      ++out.digit[i];
    } else {
      out.digit[0] = '1';
      ++out.k;
    }
  }
}

}  // namespace textio::detail
