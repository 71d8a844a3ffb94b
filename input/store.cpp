// The storing stage of usrinp: text, logical and numeric answers into the
// caller's storage, with ranges, loop placeholders and end markers.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "diag/diag.h"
#include "input/dcd.h"
#include "input/endmarks.h"
#include "input/keywords.h"
#include "input/loops.h"
#include "input/usrinp.h"

namespace input {

StoreState& store_state() {
  static StoreState state;
  return state;
}

namespace {

constexpr std::string_view kDoLoopError = "ERROR IN DO-LOOP";
constexpr std::string_view kExceeded = "NUMBER OF ARRAYELEMENTS EXCEEDED";
constexpr std::string_view kIllegalField = "ILLEGAL CHARACTERS IN NUMERIC ANSWER";
constexpr std::string_view kNoLoop = "NO ACTIVE DO-LOOP FOR $ OR &";
constexpr std::string_view kIntegerRange = "INTEGER VALUE OUT OF RANGE";

// Bytes of var that belong to the count elements, never more than var holds.
std::size_t storage_bytes(std::span<std::byte> var, std::int32_t count, std::int32_t len) {
  if (count <= 0 || len <= 0) return 0;
  const std::int64_t want = static_cast<std::int64_t>(count) * len;
  return std::min<std::size_t>(static_cast<std::size_t>(want), var.size());
}

StoreResult store_text(std::span<std::byte> var, std::size_t total, std::int32_t n) {
  // An answer longer than the storage is cut at its end.
  const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), total);
  std::memcpy(var.data(), bkey().text.data(), take);
  std::fill(var.begin() + static_cast<std::ptrdiff_t>(take), var.begin() + static_cast<std::ptrdiff_t>(total),
            std::byte{0});
  return StoreResult::Stored;
}

StoreResult store_logical(std::span<std::byte> var, std::size_t total, std::int32_t len) {
  const char first = bkey().text[0];
  const bool truth = std::string_view("YJTyjt").find(first) != std::string_view::npos;
  const std::size_t width = std::min<std::size_t>(static_cast<std::size_t>(std::max(len, 0)), total);
  std::fill_n(var.begin(), width, truth ? std::byte{0xff} : std::byte{0});
  return StoreResult::Stored;
}

// Range scan: fills the range table from the colons of bkey()(1:n) and turns
// every colon into a comma. Returns the number of entries in use, or -1 after
// reporting a third colon inside one range.
std::int32_t scan_ranges(std::int32_t n, std::array<RangeEntry, kRangeCapacity>& table) {
  table.fill(RangeEntry{});
  char* line = bkey().text.data();
  std::int32_t field = 1;
  std::int32_t colons = 0;
  std::size_t entry = 0;  // 0-based current entry
  bool colon_seen = false;
  bool previous_separator = true;
  for (std::int32_t k = 0; k < n; ++k) {
    const char c = line[k];
    if (c == ':') {
      if (entry >= table.size()) {
        // Cannot happen for answers of kAnswerSize characters (each entry
        // holds a colon and is closed by a separator); refuse rather than
        // index past the table.
        diag::error(-1, kDoLoopError);
        return -1;
      }
      RangeEntry& r = table[entry];
      if (r.kind == 1) {
        r.kind = 2;
        ++colons;
      } else if (r.kind == 2) {
        diag::error(-1, kDoLoopError);
        return -1;
      } else {
        r.start = field + colons;
        r.kind = 1;
        ++colons;
      }
      colon_seen = true;
      line[k] = ',';
    } else if (c == ' ' || c == ',') {
      if (!previous_separator) {
        ++field;
        previous_separator = true;
      }
      if (colon_seen) {
        ++entry;
        colon_seen = false;
      }
    } else {
      previous_separator = false;
    }
  }
  return static_cast<std::int32_t>(std::min(entry + (colon_seen ? 1 : 0), table.size()));
}

bool is_chunk(const double& element, char symbol) {
  char chunk[8];
  std::memcpy(chunk, &element, 8);
  return chunk[0] == symbol && std::string_view(chunk + 1, 7) == "       ";
}

