#include "encode/pipeline/movie_video_worker.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "encode/pipeline/variant_pipeline.h"

namespace zq48 {

namespace {

// The movie draws top-down; the encoder wants bottom-up rows.
void HandOver(MovieVideoSource& movie, double time, std::vector<std::uint8_t>& rows,
              const MoviePictureSink& sink) {
  const std::uint8_t* picture = movie.Picture();
  if (!picture) return;
  const std::size_t row = static_cast<std::size_t>(movie.width()) * 3;
  const int height = movie.height();
  rows.resize(row * height);
  for (int k = 0; k < height; ++k) std::memcpy(&rows[k * row], picture + (height - 1 - k) * row, row);
  sink(time, rows.data(), rows.size());
}

}  // namespace

bool ExtractMovieVideo(MovieVideoSource& movie, double begin, double end, JobContext& job,
                       const MoviePictureSink& sink) {
  const std::int64_t scale = movie.TimeScale();
  const std::int64_t samples = movie.SampleCount();
  if (scale <= 0 || !movie.GoToFirstSampleAtOrAfter(static_cast<std::int64_t>(scale * begin))) {
    job.notifier.ShowApp("error GoToFirstVideoSample");
    return false;
  }
  std::vector<std::uint8_t> rows;
  for (std::int64_t i = 1; i <= samples; ++i) {
    if (job.state.StoppedAfterPause()) break;
    HandOver(movie, static_cast<double>(movie.CurrentTime()) / scale - begin, rows, sink);
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

MovieVideoExtraction::MovieVideoExtraction(JobContext& job, std::vector<JobContext*> variants)
    : job_(job), group_(!variants.empty()), variants_(PlanVariants(job, variants)) {}

void MovieVideoExtraction::Run() { group_ ? RunGroup() : RunOne(); }

bool MovieVideoExtraction::Prepare(const PlannedVariant& variant, const MovieOpener& open, VariantOutputs& outputs,
                                   VideoEncoderState& stage) {
  JobContext& job = *variant.context;
  const VariantPlan& plan = variant.plan;
  if (!plan.filter.videoOn) {
    // Video switched off for this variant: no video file, nothing encoded.
    job.state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
    return false;
  }
  ::unlink(plan.basePath.c_str());
  job.state.variant.With([&plan](VariantState& v) { v.videoTempPath = plan.basePath; });
  std::optional<StreamFile> file = StreamFile::Create(plan.basePath);
  if (!file) {
    // An owner-less box with the default caption, as for the sound's file.
    job.notifier.Show({"Can't create output file", kDefaultCaption, Presentation::PlainBox});
    return false;
  }
  int failed = job.state.videoFile.With([&file](VideoFileSlot& slot) {
    slot.file = std::move(*file);
    if (!slot.file.WritePlaceholder(HeaderKind::FileOutput)) return 1;
    return slot.file.WritePlaceholder(HeaderKind::Video) ? 0 : 2;
  });
  if (failed) {
    job.notifier.ShowApp(failed == 1 ? "Could not HEADER_FILE_OUTPUT write to file 3"
                                     : "Could not write HEADER_VIDEO to file");
    return false;
  }
  if (!open()) {
    job.notifier.ShowApp("error open movie");
    return false;
  }
  auto [width, height] = job.state.snapshot.With([&plan](const JobSnapshot& s) {
    return std::make_pair(s.catalog.Facts(plan.sourcePath).width, s.catalog.Facts(plan.sourcePath).height);
  });
  job.state.variant.With([w = width, h = height](VariantState& v) {
    v.decodedWidth = w;
    v.decodedHeight = h;
  });
  if (!CreateVideoEncoder(outputs, DecodedVideoOf(job, plan.sourcePath), plan.filter, stage)) {
    job.notifier.ShowApp("error init encoder video");
    return false;
  }
  return true;
}

void MovieVideoExtraction::RunOne() {
  const PlannedVariant& variant = variants_.front();
  std::unique_ptr<MovieVideoSource> movie;
  VariantOutputs outputs(job_);
  VideoEncoderState stage;
  auto open = [&]() -> MovieVideoSource* {
    movie = OpenMovieVideo(variant.plan.sourcePath);
    return movie.get();
  };
  if (!Prepare(variant, open, outputs, stage)) return;
  auto pool = std::make_shared<BufferPool>();
  const bool started = ExtractMovieVideo(
      *movie, stage.beginTime, stage.endTime, job_,
      [&stage, &pool](double t, const std::uint8_t* picture, std::size_t bytes) {
        // A failed picture is skipped.
        EncodeVideoFrame(t, SharedCopy(*pool, picture, bytes), stage);
      });
  if (started && !job_.state.Stopped())
    FinishVideoFrames(MovieTimelineEnd(*movie, stage.beginTime, stage.endTime), stage);
  DestroyVideoEncoder(stage);
}

// Each variant takes its steps in list order around one movie; the job's
// own state tells when to stop or pause.
void MovieVideoExtraction::RunGroup() {
  const std::string& path = variants_.front().plan.sourcePath;
  std::unique_ptr<MovieVideoSource> movie;
  bool tried = false;
  auto open = [&]() -> MovieVideoSource* {
    if (!tried) movie = OpenMovieVideo(path);
    tried = true;
    return movie.get();
  };
  std::vector<std::unique_ptr<VariantOutputs>> outputs;
  std::vector<std::unique_ptr<VideoEncoderState>> stages;
  std::vector<std::unique_ptr<VariantPipeline>> pipelines;
  for (const PlannedVariant& variant : variants_) {
    outputs.push_back(std::make_unique<VariantOutputs>(*variant.context));
    auto stage = std::make_unique<VideoEncoderState>();
    if (!Prepare(variant, open, *outputs.back(), *stage)) continue;
    VideoEncoderState* s = stage.get();
    pipelines.push_back(std::make_unique<VariantPipeline>(
        VariantPipeline::Stages{[s](double t, SharedBuffer picture) { EncodeVideoFrame(t, std::move(picture), *s); },
                                nullptr,
                                [s](double end) {
                                  FinishVideoFrames(end, *s);
                                  DestroyVideoEncoder(*s);
                                }},
        nullptr));
    pipelines.back()->Start();
    stages.push_back(std::move(stage));
  }
  if (pipelines.empty()) return;
  auto pool = std::make_shared<BufferPool>();
  const double begin = stages.front()->beginTime, end = stages.front()->endTime;
  const bool started = ExtractMovieVideo(
      *movie, begin, end, job_, [&pipelines, &pool](double t, const std::uint8_t* picture, std::size_t bytes) {
        SharedBuffer shared = SharedCopy(*pool, picture, bytes);
        for (auto& p : pipelines) p->PushPicture(t, shared);
      });
  // Each variant's own extraction would have said so.
  if (!started)
    for (std::size_t i = 1; i < pipelines.size(); ++i) job_.notifier.ShowApp("error GoToFirstVideoSample");
  const double timelineEnd = started && !job_.state.Stopped() ? MovieTimelineEnd(*movie, begin, end) : 0.0;
  for (auto& p : pipelines) p->PushEnd(timelineEnd);
  for (auto& p : pipelines) p->Join();
}

}  // namespace zq48
