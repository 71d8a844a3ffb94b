// Live view cost per load: sample the 128 x 128 frame buffer into cells and
// compose the escape sequences against the previous picture, for a frame that
// changed (the next star of the focus sequence), as fbview does after a load.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "server/palette.h"
#include "server/state.h"
#include "server/term_view.h"

namespace {

// The focus sequence's star of frame f placed as the client places it.
server::FrameBuffer star_frame(int f) {
  const int d = f - 16 * ((f + 8) / 16);
  const float w = static_cast<float>(2 * std::abs(d) + 2);
  server::FrameBuffer fb;
  fb.resize(128, 128);
  for (int k = 1; k <= 64; ++k)
    for (int i = 1; i <= 64; ++i) {
      const float r = std::hypot(static_cast<float>(i) - 32.5f, static_cast<float>(k) - 32.5f);
      const float v = r / w < 8.0f ? 5000.0f / std::pow(w, 1.6f) * std::exp(-(r / w) * (r / w)) : 0.0f;
      const long p = std::lround(v / (1000.0f * 0.0050251256f));
      fb.line_ptr(97 - k)[31 + i] = static_cast<std::uint8_t>(p < 0 ? 0 : p > 200 ? 200 : p);
    }
  return fb;
}

void run(benchmark::State& state, server::ColorMode mode, int cols, int rows) {
  std::vector<server::FrameBuffer> frames;
  for (int f = 1; f <= 16; ++f) frames.push_back(star_frame(f));
  const server::CellColors colors(server::make_palette(server::ColorMap::kGrey), mode);
  const server::Fit fit = server::fit_to_terminal(128, 128, cols, rows);
  std::vector<server::Cell> prev, next;
  server::sample_cells(frames[0], fit, prev);
  std::string out;
  out.reserve(1 << 16);
  const std::string status = "Focus Sequence  load 1  z 0.50251E+01..0.10050E+04  10.0 loads/s";
  std::size_t n = 1, bytes = 0;
  for (auto _ : state) {
    out.clear();
    server::sample_cells(frames[n % 16], fit, next);
    server::compose_frame(prev, status, next, status, fit, colors, out);
    std::swap(prev, next);
    bytes += out.size();
    benchmark::DoNotOptimize(out.data());
    ++n;
  }
  state.counters["bytes/load"] = benchmark::Counter(static_cast<double>(bytes) / static_cast<double>(state.iterations()));
  state.SetLabel(std::to_string(fit.cols) + "x" + std::to_string(fit.rows) + " cells");
}

void BM_ViewPerLoad_TrueColor_100x50(benchmark::State& s) { run(s, server::ColorMode::kTrueColor, 100, 50); }
void BM_ViewPerLoad_256_100x50(benchmark::State& s) { run(s, server::ColorMode::k256, 100, 50); }
void BM_ViewPerLoad_TrueColor_200x70(benchmark::State& s) { run(s, server::ColorMode::kTrueColor, 200, 70); }

// A full first draw of the picture, for comparison with the redraw.
void BM_ViewFullDraw_TrueColor_100x50(benchmark::State& state) {
  const auto fb = star_frame(16);
  const server::CellColors colors(server::make_palette(server::ColorMap::kGrey), server::ColorMode::kTrueColor);
  const server::Fit fit = server::fit_to_terminal(128, 128, 100, 50);
  std::vector<server::Cell> cells;
  std::string out;
  out.reserve(1 << 16);
  for (auto _ : state) {
    out.clear();
    server::sample_cells(fb, fit, cells);
    server::compose_frame({}, {}, cells, "status", fit, colors, out);
    benchmark::DoNotOptimize(out.data());
  }
}

}  // namespace

BENCHMARK(BM_ViewPerLoad_TrueColor_100x50);
BENCHMARK(BM_ViewPerLoad_256_100x50);
BENCHMARK(BM_ViewPerLoad_TrueColor_200x70);
BENCHMARK(BM_ViewFullDraw_TrueColor_100x50);
BENCHMARK_MAIN();
