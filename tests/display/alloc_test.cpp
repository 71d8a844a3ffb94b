// The display routines reuse the packet buffer and the header array: after
// the first call (which parses the record formats once) no packet and no load
// allocates memory.
#include <cstdlib>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "display/kiv.h"
#include "display/state.h"
#include "tests/display/wire.h"

namespace {
thread_local bool counting = false;
thread_local long allocations = 0;
}  // namespace

// Counts allocations made by the calling thread while `counting` is set (the
// FIFO reader thread allocates freely and is not counted).
// Replacing the global operators: the compiler cannot see that free() pairs
// with the malloc() of the replaced operator new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

int* volatile sink = nullptr;  // keeps the counter's own check from being optimised away

template <class F>
long allocations_in(F&& f) {
  allocations = 0;
  counting = true;
  f();
  counting = false;
  return allocations;
}

TEST(Allocation, NoneAfterTheFirstCall) {
  display_test::Wire wire(3, 1024, 1024);
  std::vector<float> image(512 * 512);
  for (std::size_t n = 0; n < image.size(); ++n) image[n] = static_cast<float>(n % 1000);
  const std::vector<float> extra = {1.0f, 2.0f};
  auto everything = [&] {
    display::kivfirst();
    display::kivconvlt(768);
    display::kivload(image, 512, 512, 256, 767, 0.0f, 1000.0f, "Focus Sequence", 1, 0);
    display::kivload(image, 512, 512, 256, 767, 0.0f, 1000.0f, "Focus Sequence", 2, 1);
    display::kiv_draw(1, 1024, 5, 3.0f, 4.0f, 2, 1.0f, 2.0f, 3.0f, extra, 2);
    display::kiveras();
  };
  everything();  // formats parsed once here
  EXPECT_EQ(allocations_in(everything), 0);
  EXPECT_EQ(allocations_in([] {}), 0);
  // The counter itself works.
  EXPECT_GT(allocations_in([] {
              sink = new int(1);
              delete sink;
            }),
            0);
  EXPECT_GT(wire.bytes().size(), 2u * 512u * 512u);
}

}  // namespace
