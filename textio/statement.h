#pragma once
// The control loop of one formatted statement: walks the format, performs the
// control descriptors itself and hands each data descriptor with its item to
// the editor for the item's kind. Records come from and go to the caller
// through the small interfaces below, so the loop knows nothing of units.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "textio/errors.h"
#include "textio/format.h"
#include "textio/item.h"

namespace textio::detail {

// The record being built by a write statement: either a fixed character
// variable (internal write) or a growing buffer (unit write).
class OutRecord {
 public:
  explicit OutRecord(std::span<char> variable)
      : data_(variable.data()), capacity_(variable.size()), buffer_(nullptr) {}
  explicit OutRecord(std::string& buffer) : data_(nullptr), capacity_(0), buffer_(&buffer) {
    buffer.clear();
  }

  // A place for a field of k characters at the current position; advances.
  // The common case, a field of an internal record right after the previous
  // one, is decided here; every other case goes to reserve_other.
  Status reserve(std::size_t k, char*& where) {
    const std::size_t end = position_ + k;
    if (buffer_ == nullptr && position_ == high_water_ && end <= capacity_) {
      where = data_ + position_;
      position_ = end;
      high_water_ = end;
      return {};
    }
    return reserve_other(k, where);
  }
  void skip(std::size_t n) { position_ += n; }
  // The characters up to the high-water mark.
  std::string_view text() const {
    return buffer_ != nullptr ? std::string_view(*buffer_).substr(0, high_water_)
                              : std::string_view(data_, high_water_);
  }
  // Starts a new (blank) record.
  void restart() {
    position_ = 0;
    high_water_ = 0;
    if (buffer_ != nullptr) buffer_->clear();
  }
  bool internal() const { return buffer_ == nullptr; }
  // Ends the statement: a variable in which a field was stored is blank
  // after its last field. (The skipped positions between fields were blanked
  // when the next field came; a variable without a field stays untouched.)
  void finish() {
    if (buffer_ == nullptr && high_water_ != 0 && high_water_ < capacity_) {
      blank(high_water_, capacity_);
    }
  }

 private:
  Status reserve_other(std::size_t k, char*& where);
  void blank(std::size_t from, std::size_t to);

  char* data_;
  std::size_t capacity_;
  std::string* buffer_;
  std::size_t position_ = 0;
  // Positions below it hold fields or blanks; an internal record's fields and
  // the blanks between them always fill exactly the positions below it.
  std::size_t high_water_ = 0;
};

// Where finished records go. The write loop calls it at / and at a new scan
// of the format; the caller writes the last record itself.
class RecordSink {
 public:
  virtual Status end_record(const OutRecord& record) = 0;

 protected:
  ~RecordSink() = default;
};

// Where further input records come from (at / and at a new scan).
class RecordSource {
 public:
  virtual Status next_record(std::string_view& record) = 0;

 protected:
  ~RecordSource() = default;
};

// Edits the items into `record`. `dollar` is set when $ was met.
Status run_write(const Format& format, std::span<const Item> items, OutRecord& record,
                 RecordSink& sink, bool& dollar);
// Reads the items from `record` (the statement's first record, already read).
Status run_read(const Format& format, std::span<const Item> items, std::string_view record,
                RecordSource& source);

}  // namespace textio::detail
