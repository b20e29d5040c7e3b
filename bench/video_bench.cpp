// The video path's hot spot: the whole stage (crop, scale, frame-rate plan,
// encoder, stream write) for 640x480 pictures encoded at 320x240, 15 frames
// per second. The scalers alone are in scaler_bench.cpp.

#include <benchmark/benchmark.h>

#include <random>

#include "encode/pipeline/variant_outputs.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "video/video_encoder_stage.h"

namespace {

using Picture = std::vector<std::uint8_t>;

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
