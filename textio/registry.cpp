#include "textio/registry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "textio/blanks.h"

namespace textio::detail {
namespace {

// The normal end: every connected file is closed and kept. A failure found
// only now (a full disk, a closed standard output) still ends the run with
// the diagnostic and status 1, so no loss of output goes unnoticed.
void close_all_at_exit() {
  int unit = 0;
  std::string name;
  const Status s = registry().close_all(&unit, &name);
  if (!s.ok()) report_failure_at_exit(s, unit, name);
}

bool same_file(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

Registry& registry() {
  // Never destroyed: files are closed by the exit handler the constructor registers.
  static Registry* const instance = new Registry();
  return *instance;
}

Registry::Registry() {
  auto standard = [this](int number, const char* name, std::FILE* file, bool read) {
    auto u = std::make_unique<Unit>();
    u->number = number;
    u->name = name;
    u->file = file;
    u->standard = true;
    u->can_read = read;
    u->can_write = !read;
    units_.push_back(std::move(u));
  };
  standard(5, "stdin", stdin, true);
  standard(6, "stdout", stdout, false);
  standard(0, "stderr", stderr, false);
  std::atexit(close_all_at_exit);
}

Status Registry::system_error(int error_number) {
  last_system_error_ = error_number;
  return system_failure(error_number);
}

Unit* Registry::find(int number) {
  for (auto& u : units_) {
    if (u->number == number) return u.get();
  }
  return nullptr;
}

Unit* Registry::holder_of(std::string_view name) {
  const std::string wanted(name);
  for (auto& u : units_) {
    if (!u->standard && same_file(u->name, wanted)) return u.get();
  }
  return nullptr;
}

FirstUseName first_use_name(int number) {
  FirstUseName name{};
  std::snprintf(name.text, sizeof name.text, "fort.%d", number);
  return name;
}

Status Registry::use(int number, bool for_write, Unit*& unit) {
  unit = find(number);
  if (unit != nullptr) return {};
  return open(number, first_use_name(number).data(),
              for_write ? OpenStatus::Unknown : OpenStatus::Old, unit);
}

Status Registry::open(int number, std::string_view file_name, OpenStatus status, Unit*& unit) {
  const std::string_view name = trim_blanks(file_name);
  unit = nullptr;
  if (name.empty()) return failure(kInvalidFileName);
  const std::string path(name);
  if (Unit* current = find(number); current != nullptr) {
    if (!current->standard && same_file(current->name, path)) {
      unit = current;
      return {};
    }
    // Another file on this unit: the old one is closed and kept first.
    if (Status s = close(number, false); !s.ok()) return s;
  }
  if (holder_of(path) != nullptr) return failure(kConnectedToAnotherUnit);

  int flags = O_RDWR;
  if (status == OpenStatus::Unknown) flags |= O_CREAT;
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  bool writable = true;
  if (fd < 0 && (errno == EACCES || errno == EROFS)) {
    const int first_error = errno;
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    writable = false;
    if (fd < 0) return system_error(first_error);
  }
  if (fd < 0) {
    const int e = errno;
    if (status == OpenStatus::Old && e == ENOENT) {
      last_system_error_ = e;
      return failure(kOldFileMissing);
    }
    return system_error(e);
  }
  std::FILE* file = fdopen(fd, writable ? "r+" : "r");
  if (file == nullptr) {
    const int e = errno;
    ::close(fd);
    return system_error(e);
  }
  // Only regular files are cut; devices and pipes cannot be.
  struct stat info {};
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  auto u = std::make_unique<Unit>();
  u->number = number;
  u->name = path;
  u->file = file;
  u->regular = regular;
  u->can_read = true;
  u->can_write = writable;
  u->cut_pending = writable && regular;
  unit = u.get();
  units_.push_back(std::move(u));
  return {};
}

Status Registry::close(int number, bool remove) {
  for (auto it = units_.begin(); it != units_.end(); ++it) {
    Unit& u = **it;
    if (u.number != number) continue;
    if (u.standard) {
      std::fflush(u.file);
      return {};
    }
    if (remove && !u.can_write) return failure(kReadOnlyFile);
    const std::string name = u.name;
    const int closed = std::fclose(u.file);
    const int close_error = errno;
    units_.erase(it);
    if (closed != 0) return system_error(close_error);
    if (remove && ::unlink(name.c_str()) != 0) return system_error(errno);
    return {};
  }
  return {};
}

Status Registry::rewind(int number) {
  Unit* u = find(number);
  if (u == nullptr || u->standard) return {};
  if (std::fflush(u->file) != 0 || std::fseek(u->file, 0, SEEK_SET) != 0) {
    return system_error(errno);
  }
  u->last = Unit::Last::None;
  u->at_end = false;
  u->last_record = 0;
  u->cut_pending = u->can_write && u->regular;
  return {};
}

Status Registry::write_record(Unit& unit, std::string_view text, bool line_end) {
  if (!unit.can_write) return failure(kReadOnlyFile);
  if (!unit.standard) {
    if (unit.last == Unit::Last::Read && std::fseek(unit.file, 0, SEEK_CUR) != 0) {
      return system_error(errno);
    }
    if (unit.cut_pending) {
      if (std::fflush(unit.file) != 0) return system_error(errno);
      const off_t here = ftello(unit.file);
      if (here < 0 || ftruncate(fileno(unit.file), here) != 0) return system_error(errno);
      unit.cut_pending = false;
    }
    unit.at_end = false;
  }
  if (observer_ != nullptr) observer_(unit.number, text, line_end);
  if ((!text.empty() && std::fwrite(text.data(), 1, text.size(), unit.file) != text.size()) ||
      (line_end && std::fputc('\n', unit.file) == EOF)) {
    const int e = errno;
    std::clearerr(unit.file);
    return system_error(e != 0 ? e : EIO);
  }
  unit.last = Unit::Last::Write;
  ++unit.last_record;
  return {};
}

Status Registry::read_record(Unit& unit, std::string_view& record) {
  if (!unit.can_read) return system_error(EBADF);
  if (unit.number == 5) {
    // What was written to the terminal shows before the wait for an answer.
    std::fflush(stdout);
  } else if (!unit.standard) {
    if (unit.at_end) return failure(kAfterEndOfFile);
    if (unit.last == Unit::Last::Write &&
        (std::fflush(unit.file) != 0 || std::fseek(unit.file, 0, SEEK_CUR) != 0)) {
      return system_error(errno);
    }
  }
  input_buffer_.clear();
  std::FILE* f = unit.file;
  int c = 0;
  bool any = false;
  while ((c = getc_unlocked(f)) != EOF) {
    any = true;
    if (c == '\n') break;
    input_buffer_.push_back(static_cast<char>(c));
  }
  if (c == EOF && std::ferror(f)) {
    const int e = errno;
    std::clearerr(f);
    return system_error(e != 0 ? e : EIO);
  }
  unit.last = Unit::Last::Read;
  if (!any) {
    std::clearerr(f);
    if (!unit.standard) unit.at_end = true;
    return failure(kReadPastEndOfFile);
  }
  if (!unit.standard && unit.can_write && unit.regular) unit.cut_pending = true;
  ++unit.last_record;
  record = input_buffer_;
  return {};
}

void Registry::flush_all() {
  for (auto& u : units_) std::fflush(u->file);
}

Status Registry::close_all(int* failed_unit, std::string* failed_name) {
  Status first;
  auto note = [&](const Unit& u, int error_number) {
    if (!first.ok()) return;
    first = system_error(error_number != 0 ? error_number : EIO);
    if (failed_unit != nullptr) *failed_unit = u.number;
    if (failed_name != nullptr) *failed_name = u.name;
  };
  for (auto it = units_.begin(); it != units_.end();) {
    Unit& u = **it;
    if (u.standard) {
      if (std::fflush(u.file) != 0 || std::ferror(u.file)) note(u, errno);
      ++it;
      continue;
    }
    if (std::fclose(u.file) != 0) note(u, errno);
    it = units_.erase(it);
  }
  return first;
}

}  // namespace textio::detail
