#include "textio/statement.h"

#include <cstdint>
#include <cstring>

#include "textio/digits.h"
#include "textio/edit_in.h"
#include "textio/edit_out.h"

namespace textio::detail {
namespace {

using Code = Descriptor::Code;

// Walks the elements of an item list in order, skipping empty entries.
class ItemCursor {
 public:
  explicit ItemCursor(std::span<const Item> items) : items_(items) { settle(); }
  bool done() const { return index_ >= items_.size(); }
  const Item& item() const { return items_[index_]; }
  char* element() const {
    return static_cast<char*>(items_[index_].data) + element_ * items_[index_].length;
  }
  void advance() {
    ++element_;
    settle();
  }

 private:
  void settle() {
    while (index_ < items_.size() && element_ >= items_[index_].count) {
      ++index_;
      element_ = 0;
    }
  }
  std::span<const Item> items_;
  std::size_t index_ = 0;
  std::size_t element_ = 0;
};

bool is_integer(ItemKind k) {
  return k == ItemKind::Integer1 || k == ItemKind::Integer2 || k == ItemKind::Integer4;
}
bool is_real(ItemKind k) { return k == ItemKind::Real4 || k == ItemKind::Real8; }

std::int64_t integer_value(const Item& item, const char* p) {
  switch (item.kind) {
    case ItemKind::Integer1: {
      std::int8_t v;
      std::memcpy(&v, p, 1);
      return v;
    }
    case ItemKind::Integer2: {
      std::int16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    default: {
      std::int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

bool store_integer(const Item& item, char* p, std::int64_t value) {
  switch (item.kind) {
    case ItemKind::Integer1: {
      if (value < INT8_MIN || value > INT8_MAX) return false;
      const auto v = static_cast<std::int8_t>(value);
      std::memcpy(p, &v, 1);
      return true;
    }
    case ItemKind::Integer2: {
      if (value < INT16_MIN || value > INT16_MAX) return false;
      const auto v = static_cast<std::int16_t>(value);
      std::memcpy(p, &v, 2);
      return true;
    }
    default: {
      if (value < INT32_MIN || value > INT32_MAX) return false;
      const auto v = static_cast<std::int32_t>(value);
      std::memcpy(p, &v, 4);
      return true;
    }
  }
}

double real_value(const Item& item, const char* p) {
  if (item.kind == ItemKind::Real4) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
  }
  double v;
  std::memcpy(&v, p, 8);
  return v;
}

// The width of an A field: the descriptor's w, else the run-time width of
// the item, else the item's length.
std::size_t a_width(const Descriptor& d, const Item& item) {
  if (d.has_width) return static_cast<std::size_t>(d.width);
  if (item.runtime_length != nullptr) {
    return *item.runtime_length > 0 ? static_cast<std::size_t>(*item.runtime_length) : 0;
  }
  return item.length;
}

Status write_item(const Descriptor& d, const Item& item, const char* p, OutRecord& record) {
  Code code = d.code;
  // G on a non-real item edits it as I, L or A of the same width.
  if (code == Code::G && !is_real(item.kind)) {
    if (is_integer(item.kind)) code = Code::I;
    else if (item.kind == ItemKind::Logical4) code = Code::L;
    else code = Code::A;
  }
  char* out = nullptr;
  switch (code) {
    case Code::A: {
      const std::size_t w = a_width(d, item);
      const std::size_t length = item.length;
      if (Status s = record.reserve(w, out); !s.ok()) return s;
      if (w > length) {
        std::memset(out, ' ', w - length);
        if (length != 0) std::memcpy(out + (w - length), p, length);
      } else if (w != 0) {
        std::memcpy(out, p, w);
      }
      return {};
    }
    case Code::I: {
      if (!is_integer(item.kind)) return failure(kDescriptorItemMismatch);
      if (Status s = record.reserve(static_cast<std::size_t>(d.width), out); !s.ok()) return s;
      const int m = d.code == Code::G ? 1 : d.digits;
      edit_integer(out, d.width, m, integer_value(item, p));
      return {};
    }
    case Code::L: {
      if (item.kind != ItemKind::Logical4 && !is_integer(item.kind)) {
        return failure(kDescriptorItemMismatch);
      }
      if (Status s = record.reserve(static_cast<std::size_t>(d.width), out); !s.ok()) return s;
      edit_logical(out, d.width, (integer_value(item, p) & 1) != 0);
      return {};
    }
    case Code::F:
    case Code::E:
    case Code::D:
    case Code::G: {
      if (!is_real(item.kind)) return failure(kDescriptorItemMismatch);
      if (Status s = record.reserve(static_cast<std::size_t>(d.width), out); !s.ok()) return s;
      edit_real(out, d, real_value(item, p), item.kind == ItemKind::Real4);
      return {};
    }
    default:
      return failure(kDescriptorItemMismatch);
  }
}

// The characters of a field of w positions at `position` that the record
// holds; the rest of the field reads as blanks.
std::string_view field_of(std::string_view record, std::size_t position, std::size_t w) {
  if (position >= record.size()) return {};
  return record.substr(position, w);
}

Status read_item(const Descriptor& d, const Item& item, char* p, std::string_view record,
                 std::size_t& position) {
  switch (d.code) {
    case Code::Q: {
      if (!is_integer(item.kind)) return failure(kDescriptorItemMismatch);
      const std::int64_t left =
          position < record.size() ? static_cast<std::int64_t>(record.size() - position) : 0;
      if (!store_integer(item, p, left)) return failure(kDataConversion);
      return {};
    }
    case Code::A: {
      const std::size_t w = a_width(d, item);
      const std::size_t length = item.length;
      // Aw with w > L keeps the last L characters of the field.
      const std::size_t skip = w > length ? w - length : 0;
      const std::size_t take = w > length ? length : w;
      const std::string_view got = field_of(record, position + skip, take);
      if (!got.empty()) std::memcpy(p, got.data(), got.size());
      if (length > got.size()) std::memset(p + got.size(), ' ', length - got.size());
      position += w;
      return {};
    }
    case Code::I: {
      if (!is_integer(item.kind)) return failure(kDescriptorItemMismatch);
      const std::string_view field = field_of(record, position, static_cast<std::size_t>(d.width));
      position += static_cast<std::size_t>(d.width);
      std::int64_t v = 0;
      if (Status s = read_integer(field, v); !s.ok()) return s;
      if (!store_integer(item, p, v)) return failure(kDataConversion);
      return {};
    }
    case Code::L: {
      if (item.kind != ItemKind::Logical4 && !is_integer(item.kind)) {
        return failure(kDescriptorItemMismatch);
      }
      const std::string_view field = field_of(record, position, static_cast<std::size_t>(d.width));
      position += static_cast<std::size_t>(d.width);
      bool v = false;
      if (Status s = read_logical(field, v); !s.ok()) return s;
      store_integer(item, p, v ? -1 : 0);
      return {};
    }
    case Code::F:
    case Code::E:
    case Code::D:
    case Code::G: {
      if (!is_real(item.kind)) return failure(kDescriptorItemMismatch);
      std::string_view field = field_of(record, position, static_cast<std::size_t>(d.width));
      // A comma ends the field; the position moves past it.
      const std::size_t comma = field.find(',');
      if (comma != std::string_view::npos) {
        field = field.substr(0, comma);
        position += comma + 1;
      } else {
        position += static_cast<std::size_t>(d.width);
      }
      return read_real(field, d.digits, item.kind == ItemKind::Real4, p);
    }
    default:
      return failure(kDescriptorItemMismatch);
  }
}

}  // namespace

Status OutRecord::reserve_other(std::size_t k, char*& where) {
  const std::size_t end = position_ + k;
  if (buffer_ != nullptr) {
    if (buffer_->size() < end) buffer_->resize(end, ' ');
    where = buffer_->data() + position_;
  } else {
    if (end > capacity_) return failure(kPastEndOfRecord);
    where = data_ + position_;
    if (k == 0) return {};  // an empty field stores nothing
    // The positions skipped since the previous field (or from the start of
    // the variable, before its first field) become blank.
    if (position_ > high_water_) blank(high_water_, position_);
  }
  position_ = end;
  if (end > high_water_) high_water_ = end;
  return {};
}

void OutRecord::blank(std::size_t from, std::size_t to) {
  const std::size_t n = to - from;
  if (n <= 64) {
    fill_short(data_ + from, ' ', static_cast<int>(n));
  } else {
    std::memset(data_ + from, ' ', n);
  }
}

namespace {

// One walk of a format over an item list, shared by writing and reading. The
// walk applies the repeat counts, / and the end-of-format rule (a new record
// and a new scan while items remain; the second end reached without using an
// item fails); `dir` edits one data item (edit), acts on a descriptor that
// takes no item (control) and moves to a new record (next_record).
template <class Direction>
Status walk_format(const Format& format, std::span<const Item> items, Direction& dir) {
  if (format.error_number() != 0) return failure(format.error_number());
  const auto& list = format.descriptors();
  ItemCursor cursor(items);
  std::size_t i = 0;
  bool item_used = false;
  int idle_ends = 0;  // ends of the format reached since an item was last used
  while (true) {
    if (i == list.size()) {
      if (cursor.done()) return {};
      idle_ends = item_used ? 0 : idle_ends + 1;
      if (idle_ends == 2) return failure(kInfiniteFormatScan);
      if (Status s = dir.next_record(); !s.ok()) return s;
      i = format.reversion_index();
      item_used = false;
      continue;
    }
    const Descriptor& d = list[i++];
    if (!d.is_data()) {
      if (d.code == Code::Slash) {
        for (std::int32_t r = 0; r < d.repeat; ++r) {
          if (Status s = dir.next_record(); !s.ok()) return s;
        }
      } else if (Status s = dir.control(d); !s.ok()) {
        return s;
      }
      continue;
    }
    for (std::int32_t r = 0; r < d.repeat; ++r) {
      if (cursor.done()) return {};
      if (Status s = dir.edit(d, cursor.item(), cursor.element()); !s.ok()) return s;
      cursor.advance();
      item_used = true;
    }
  }
}

struct Writer {
  const Format& format;
  OutRecord& record;
  RecordSink& sink;
  bool& dollar;

  Status next_record() {
    if (Status s = sink.end_record(record); !s.ok()) return s;
    record.restart();
    return {};
  }
  Status control(const Descriptor& d) {
    switch (d.code) {
      case Code::Literal: {
        char* out = nullptr;
        const std::string_view text = format.literal(d);
        if (Status s = record.reserve(text.size(), out); !s.ok()) return s;
        if (!text.empty()) std::memcpy(out, text.data(), text.size());
        break;
      }
      case Code::Skip:
        record.skip(static_cast<std::size_t>(d.width));
        break;
      case Code::Dollar:
        dollar = true;
        break;
      default:
        break;
    }
    return {};
  }
  Status edit(const Descriptor& d, const Item& item, char* element) {
    return write_item(d, item, element, record);
  }
};

struct Reader {
  std::string_view& record;
  RecordSource& source;
  std::size_t position = 0;

  Status next_record() {
    if (Status s = source.next_record(record); !s.ok()) return s;
    position = 0;
    return {};
  }
  Status control(const Descriptor& d) {
    if (d.code == Code::Literal) position += d.literal_length;
    if (d.code == Code::Skip) position += static_cast<std::size_t>(d.width);
    return {};
  }
  Status edit(const Descriptor& d, const Item& item, char* element) {
    return read_item(d, item, element, record, position);
  }
};

}  // namespace

Status run_write(const Format& format, std::span<const Item> items, OutRecord& record,
                 RecordSink& sink, bool& dollar) {
  Writer writer{format, record, sink, dollar};
  return walk_format(format, items, writer);
}

Status run_read(const Format& format, std::span<const Item> items, std::string_view record,
                RecordSource& source) {
  Reader reader{record, source};
  return walk_format(format, items, reader);
}

}  // namespace textio::detail
