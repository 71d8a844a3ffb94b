// Cost of turning answers into values: decoding a line, storing it with
// ranges expanded, and looking up preset answers in the keyword buffer.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "input/dcd.h"
#include "input/endmarks.h"
#include "input/keywords.h"
#include "input/usrinp.h"

namespace {

std::string list_of(int n) {
  std::string s;
  for (int k = 0; k < n; ++k) s += std::to_string(k) + ".5 ";
  return s;
}

void BM_DecodeLine(benchmark::State& state) {
  const std::string line = list_of(static_cast<int>(state.range(0)));
  std::vector<double> values(2048);
  for (auto _ : state) {
    input::dcd(line, static_cast<std::int32_t>(line.size()), values, 2048);
    benchmark::DoNotOptimize(values.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeLine)->Arg(1)->Arg(10)->Arg(200);

void BM_StoreRange(benchmark::State& state) {
  const std::string answer = "1:256";
  std::vector<float> var(256);
  for (auto _ : state) {
    auto& b = input::bkey().text;
    std::memcpy(b.data(), answer.data(), answer.size());
    input::store_answer(std::as_writable_bytes(std::span<float>(var)), 256, 'F', 4,
                        static_cast<std::int32_t>(answer.size()));
    benchmark::DoNotOptimize(var.data());
  }
}
BENCHMARK(BM_StoreRange);

void BM_StoreDelay(benchmark::State& state) {
  float delay = 0;
  for (auto _ : state) {
    auto& b = input::bkey().text;
    std::memcpy(b.data(), "0.5", 3);
    input::store_answer(std::as_writable_bytes(std::span<float>(&delay, 1)), 1, 'F', 4, 3);
    benchmark::DoNotOptimize(delay);
  }
}
BENCHMARK(BM_StoreDelay);

void BM_KeywordLookup(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    input::strkey("");
    for (int k = 0; k < 50; ++k) input::addkey("KEY" + std::to_string(k) + "=" + std::to_string(k));
    state.ResumeTiming();
    std::int32_t n = 0;
    for (int k = 49; k >= 0; --k) input::getkey("KEY" + std::to_string(k) + "=", n);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_KeywordLookup);

}  // namespace

BENCHMARK_MAIN();
