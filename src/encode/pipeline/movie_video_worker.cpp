#include "encode/pipeline/movie_video_worker.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "encode/pipeline/variant_outputs.h"
#include "encode/pipeline/variant_pipeline.h"
#include "video/video_encoder_stage.h"

namespace zq48 {

namespace {

// The movie draws top-down; the encoder wants bottom-up rows, turned over
// straight into the buffer the pipelines share.
SharedBuffer BottomUp(MovieVideoSource& movie, BufferPool& pool) {
  const std::uint8_t* picture = movie.Picture();
  if (!picture) return nullptr;
  const std::size_t row = static_cast<std::size_t>(movie.width()) * 3;
  const int height = movie.height();
  BufferPool::Buffer rows = pool.Take();
  rows.resize(row * height);
  for (int k = 0; k < height; ++k) std::memcpy(&rows[k * row], picture + (height - 1 - k) * row, row);
  return pool.Share(std::move(rows));
}

// One variant's video: its stream file, its encoder and the pipeline that runs it.
struct VideoVariant {
  explicit VideoVariant(VariantJob& v) : variant(v), outputs(v) {}
  VariantJob& variant;
  VideoOutputs outputs;
  VideoEncoderState stage;
  std::unique_ptr<VariantPipeline> pipeline;
};

// A variant's steps up to its first picture: its stream file, the movie
// (`open`), its encoder. False after the step's message.
bool Prepare(VideoVariant& v, const std::function<MovieVideoSource*()>& open) {
  const VariantPlan& plan = v.variant.plan;
  Notifier& notifier = v.variant.notifier();
  // Video switched off for this variant: no video file, nothing encoded.
  if (!plan.filter.videoOn) return false;
  ::unlink(plan.basePath.c_str());
  VariantStreams& streams = v.variant.streams;
  streams.videoPath = plan.basePath;
  std::optional<StreamFile> file = StreamFile::Create(plan.basePath);
  if (!file) {
    // An owner-less box with the default caption, as for the sound's file.
    notifier.Show({"Can't create output file", kDefaultCaption, Presentation::PlainBox});
    return false;
  }
  streams.video = std::move(*file);
  if (!streams.video.WritePlaceholder(HeaderKind::FileOutput)) {
    notifier.ShowApp("Could not HEADER_FILE_OUTPUT write to file 3");
    return false;
  }
  if (!streams.video.WritePlaceholder(HeaderKind::Video)) {
    notifier.ShowApp("Could not write HEADER_VIDEO to file");
    return false;
  }
  if (!open()) {
    notifier.ShowApp("error open movie");
    return false;
  }
  if (!CreateVideoEncoder(v.outputs, DecodedVideo{plan.width, plan.height, plan.frameRate}, plan.filter, v.stage)) {
    notifier.ShowApp("error init encoder video");
    return false;
  }
  return true;
}

}  // namespace

bool ExtractMovieVideo(MovieVideoSource& movie, double begin, double end, const JobState& job,
                       const MoviePictureSink& sink) {
  const std::int64_t scale = movie.TimeScale();
  const std::int64_t samples = movie.SampleCount();
  if (scale <= 0 || !movie.GoToFirstSampleAtOrAfter(static_cast<std::int64_t>(scale * begin))) return false;
  auto pool = std::make_shared<BufferPool>();
  for (std::int64_t i = 1; i <= samples; ++i) {
    if (job.StoppedAfterPause()) break;
    if (SharedBuffer picture = BottomUp(movie, *pool))
      sink(static_cast<double>(movie.CurrentTime()) / scale - begin, std::move(picture));
    // The end test looks at the picture just handed over, so the first
    // picture past the end is still encoded.
    if (end != 0 && scale * end < static_cast<double>(movie.CurrentTime())) break;
    if (!movie.GoToNextSample()) break;
  }
  return true;
}

double MovieTimelineEnd(const MovieVideoSource& movie, double begin, double end) {
  const std::int64_t scale = movie.TimeScale();
  const double duration = scale > 0 ? static_cast<double>(movie.Duration()) / scale : 0.0;
  const double last = end != 0 ? std::min(end, duration) : duration;
  return std::max(0.0, last - begin);
}

// Each variant takes its steps in list order around one movie.
void MovieVideoExtraction::Run() {
  if (variants_.empty()) return;
  std::unique_ptr<MovieVideoSource> movie;
  bool tried = false;
  auto open = [&]() -> MovieVideoSource* {
    if (!tried) movie = OpenMovieVideo(variants_.front()->plan.sourcePath);
    tried = true;
    return movie.get();
  };
  std::vector<std::unique_ptr<VideoVariant>> running;
  for (VariantJob* variant : variants_) {
    auto v = std::make_unique<VideoVariant>(*variant);
    if (!Prepare(*v, open)) continue;
    VideoEncoderState* s = &v->stage;
    v->pipeline = std::make_unique<VariantPipeline>(
        VariantPipeline::Stages{[s](double t, SharedBuffer picture) { EncodeVideoFrame(t, std::move(picture), *s); },
                                nullptr,
                                [s](double end) {
                                  FinishVideoFrames(end, *s);
                                  DestroyVideoEncoder(*s);
                                }},
        nullptr);
    v->pipeline->Start();
    running.push_back(std::move(v));
  }
  if (running.empty()) return;
  const double begin = running.front()->stage.beginTime, end = running.front()->stage.endTime;
  const bool started = ExtractMovieVideo(*movie, begin, end, job_, [&running](double t, SharedBuffer picture) {
    for (auto& v : running) v->pipeline->PushPicture(t, picture);
  });
  if (!started)
    for (auto& v : running) v->variant.notifier().ShowApp("error GoToFirstVideoSample");
  const double timelineEnd = started && !job_.Stopped() ? MovieTimelineEnd(*movie, begin, end) : 0.0;
  for (auto& v : running) v->pipeline->PushEnd(timelineEnd);
  for (auto& v : running) v->pipeline->Join();
}

}  // namespace zq48