// Converts one value into the work area; returns the number of significant
// bytes there, or 0 after reporting a value that does not fit.
std::size_t convert(double value, char type, std::int32_t len, std::array<std::byte, 8>& work) {
  if (type == 'I') {
    const double rounded = std::round(value);  // halves away from zero
    if (!(rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
      diag::error(-1, kIntegerRange);
      return 0;
    }
    const auto whole = static_cast<std::int32_t>(rounded);
    if (len == 2) {
      // Low 16 bits, wrapping modulo 65536.
      const auto low = static_cast<std::uint16_t>(static_cast<std::uint32_t>(whole) & 0xffffu);
      std::memcpy(work.data(), &low, 2);
      return 2;
    }
    std::memcpy(work.data(), &whole, 4);
    return 4;
  }
  if (len == 8) {
    std::memcpy(work.data(), &value, 8);
    return 8;
  }
  const auto single = static_cast<float>(value);
  std::memcpy(work.data(), &single, 4);
  return 4;
}

class ElementWriter {
 public:
  ElementWriter(std::span<std::byte> var, std::size_t total, char type, std::int32_t len,
                std::array<std::byte, 8>& work)
      : var_(var), total_(total), type_(type), len_(static_cast<std::size_t>(len)), work_(work) {}

  bool store(double value) {
    if (bytes_ + len_ > total_) {
      diag::error(-3, kExceeded);
      return false;
    }
    const std::size_t significant = convert(value, type_, static_cast<std::int32_t>(len_), work_);
    if (significant == 0) return false;
    std::memcpy(var_.data() + bytes_, work_.data(), std::min(significant, len_));
    bytes_ += len_;
    return true;
  }

  // Every whole element left after the stored ones receives the type's marker.
  void fill_end_markers() {
    work_.fill(std::byte{0});
    std::size_t marker_bytes = 4;
    if (type_ == 'I' && len_ == 2) {
      std::int16_t m;
      isetend(m);
      std::memcpy(work_.data(), &m, 2);
      marker_bytes = 2;
    } else if (type_ == 'I') {
      std::int32_t m;
      isetend(m);
      std::memcpy(work_.data(), &m, 4);
    } else {
      setend(std::span<std::byte>(work_));
      marker_bytes = 8;  // the F,8 marker carries zero in its last four bytes
    }
    while (total_ - bytes_ >= len_) {
      std::memcpy(var_.data() + bytes_, work_.data(), std::min(marker_bytes, len_));
      bytes_ += len_;
    }
  }

 private:
  std::span<std::byte> var_;
  std::size_t total_;
  char type_;
  std::size_t len_;
  std::array<std::byte, 8>& work_;
  std::size_t bytes_ = 0;
};

// Number of whole steps of a range: the quotient rounded to single precision
// and truncated toward zero; 0 when it is not finite or does not fit 32 bits.
std::int64_t step_count(double start, double end, double step) {
  const auto q = static_cast<float>((end - start) / step);
  if (!std::isfinite(q)) return 0;
  const float t = std::trunc(q);
  if (!(t >= -2147483648.0f && t < 2147483648.0f)) return 0;
  return static_cast<std::int64_t>(t);
}

StoreResult store_numeric(std::span<std::byte> var, std::size_t total, char type, std::int32_t len,
                          std::int32_t n) {
  StoreState& state = store_state();
  const std::int32_t ranges = scan_ranges(n, state.ranges);
  if (ranges < 0) return StoreResult::AskAgain;

  const std::int32_t capacity = static_cast<std::int32_t>(state.values.size());
  dcd(bkey().view(), n, state.values, capacity);
  const std::int32_t count = neld(state.values, capacity);

  // Loop placeholders become the current loop values; any other text field
  // has no numeric meaning and refuses the answer.
  const std::vector<bool>& is_text = decoder_state().is_text;
  for (std::int32_t k = 0; k < count; ++k) {
    if (static_cast<std::size_t>(k) >= is_text.size() || !is_text[static_cast<std::size_t>(k)]) continue;
    double& v = state.values[static_cast<std::size_t>(k)];
    const bool dollar = is_chunk(v, '$');
    const bool ampersand = is_chunk(v, '&');
    if (!dollar && !ampersand) {
      diag::error(-1, kIllegalField);
      return StoreResult::AskAgain;
    }
    if (!loop_active()) {
      diag::error(-1, kNoLoop);
      return StoreResult::AskAgain;
    }
    v = dollar ? static_cast<double>(doval()) : static_cast<double>(doval2());
  }

  // A range that storing reaches (its start among the values) needs its end
  // and, for kind 2, its step among the values too. A range whose start lies
  // beyond the last value (the answer "4 5 :", or one cut short by a NUL
  // character) is never reached and changes nothing.
  for (std::int32_t r = 0; r < ranges; ++r) {
    const RangeEntry& e = state.ranges[static_cast<std::size_t>(r)];
    if (e.kind != 0 && e.start <= count && static_cast<std::int64_t>(e.start) + e.kind > count) {
      diag::error(-1, kDoLoopError);
      return StoreResult::AskAgain;
    }
  }

  ElementWriter out(var, total, type, len, state.work);
  std::int32_t index = 0;
  std::int32_t next_range = 0;
  auto value_at = [&](std::int32_t i) { return state.values[static_cast<std::size_t>(i - 1)]; };
  while (index < count) {
    ++index;
    if (!out.store(value_at(index))) return StoreResult::AskAgain;
    if (next_range < ranges && index == state.ranges[static_cast<std::size_t>(next_range)].start) {
      const RangeEntry& e = state.ranges[static_cast<std::size_t>(next_range)];
      double start = value_at(index);
      ++index;
      const double end = value_at(index);
      double step = 1.0;
      if (e.kind == 2) {
        ++index;
        step = value_at(index);
      }
      const std::int64_t steps = step_count(start, end, step);
      for (std::int64_t s = 0; s < steps; ++s) {
        start += step;
        if (!out.store(start)) return StoreResult::AskAgain;
      }
      ++next_range;
    }
  }
  out.fill_end_markers();
  return StoreResult::Stored;
}

}  // namespace

StoreResult store_answer(std::span<std::byte> var, std::int32_t count, char type, std::int32_t len,
                         std::int32_t n) {
  n = std::clamp<std::int32_t>(n, 0, static_cast<std::int32_t>(kAnswerSize));
  if (n == 0) return StoreResult::Stored;
  const std::size_t total = storage_bytes(var, count, len);
  switch (type) {
    case 'A':
      return store_text(var, total, n);
    case 'L':
      return store_logical(var, total, len);
    case 'I':
      if (len <= 0) return StoreResult::Stored;
      return store_numeric(var, total, 'I', len, n);
    default:
      if (len <= 0) return StoreResult::Stored;
      return store_numeric(var, total, 'F', len, n);
  }
}

}  // namespace input
