#pragma once
// Fixture for tests that call the library in this process: each test runs in
// a fresh temporary directory, so the transcript (fort.7) and the save file
// (fort.49) that reports and answers create land there and can be inspected.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/common/child.h"
#include "textio/units.h"

namespace input_test {

inline constexpr const char* kNoTranscript = "<none>";

class InProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    char buf[4096];
    ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
    old_dir_ = buf;
    dir_ = std::make_unique<testing_support::TempDir>();
    ASSERT_EQ(chdir(dir_->path().c_str()), 0);
  }
  void TearDown() override {
    textio::unit_close(7);
    textio::unit_close(49);
    ASSERT_EQ(chdir(old_dir_.c_str()), 0);
    dir_.reset();
  }
  std::string file(const std::string& name) {
    textio::flush_all_units();
    const std::string path = *dir_ / name;
    return testing_support::file_exists(path) ? testing_support::read_file(path) : std::string(kNoTranscript);
  }
  std::string transcript() { return file("fort.7"); }
  std::string path(const std::string& name) const { return *dir_ / name; }

 private:
  std::string old_dir_;
  std::unique_ptr<testing_support::TempDir> dir_;
};

}  // namespace input_test
