// The FIFO transport: candidate pairs, open order, writes, reads, messages.
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "display/si_subs.h"
#include "tests/display/support.h"

namespace {

using display::fifo_descriptors;
using display::si_close_namedpipe;
using display::si_open_namedpipe;
using display::si_read;
using display::si_write;
using display_test::Capture;
using display_test::EnvGuard;
using display_test::FifoPair;
using display_test::FifoReader;
using display_test::TempDir;

ino_t inode_of_path(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_ino;
}

ino_t inode_of_fd(int fd) {
  struct stat st {};
  EXPECT_EQ(::fstat(fd, &st), 0) << fd;
  return st.st_ino;
}

class Transport : public ::testing::Test {
 protected:
  void TearDown() override { si_close_namedpipe(); }
  EnvGuard env_;
  TempDir dir_;
};

// Which pair ends up open, for each arrangement of the candidates.
TEST_F(Transport, CandidatePairs) {
  // HOME holds a complete pair; a second complete pair elsewhere.
  const std::string home = dir_ / "home";
  std::filesystem::create_directory(home);
  display_test::make_fifo(home + "/.imt1i");
  display_test::make_fifo(home + "/.imt1o");
  FifoPair dev(dir_, "in.fifo", "out.fifo");
  testing_support::write_file(dir_ / "regular", "x");
  std::filesystem::create_symlink(dev.in, dir_ / "in.link");
  std::filesystem::create_symlink(dev.out, dir_ / "out.link");

  struct Case {
    const char* what;
    const char* indev;  // nullptr: unset
    const char* outdev;
    bool expect_dev;  // else the pair under HOME
  } cases[] = {
      {"INDEV and OUTDEV FIFOs", "in.fifo", "out.fifo", true},
      {"both unset", nullptr, nullptr, false},
      {"INDEV empty", "", "out.fifo", false},
      {"OUTDEV empty", "in.fifo", "", false},
      {"INDEV unset", nullptr, "out.fifo", false},
      {"OUTDEV a regular file", "in.fifo", "regular", false},
      {"INDEV a regular file", "regular", "out.fifo", false},
      {"OUTDEV missing", "in.fifo", "missing", false},
      {"INDEV a directory", ".", "out.fifo", false},
      {"symbolic links to FIFOs", "in.link", "out.link", true},
  };
  for (const auto& c : cases) {
    EnvGuard::set("HOME", home);
    auto set_or_unset = [&](const char* name, const char* value) {
      if (value == nullptr) {
        EnvGuard::unset(name);
      } else {
        EnvGuard::set(name, value[0] == '\0' ? std::string() : dir_ / value);
      }
    };
    set_or_unset("INDEV", c.indev);
    set_or_unset("OUTDEV", c.outdev);
    Capture err(2);
    ASSERT_EQ(si_open_namedpipe(), 0) << c.what;
    EXPECT_EQ(err.text(), "") << c.what;
    const std::string in = c.expect_dev ? dev.in : home + "/.imt1i";
    const std::string out = c.expect_dev ? dev.out : home + "/.imt1o";
    EXPECT_EQ(inode_of_fd(fifo_descriptors().si_datain), inode_of_path(in)) << c.what;
    EXPECT_EQ(inode_of_fd(fifo_descriptors().si_dataout), inode_of_path(out)) << c.what;
    // Writes block, reads block: O_NONBLOCK cleared on both.
    EXPECT_EQ(::fcntl(fifo_descriptors().si_dataout, F_GETFL) & (O_NONBLOCK | O_ACCMODE), O_WRONLY)
        << c.what;
    EXPECT_EQ(::fcntl(fifo_descriptors().si_datain, F_GETFL) & (O_NONBLOCK | O_ACCMODE), O_RDONLY)
        << c.what;
    si_close_namedpipe();
  }
}

TEST_F(Transport, HomeUnsetOrEmptyFailsFirst) {
  FifoPair pair(dir_);
  EnvGuard::set("INDEV", pair.in);
  EnvGuard::set("OUTDEV", pair.out);
  for (bool empty : {false, true}) {
    if (empty) {
      EnvGuard::set("HOME", "");
    } else {
      EnvGuard::unset("HOME");
    }
    Capture err(2);
    errno = 0;
    EXPECT_EQ(si_open_namedpipe(), -1);
    EXPECT_EQ(err.text(), "(si_open_namedpipe_) can't find HOME\nSuccess\n") << empty;
    EXPECT_EQ(fifo_descriptors().si_datain, -1);
    EXPECT_EQ(fifo_descriptors().si_dataout, -1);
  }
}

TEST_F(Transport, OnlyInputFifoUnderHomeFallsToDevAndFails) {
  if (testing_support::file_exists("/dev/imt1i") || testing_support::file_exists("/dev/imt1o")) {
    GTEST_SKIP() << "this machine has FIFOs under /dev";
  }
  const std::string home = dir_ / "home";
  std::filesystem::create_directory(home);
  display_test::make_fifo(home + "/.imt1i");
  EnvGuard::set("HOME", home);
  EnvGuard::unset("INDEV");
  EnvGuard::unset("OUTDEV");
  Capture err(2);
  EXPECT_EQ(si_open_namedpipe(), -1);
  EXPECT_EQ(err.text(), "(si_open_namedpipe_) can't open named pipes\nNo such file or directory\n");
  EXPECT_EQ(fifo_descriptors().si_datain, -1);
  EXPECT_EQ(fifo_descriptors().si_dataout, -1);
}

TEST_F(Transport, PathsLongerThan127Characters) {
  std::string deep = dir_.path();
  while (deep.size() < 400) {
    deep += "/a_rather_long_directory_name_to_pass_the_old_limit";
    std::filesystem::create_directory(deep);
  }
  const std::string home = deep + "/home_directory";
  std::filesystem::create_directory(home);
  display_test::make_fifo(home + "/.imt1i");
  display_test::make_fifo(home + "/.imt1o");
  ASSERT_GT(home.size(), 300u);
  EnvGuard::set("HOME", home);
  EnvGuard::unset("INDEV");
  EnvGuard::unset("OUTDEV");
  ASSERT_EQ(si_open_namedpipe(), 0);
  EXPECT_EQ(inode_of_fd(fifo_descriptors().si_dataout), inode_of_path(home + "/.imt1o"));
  EXPECT_EQ(inode_of_fd(fifo_descriptors().si_datain), inode_of_path(home + "/.imt1i"));

  FifoPair pair(dir_);
  const std::string long_in = deep + "/input_fifo";
  const std::string long_out = deep + "/output_fifo";
  display_test::make_fifo(long_in);
  display_test::make_fifo(long_out);
  EnvGuard::set("INDEV", long_in);
  EnvGuard::set("OUTDEV", long_out);
  si_close_namedpipe();
  ASSERT_EQ(si_open_namedpipe(), 0);
  EXPECT_EQ(inode_of_fd(fifo_descriptors().si_dataout), inode_of_path(long_out));
}

TEST_F(Transport, CloseInAnyState) {
  si_close_namedpipe();
  EXPECT_EQ(fifo_descriptors().si_datain, -1);
  EXPECT_EQ(fifo_descriptors().si_dataout, -1);
  FifoPair pair(dir_);
  EnvGuard::set("HOME", dir_.path());
  EnvGuard::set("INDEV", pair.in);
  EnvGuard::set("OUTDEV", pair.out);
  ASSERT_EQ(si_open_namedpipe(), 0);
  const int in = fifo_descriptors().si_datain;
  const int out = fifo_descriptors().si_dataout;
  si_close_namedpipe();
  EXPECT_EQ(fifo_descriptors().si_datain, -1);
  EXPECT_EQ(fifo_descriptors().si_dataout, -1);
  EXPECT_EQ(::fcntl(in, F_GETFD), -1);
  EXPECT_EQ(::fcntl(out, F_GETFD), -1);
  si_close_namedpipe();
}

// Bytes written reach the reader whole and in order; count 0 writes nothing.
TEST_F(Transport, WritesReachTheReader) {
  FifoPair pair(dir_);
  EnvGuard::set("HOME", dir_.path());
  EnvGuard::set("INDEV", pair.in);
  EnvGuard::set("OUTDEV", pair.out);
  FifoReader reader(pair.out);
  ASSERT_EQ(si_open_namedpipe(), 0);
  Capture err(2);
  EXPECT_EQ(si_write("abc", 3), 0);
  EXPECT_EQ(si_write("zzz", 0), 0);
  EXPECT_EQ(si_write("zzz", -4), 0);
  std::string big(200000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  EXPECT_EQ(si_write(big.data(), static_cast<std::int32_t>(big.size())), 0);
  si_close_namedpipe();
  EXPECT_EQ(reader.finish(), "abc" + big);
  EXPECT_EQ(err.text(), "");
}

TEST_F(Transport, WriteOnClosedDescriptor) {
  Capture err(2);
  EXPECT_EQ(si_write("abc", 3), -1);
  EXPECT_EQ(err.text(), "(si_write_) can't write\nBad file descriptor\n");
}

// Signals that interrupt a blocked write after part of the buffer went out
// make write return short; si_write must go on from the first unwritten byte.
std::atomic<int> interruptions{0};
extern "C" void count_interruption(int) { interruptions.fetch_add(1); }

TEST_F(Transport, PartialWriteResumesWhereItStopped) {
  FifoPair pair(dir_);
  EnvGuard::set("HOME", dir_.path());
  EnvGuard::set("INDEV", pair.in);
  EnvGuard::set("OUTDEV", pair.out);
  // A slow reader keeps the FIFO full, so the writer spends its time blocked.
  FifoReader reader(pair.out, 4096, std::chrono::microseconds(200));
  ASSERT_EQ(si_open_namedpipe(), 0);

  struct sigaction action {};
  struct sigaction old {};
  action.sa_handler = count_interruption;
  action.sa_flags = SA_RESTART;  // an interruption before any byte restarts the call
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(::sigaction(SIGUSR1, &action, &old), 0);

  std::string buffer(1 << 20, '\0');
  for (std::size_t i = 0; i < buffer.size(); i += 4) {
    const auto v = static_cast<std::uint32_t>(i / 4);
    std::memcpy(&buffer[i], &v, 4);
  }
  interruptions = 0;
  std::atomic<bool> done{false};
  int status = 1;
  std::thread writer([&] {
    status = si_write(buffer.data(), static_cast<std::int32_t>(buffer.size()));
    done = true;
  });
  const pthread_t handle = writer.native_handle();
  while (!done) {
    ::pthread_kill(handle, SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  writer.join();
  ::sigaction(SIGUSR1, &old, nullptr);
  si_close_namedpipe();
  const std::string got = reader.finish();
  EXPECT_EQ(status, 0);
  EXPECT_GT(interruptions.load(), 0);
  ASSERT_EQ(got.size(), buffer.size());
  EXPECT_TRUE(got == buffer) << "bytes out of order or repeated";
}

TEST_F(Transport, ReadOnceThenEndOfFile) {
  FifoPair pair(dir_);
  EnvGuard::set("HOME", dir_.path());
  EnvGuard::set("INDEV", pair.in);
  EnvGuard::set("OUTDEV", pair.out);
  ASSERT_EQ(si_open_namedpipe(), 0);
  const int server = ::open(pair.in.c_str(), O_WRONLY | O_NONBLOCK);
  ASSERT_GE(server, 0);
  std::vector<char> buffer(display::kReadMax + 100, 'x');
  std::int32_t count = -5;

  ASSERT_EQ(::write(server, "hello", 5), 5);
  EXPECT_EQ(si_read(buffer, count), 0);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(std::string(buffer.data(), 5), "hello");

  // At most 16384 bytes per call.
  std::string lots(20000, 'q');
  ASSERT_EQ(::write(server, lots.data(), lots.size()), static_cast<ssize_t>(lots.size()));
  EXPECT_EQ(si_read(buffer, count), 0);
  EXPECT_EQ(count, display::kReadMax);
  EXPECT_EQ(si_read(buffer, count), 0);
  EXPECT_EQ(count, 20000 - display::kReadMax);

  // The server closes its end.
  ::close(server);
  Capture err(2);
  errno = 0;
  EXPECT_EQ(si_read(buffer, count), -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(err.text(), "(si_read) can't read\nSuccess\n");
}

TEST_F(Transport, ReadOnClosedDescriptor) {
  std::vector<char> buffer(display::kReadMax, 'x');
  std::int32_t count = 9;
  Capture err(2);
  EXPECT_EQ(si_read(buffer, count), -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(err.text(), "(si_read) can't read\nBad file descriptor\n");
}

// ---- Cases that need a process of their own ----

std::vector<std::string> fifo_env(const TempDir& dir, const FifoPair& pair) {
  return {"HOME=" + dir.path(), "INDEV=" + pair.in, "OUTDEV=" + pair.out};
}

// Nobody reads the output FIFO: the write fails with EPIPE, is reported, and
// the program carries on to its normal end instead of dying of SIGPIPE.
DISPLAY_CHILD(write_without_reader) {
  if (si_open_namedpipe() != 0) return 10;
  const int first = si_write("0123456789abcdef", 16);
  const int second = si_write("more", 4);
  std::printf("went on %d %d\n", first, second);
  return 0;
}

TEST(TransportProcess, WriteWithoutReaderDoesNotKill) {
  TempDir dir;
  FifoPair pair(dir);
  const auto r = display_test::run_self("write_without_reader", fifo_env(dir, pair), dir.path());
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out, "went on -1 -1\n");
  EXPECT_EQ(r.err,
            "(si_write_) can't write\nBroken pipe\n"
            "(si_write_) can't write\nBroken pipe\n");
}

// Opens the pair with only descriptors below `limit` allowed; the limit is
// lifted again afterwards so that the rest of the run is not starved.
int open_with_descriptor_limit(int limit) {
  rlimit saved{};
  ::getrlimit(RLIMIT_NOFILE, &saved);
  rlimit low = saved;
  low.rlim_cur = static_cast<rlim_t>(limit);
  if (::setrlimit(RLIMIT_NOFILE, &low) != 0) return 11;
  const int status = si_open_namedpipe();
  ::setrlimit(RLIMIT_NOFILE, &saved);
  return status;
}

// The descriptor limit makes the second open fail: the temporary read
// descriptor stays in si_datain, si_dataout is -1.
DISPLAY_CHILD(second_open_fails) {
  const int lowest = ::dup(0);
  ::close(lowest);
  const int status = open_with_descriptor_limit(lowest + 1);
  std::printf("%d %d %d\n", status, fifo_descriptors().si_datain == lowest ? 1 : 0,
              fifo_descriptors().si_dataout);
  return 0;
}

DISPLAY_CHILD(first_open_fails) {
  const int lowest = ::dup(0);
  ::close(lowest);
  const int status = open_with_descriptor_limit(lowest);
  std::printf("%d %d %d\n", status, fifo_descriptors().si_datain, fifo_descriptors().si_dataout);
  return 0;
}

TEST(TransportProcess, FailedOpenNamesTheOutputPath) {
  TempDir dir;
  FifoPair pair(dir);
  auto r = display_test::run_self("second_open_fails", fifo_env(dir, pair), dir.path());
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out, "-1 1 -1\n");
  EXPECT_EQ(r.err, "(si_open_namedpipe_) can't open " + pair.out + "\nToo many open files\n");

  r = display_test::run_self("first_open_fails", fifo_env(dir, pair), dir.path());
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.out, "-1 -1 -1\n");
  EXPECT_EQ(r.err, "(si_open_namedpipe_) can't open " + pair.out + "\nToo many open files\n");
}

}  // namespace
