// The four formatted statements: records on units and in character variables.
#include "textio/io.h"

#include "textio/fatal.h"
#include "textio/registry.h"
#include "textio/statement.h"

namespace textio {
namespace {

using detail::Operation;
using detail::Status;
using detail::Subject;

// An internal record is the only record: a second one is an error.
class InternalSink final : public detail::RecordSink {
 public:
  Status end_record(const detail::OutRecord&) override {
    return detail::failure(detail::kAfterLastInternalRecord);
  }
};

class InternalSource final : public detail::RecordSource {
 public:
  Status next_record(std::string_view&) override {
    return detail::failure(detail::kReadPastEndOfFile);
  }
};

class UnitSink final : public detail::RecordSink {
 public:
  UnitSink(detail::Registry& registry, detail::Unit& unit) : registry_(registry), unit_(unit) {}
  Status end_record(const detail::OutRecord& record) override {
    return registry_.write_record(unit_, record.text(), true);
  }

 private:
  detail::Registry& registry_;
  detail::Unit& unit_;
};

class UnitSource final : public detail::RecordSource {
 public:
  UnitSource(detail::Registry& registry, detail::Unit& unit) : registry_(registry), unit_(unit) {}
  Status next_record(std::string_view& record) override {
    return registry_.read_record(unit_, record);
  }

 private:
  detail::Registry& registry_;
  detail::Unit& unit_;
};

// `fallback` names the file when the unit could not be connected (the
// fort.N of a first use), so the diagnostic always shows a file name.
Subject unit_subject(Operation op, int number, const detail::Unit* unit,
                     std::string_view fallback = {}) {
  Subject s;
  s.operation = op;
  s.unit = number;
  s.file = fallback;
  if (unit != nullptr) {
    s.file = unit->name;
    s.last_record = unit->last_record;
  }
  return s;
}

Subject internal_subject(Operation op) {
  Subject s;
  s.operation = op;
  s.internal = true;
  s.last_record = 1;
  return s;
}

}  // namespace

void unit_write(int unit, const Format& format, std::span<const Item> items,
                StatementPosition where) {
  detail::Registry& registry = detail::registry();
  detail::Unit* u = nullptr;
  if (Status s = registry.use(unit, true, u); !s.ok()) {
    const detail::FirstUseName name = detail::first_use_name(unit);
    detail::fatal(s, unit_subject(Operation::Write, unit, u, name.data()), where);
  }
  detail::OutRecord record(registry.output_buffer);
  UnitSink sink(registry, *u);
  bool dollar = false;
  Status s = detail::run_write(format, items, record, sink, dollar);
  if (s.ok()) s = registry.write_record(*u, record.text(), !dollar);
  if (!s.ok()) detail::fatal(s, unit_subject(Operation::Write, unit, u), where);
}

IoStatus unit_read(int unit, const Format& format, std::span<const Item> items, Handling handling,
                   StatementPosition where) {
  detail::Registry& registry = detail::registry();
  detail::Unit* u = nullptr;
  Status s = registry.use(unit, false, u);
  if (s.ok() && format.error_number() != 0) s = detail::failure(format.error_number());
  std::string_view record;
  if (s.ok()) s = registry.read_record(*u, record);
  if (s.ok()) {
    UnitSource source(registry, *u);
    s = detail::run_read(format, items, record, source);
  }
  if (s.ok()) return IoStatus::Done;
  const detail::FirstUseName name = detail::first_use_name(unit);
  return detail::conclude(s, handling, unit_subject(Operation::Read, unit, u, name.data()), where);
}

void internal_write(std::span<char> variable, const Format& format, std::span<const Item> items,
                    StatementPosition where) {
  detail::OutRecord record(variable);
  InternalSink sink;
  bool dollar = false;
  const Status s = detail::run_write(format, items, record, sink, dollar);
  record.finish();
  if (!s.ok()) detail::fatal(s, internal_subject(Operation::Write), where);
}

void internal_read(std::string_view variable, const Format& format, std::span<const Item> items,
                   StatementPosition where) {
  InternalSource source;
  const Status s = detail::run_read(format, items, variable, source);
  if (!s.ok()) detail::fatal(s, internal_subject(Operation::Read), where);
}

}  // namespace textio
