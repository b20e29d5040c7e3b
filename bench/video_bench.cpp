// The video path's hot spots: the area-average scaler and the whole stage
// (crop, scale, frame-rate plan, encoder, stream write) for 640x480 pictures
// encoded at 320x240, 15 frames per second.

#include <benchmark/benchmark.h>

#include <random>

#include "encode/pipeline/variant_outputs.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "video/video_encoder_stage.h"

namespace {

using Picture = std::vector<std::uint8_t>;

Picture Noise(int w, int h) {
  std::mt19937 rng(1);
  Picture p(static_cast<std::size_t>(w) * h * 3);
  for (auto& b : p) b = static_cast<std::uint8_t>(rng() & 0xFF);
  return p;
}

// A gradient that moves a little each picture, like real footage.
Picture Moving(int w, int h, int frame) {
  Picture p(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        p[(static_cast<std::size_t>(y) * w + x) * 3 + c] =
            static_cast<std::uint8_t>((x + 2 * frame) * (c + 1) + y);
  return p;
}

// The ladder's reductions of a 640x480 source.
void BM_AreaReduce(benchmark::State& state) {
  const int dw = static_cast<int>(state.range(0)), dh = static_cast<int>(state.range(1));
  const Picture src = Noise(640, 480);
  Picture dst(static_cast<std::size_t>(dw) * dh * 3);
  zq48::AreaReducer reducer(640, 480, dw, dh);
  for (auto _ : state) {
    reducer.Scale(src.data(), dst.data());
    benchmark::DoNotOptimize(dst.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(640.0 * 480 / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AreaReduce)
    ->ArgNames({"w", "h"})
    ->Args({320, 240})
    ->Args({240, 176})
    ->Args({128, 96})
    ->Args({448, 336})
    ->Unit(benchmark::kMillisecond);

void BM_AreaEnlarge320x240To640x480(benchmark::State& state) {
  const Picture src = Noise(320, 240);
  Picture dst(640 * 480 * 3);
  zq48::AreaEnlarger enlarger(320, 240, 640, 480);
  for (auto _ : state) {
    enlarger.Scale(src.data(), dst.data());
    benchmark::DoNotOptimize(dst.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(640.0 * 480 / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AreaEnlarge320x240To640x480)->Unit(benchmark::kMillisecond);

void BM_VideoStage640x480To320x240(benchmark::State& state) {
  zq48::testing::TempDir dir;
  zq48::JobState job;
  zq48::testing::RecordingNotifier notifier;
  zq48::VariantJob variant(job, notifier, zq48::VariantPlan{});
  variant.streams.video = std::move(*zq48::StreamFile::Create(dir.File("bench.zq48")));
  zq48::OutputFilter filter;
  filter.width = 320;
  filter.height = 240;
  filter.frameRate = 15.0;
  filter.videoBitRate = 334;
  std::vector<zq48::SharedBuffer> pictures;
  for (int i = 0; i < 30; ++i) pictures.push_back(std::make_shared<const std::vector<std::uint8_t>>(Moving(640, 480, i)));

  zq48::VideoEncoderState stage;
  zq48::VideoOutputs outputs(variant);
  zq48::CreateVideoEncoder(outputs, zq48::DecodedVideo{640, 480, 15.0}, filter, stage);
  int frame = 0;
  for (auto _ : state) {
    zq48::EncodeVideoFrame(frame / 15.0, pictures[frame % pictures.size()], stage);
    ++frame;
  }
  zq48::DestroyVideoEncoder(stage);
  state.counters["frames/s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_VideoStage640x480To320x240)->Unit(benchmark::kMillisecond);

}  // namespace
