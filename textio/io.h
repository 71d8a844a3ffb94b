#pragma once
// Formatted statements on units and on internal records (character variables).
#include <initializer_list>
#include "textio/position.h"
#include <span>
#include <string_view>

#include "textio/format.h"
#include "textio/item.h"

namespace textio {

// How a statement treats its failures (see units.h for the run-end rules).
enum class Handling : std::uint8_t {
  None,       // every error and end of file ends the run (status 1)
  Errors,     // a failing operation returns Failed; the rest of the statement is skipped
  EndOfFile,  // end of file returns EndOfFile; any other error ends the run
};

enum class IoStatus : std::uint8_t { Done, Failed, EndOfFile };

// Edits the items into one or more records on `unit`. Each record ends with a
// line feed unless $ was met in the statement.
void unit_write(int unit, const Format& format, std::span<const Item> items,
                StatementPosition where = StatementPosition::current());
inline void unit_write(int unit, const Format& format, std::initializer_list<Item> items,
                       StatementPosition where = StatementPosition::current()) {
  unit_write(unit, format, std::span<const Item>(items.begin(), items.size()), where);
}

// Reads a new record (and further records while items remain) and fills the items.
IoStatus unit_read(int unit, const Format& format, std::span<const Item> items,
                   Handling handling = Handling::None,
                   StatementPosition where = StatementPosition::current());
inline IoStatus unit_read(int unit, const Format& format, std::initializer_list<Item> items,
                          Handling handling = Handling::None,
                          StatementPosition where = StatementPosition::current()) {
  return unit_read(unit, format, std::span<const Item>(items.begin(), items.size()), handling,
                   where);
}

// The character variable is the one record. Allocates nothing.
void internal_write(std::span<char> variable, const Format& format, std::span<const Item> items,
                    StatementPosition where = StatementPosition::current());
inline void internal_write(std::span<char> variable, const Format& format,
                           std::initializer_list<Item> items,
                           StatementPosition where = StatementPosition::current()) {
  internal_write(variable, format, std::span<const Item>(items.begin(), items.size()), where);
}

void internal_read(std::string_view variable, const Format& format, std::span<const Item> items,
                   StatementPosition where = StatementPosition::current());
inline void internal_read(std::string_view variable, const Format& format,
                          std::initializer_list<Item> items,
                          StatementPosition where = StatementPosition::current()) {
  internal_read(variable, format, std::span<const Item>(items.begin(), items.size()), where);
}

}  // namespace textio
