// Internal writes of single-precision values: the text facility against
// std::to_chars of the same values and the Fortran compiler's run-time library.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <random>
#include <vector>

#include "textio/io.h"

namespace {

// Magnitudes from 1e-3 to 1e4 with both signs, and a few zeros: the range of
// the display records and the dialogue.
const std::vector<float>& values() {
  static const std::vector<float> v = [] {
    std::vector<float> out;
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> exponent(-3.0, 4.0);
    for (int i = 0; i < 4096; ++i) {
      float x = static_cast<float>(std::pow(10.0, exponent(rng)));
      if (i % 3 == 0) x = -x;
      if (i % 97 == 0) x = 0.0f;
      out.push_back(x);
    }
    return out;
  }();
  return v;
}

template <std::size_t W>
void textio_write(benchmark::State& state, const char* format_text) {
  const textio::Format format(format_text);
  const auto& v = values();
  char record[W];
  std::size_t i = 0;
  for (auto _ : state) {
    const float x = v[i++ & (v.size() - 1)];
    textio::internal_write(std::span<char>(record, W), format, {textio::item(x)});
    benchmark::DoNotOptimize(record);
    benchmark::ClobberMemory();
  }
}

void BM_textio_G13_6(benchmark::State& s) { textio_write<13>(s, "G13.6"); }
void BM_textio_F7_1(benchmark::State& s) { textio_write<7>(s, "F7.1"); }
void BM_textio_E12_5(benchmark::State& s) { textio_write<12>(s, "E12.5"); }

template <class Convert>
void to_chars_run(benchmark::State& state, Convert convert) {
  const auto& v = values();
  char buffer[64];
  std::size_t i = 0;
  for (auto _ : state) {
    const float x = v[i++ & (v.size() - 1)];
    auto r = convert(buffer, x);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(buffer);
    benchmark::ClobberMemory();
  }
}

void BM_to_chars_shortest(benchmark::State& s) {
  to_chars_run(s, [](char* b, float x) { return std::to_chars(b, b + 64, x); });
}
void BM_to_chars_general_6(benchmark::State& s) {
  to_chars_run(s, [](char* b, float x) {
    return std::to_chars(b, b + 64, x, std::chars_format::general, 6);
  });
}
void BM_to_chars_fixed_1(benchmark::State& s) {
  to_chars_run(s, [](char* b, float x) {
    return std::to_chars(b, b + 64, x, std::chars_format::fixed, 1);
  });
}
void BM_to_chars_scientific_5(benchmark::State& s) {
  to_chars_run(s, [](char* b, float x) {
    return std::to_chars(b, b + 64, x, std::chars_format::scientific, 4);
  });
}

BENCHMARK(BM_textio_G13_6);
BENCHMARK(BM_textio_F7_1);
BENCHMARK(BM_textio_E12_5);
BENCHMARK(BM_to_chars_shortest);
BENCHMARK(BM_to_chars_general_6);
BENCHMARK(BM_to_chars_fixed_1);
BENCHMARK(BM_to_chars_scientific_5);

}  // namespace

#ifdef KIV_BENCH_FORTRAN
extern "C" {
void kernel_g13_6(float x, char* out);
void kernel_f7_1(float x, char* out);
void kernel_e12_5(float x, char* out);
}

namespace {

template <std::size_t W>
void fortran_write(benchmark::State& state, void (*kernel)(float, char*)) {
  const auto& v = values();
  char record[W];
  std::size_t i = 0;
  for (auto _ : state) {
    kernel(v[i++ & (v.size() - 1)], record);
    benchmark::DoNotOptimize(record);
    benchmark::ClobberMemory();
  }
}

void BM_fortran_G13_6(benchmark::State& s) { fortran_write<13>(s, kernel_g13_6); }
void BM_fortran_F7_1(benchmark::State& s) { fortran_write<7>(s, kernel_f7_1); }
void BM_fortran_E12_5(benchmark::State& s) { fortran_write<12>(s, kernel_e12_5); }

BENCHMARK(BM_fortran_G13_6);
BENCHMARK(BM_fortran_F7_1);
BENCHMARK(BM_fortran_E12_5);

}  // namespace
#endif

BENCHMARK_MAIN();
