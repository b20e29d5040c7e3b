// Probing must only look at a file, never decode it whole: its cost should
// not grow with the file's length.

#include <benchmark/benchmark.h>

#include "sources/probe.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"

namespace {

using zq48::testing::ClipSpec;

void ProbeClip(benchmark::State& state, const std::string& path) {
  zq48::FfmpegGeneralMedia general;
  zq48::FfmpegMovieMedia movie;
  zq48::testing::RecordingNotifier notifier;
  for (auto _ : state) {
    zq48::InputCatalog catalog;
    zq48::MediaProbe probe(catalog, notifier, {&general, &movie});
    if (!probe.Probe(path)) state.SkipWithError("probe refused the clip");
  }
}

// Arg: the clip's length in seconds.
void BM_ProbeAvi(benchmark::State& state) {
  zq48::testing::TempDir dir;
  std::string path = dir.File("clip.avi");
  zq48::testing::WriteAvi(path, ClipSpec{.width = 320, .height = 240, .fpsNum = 25,
                                         .seconds = static_cast<double>(state.range(0))});
  ProbeClip(state, path);
}
BENCHMARK(BM_ProbeAvi)->Arg(2)->Arg(60)->Unit(benchmark::kMillisecond);

void BM_ProbeMpegPs(benchmark::State& state) {
  zq48::testing::TempDir dir;
  std::string path = dir.File("clip.mpg");
  zq48::testing::WriteMpegPs(path, ClipSpec{.width = 320, .height = 240, .fpsNum = 25,
                                            .seconds = static_cast<double>(state.range(0))});
  ProbeClip(state, path);
}
BENCHMARK(BM_ProbeMpegPs)->Arg(2)->Arg(60)->Unit(benchmark::kMillisecond);

void BM_ProbeMovie(benchmark::State& state) {
  zq48::testing::TempDir dir;
  std::string path = dir.File("clip.mov");
  zq48::testing::WriteMovie(path, ClipSpec{.width = 320, .height = 240, .fpsNum = 25,
                                           .seconds = static_cast<double>(state.range(0))},
                            "mdat");
  ProbeClip(state, path);
}
BENCHMARK(BM_ProbeMovie)->Arg(2)->Arg(60)->Unit(benchmark::kMillisecond);

}  // namespace
