// The display client's test program. Started as "display_tests --child NAME"
// it runs one registered child body instead of the tests (a fresh process for
// the cases where exit status, signals or standard error of a run matter).
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/display/support.h"

#ifdef DISPLAY_TESTS_WITH_TEXTIO
#include "textio/units.h"
#endif

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
    const int status = display_test::run_child_body(argv[2]);
#ifdef DISPLAY_TESTS_WITH_TEXTIO
    textio::flush_all_units();
#endif
    std::fflush(nullptr);
    return status;
  }
  testing::InitGoogleTest(&argc, argv);
  // Transcript and save files of the reporting routines land in a scratch
  // directory, not in the build tree.
  display_test::TempDir scratch;
  if (::chdir(scratch.path().c_str()) != 0) return 2;
  return RUN_ALL_TESTS();
}
