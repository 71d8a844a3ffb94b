// Formatting a number into an internal record with a parsed format must not
// allocate: every operator new of this test program is counted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "textio/io.h"

#if defined(__SANITIZE_ADDRESS__)
#define KIV_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIV_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef KIV_COUNT_ALLOCATIONS
#define KIV_COUNT_ALLOCATIONS 1
#endif

#if KIV_COUNT_ALLOCATIONS
namespace {
std::size_t allocations = 0;
}
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

TEST(InternalWrite, AllocatesNothing) {
#if !KIV_COUNT_ALLOCATIONS
  GTEST_SKIP() << "the sanitizer owns operator new";
#else
  struct Row {
    const char* format;
    double value;
  };
  const Row rows[] = {{"G13.6", 12.5},  {"F7.1", 0.25},    {"E12.5", 1234.5}, {"G16.9", 1e100},
                      {"F30.28", 1e-7}, {"E25.17", 5e-324}, {"I10", 0},       {"1X,G13.6,2X", 3.0}};
  for (const auto& r : rows) {
    const std::size_t at_parse = allocations;
    const textio::Format format(r.format);
    ASSERT_GT(allocations, at_parse) << "the counter sees the parser's descriptor list";
    char record[40];
    const float single = static_cast<float>(r.value);
    const std::int32_t integer = static_cast<std::int32_t>(r.value);
    const std::size_t before = allocations;
    for (int i = 0; i < 100; ++i) {
      if (r.format[0] == 'I') {
        textio::internal_write(record, format, {textio::item(integer)});
      } else {
        textio::internal_write(record, format, {textio::item(single)});
        textio::internal_write(record, format, {textio::item(r.value)});
      }
    }
    EXPECT_EQ(allocations, before) << r.format;
  }
#endif
}

}  // namespace
