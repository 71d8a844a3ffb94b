#pragma once
// Real child processes and real FIFOs in a temporary directory.
#include <sys/types.h>

#include <string>
#include <vector>

#include "stream.h"

namespace fbtest {

// A temporary directory removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void make_fifo(const std::string& path);
std::string read_file(const std::string& path);

// fbview started with args; env entries "NAME=value" replace the whole
// environment (PATH kept). stdout and stderr go to files.
class Child {
 public:
  Child(const std::vector<std::string>& args, const std::vector<std::string>& env,
        const std::string& out_file, const std::string& err_file);
  ~Child();
  // Waits up to seconds; returns the exit status, or -1 - signal when killed
  // by a signal, or -1000 on time-out (the child is then killed).
  int wait(double seconds);
  void signal(int sig);
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

// Opens the FIFO for writing once a reader is there (up to seconds), writes
// all bytes and closes. Returns false when no reader came or a write failed.
bool feed_fifo(const std::string& path, const Bytes& bytes, double seconds = 10);

// Opens the FIFO for writing once a reader is there; returns the descriptor or -1.
int open_writer(const std::string& path, double seconds = 10);
bool write_all(int fd, const Bytes& bytes);

}  // namespace fbtest
