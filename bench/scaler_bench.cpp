// The area scalers at the ladder's sizes, on every instruction set this
// processor runs: "scalar" is the reference code the vector levels must
// match byte for byte, the last level listed is the one the encoder uses.
// Names read BM_AreaReduce/<source>-><destination>/<level>.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "video/scalers.h"

namespace {

using Picture = std::vector<std::uint8_t>;

Picture Noise(int w, int h) {
  std::mt19937 rng(1);
  Picture p(static_cast<std::size_t>(w) * h * 3);
  for (auto& b : p) b = static_cast<std::uint8_t>(rng() & 0xFF);
  return p;
}

struct Size {
  int sw, sh, dw, dh;
};

template <class Scaler>
void ScalePictures(benchmark::State& state, Size s, zq48::SimdLevel level) {
  const Picture src = Noise(s.sw, s.sh);
  Picture dst(static_cast<std::size_t>(s.dw) * s.dh * 3);
  Scaler scaler(s.sw, s.sh, s.dw, s.dh, level);
  for (auto _ : state) {
    scaler.Scale(src.data(), dst.data());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.counters["Mpixel/s"] =
      benchmark::Counter(static_cast<double>(s.sw) * s.sh / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

template <class Scaler>
void Register(const char* name, Size s) {
  for (zq48::SimdLevel level : zq48::SupportedSimdLevels()) {
    const std::string full = std::string(name) + "/" + std::to_string(s.sw) + "x" + std::to_string(s.sh) + "->" +
                             std::to_string(s.dw) + "x" + std::to_string(s.dh) + "/" + zq48::SimdLevelName(level);
    benchmark::RegisterBenchmark(full.c_str(), [s, level](benchmark::State& state) {
      ScalePictures<Scaler>(state, s, level);
    })->Unit(benchmark::kMillisecond);
  }
}

const bool kRegistered = [] {
  // The default ladder's reductions of a 640x480 source, and a 4K source.
  for (Size s : {Size{640, 480, 448, 336}, Size{640, 480, 320, 240}, Size{640, 480, 240, 176},
                 Size{640, 480, 128, 96}, Size{3840, 2160, 640, 480}})
    Register<zq48::AreaReducer>("BM_AreaReduce", s);
  Register<zq48::AreaEnlarger>("BM_AreaEnlarge", Size{320, 240, 640, 480});
  return true;
}();

}  // namespace
