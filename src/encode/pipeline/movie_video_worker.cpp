#include "encode/pipeline/movie_video_worker.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "encode/job_messages.h"
#include "encode/pipeline/variant_pipeline.h"

namespace zq48 {

namespace {

// The caption an owner-less box shows when it is given none of its own.
constexpr const char* kPlainBoxCaption = "Error";

// Waits while the job is paused; true when the job is stopped.
bool StoppedAfterPause(JobState& state) {
  if (state.Stopped()) return true;
  // A stop also ends the wait, so a paused job can always be stopped.
  while (state.Paused() && !state.Stopped()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return state.Stopped();
}

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
  const std::int64_t seconds = scale > 0 ? movie.Duration() / scale : 0;
  const std::int64_t samples = movie.SampleCount();
  // Whole seconds over the samples: a movie under one second gives every picture the begin time.
  const double step = samples > 0 ? static_cast<double>(seconds) / samples : 0.0;
  if (!movie.GoToFirstSampleAtOrAfter(static_cast<std::int64_t>(scale * begin))) {
    job.notifier.ShowApp("error GoToFirstVideoSample");
    return false;
  }
  std::vector<std::uint8_t> rows;
  double t = begin;
  for (std::int64_t i = 1; i <= samples; ++i) {
    if (StoppedAfterPause(job.state)) break;
    HandOver(movie, t, rows, sink);
    t += step;
    // The end test looks at the picture just handed over, so the first
    // picture past the end is still encoded.
    if (end != 0 && scale * end < static_cast<double>(movie.CurrentTime())) break;
    if (!movie.GoToNextSample()) break;
  }
  return true;
}

MovieVideoWorker::MovieVideoWorker(MessageThread& driver, std::vector<JobContext*> variants)
    : driver_(driver), variants_(std::move(variants)) {
  On(WM_QT_VIDEO_START, [this](WParam w) { OnStart(w); });
}

void MovieVideoWorker::OnStart(WParam wparam) {
  JobContext& job = JobContext::From(wparam);
  if (variants_.empty()) {
    Run(job);
  } else {
    RunGroup(job);
  }
  // Whatever happened, the driver learns that the video of the variant has ended.
  PostQuit();
  driver_.Post(WM_JOB_QT_VIDEO_DONE);
}

bool MovieVideoWorker::Prepare(JobContext& job, const MovieOpener& open, VariantOutputs& outputs,
                               VideoEncoderState& stage) {
  auto [path, basePath, filter] = job.state.variant.With([](const VariantState& v) {
    return std::make_tuple(v.sourcePath, v.outputBasePath, v.filter);
  });
  if (!filter.videoOn) {
    // Video switched off for this variant: no video file, nothing encoded.
    job.state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
    return false;
  }
  ::unlink(basePath.c_str());
  job.state.variant.With([&b = basePath](VariantState& v) { v.videoTempPath = b; });
  std::optional<StreamFile> file = StreamFile::Create(basePath);
  if (!file) {
    // An owner-less box with the default caption, as for the sound's file.
    job.notifier.Show({"Can't create output file", kPlainBoxCaption, Presentation::PlainBox});
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
  auto [width, height] = job.state.snapshot.With([&p = path](const JobSnapshot& s) {
    return std::make_pair(s.catalog.Facts(p).width, s.catalog.Facts(p).height);
  });
  job.state.variant.With([w = width, h = height](VariantState& v) {
    v.decodedWidth = w;
    v.decodedHeight = h;
  });
  if (!CreateVideoEncoder(outputs, DecodedVideoOf(job, path), filter, stage)) {
    job.notifier.ShowApp("error init encoder video");
    return false;
  }
  return true;
}

bool MovieVideoWorker::Run(JobContext& job) {
  const std::string path = job.state.variant.With([](const VariantState& v) { return v.sourcePath; });
  std::unique_ptr<MovieVideoSource> movie;
  VariantOutputs outputs(job);
  VideoEncoderState stage;
  auto open = [&]() -> MovieVideoSource* {
    movie = OpenMovieVideo(path);
    return movie.get();
  };
  if (!Prepare(job, open, outputs, stage)) return false;
  ExtractMovieVideo(*movie, stage.beginTime, stage.endTime, job,
                    [&stage](double t, const std::uint8_t* picture, std::size_t bytes) {
                      EncodeVideoFrame(t, picture, bytes, stage);  // a failed picture is skipped
                    });
  DestroyVideoEncoder(stage);
  return true;
}

// Each variant takes its steps in list order around one movie; the job's
// own state tells when to stop or pause.
void MovieVideoWorker::RunGroup(JobContext& job) {
  const std::string path = variants_.front()->state.variant.With([](const VariantState& v) { return v.sourcePath; });
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
  for (JobContext* variant : variants_) {
    outputs.push_back(std::make_unique<VariantOutputs>(*variant));
    auto stage = std::make_unique<VideoEncoderState>();
    if (!Prepare(*variant, open, *outputs.back(), *stage)) continue;
    VideoEncoderState* s = stage.get();
    pipelines.push_back(std::make_unique<VariantPipeline>(
        VariantPipeline::Stages{[s](double t, const std::uint8_t* d, std::size_t n) { EncodeVideoFrame(t, d, n, *s); },
                                nullptr, [s] { DestroyVideoEncoder(*s); }},
        nullptr));
    pipelines.back()->Start();
    stages.push_back(std::move(stage));
  }
  if (pipelines.empty()) return;
  const bool started = ExtractMovieVideo(
      *movie, stages.front()->beginTime, stages.front()->endTime, job,
      [&pipelines](double t, const std::uint8_t* picture, std::size_t bytes) {
        auto shared = std::make_shared<const std::vector<std::uint8_t>>(picture, picture + bytes);
        for (auto& p : pipelines) p->PushPicture(t, shared);
      });
  // Each variant's own extraction would have said so.
  if (!started)
    for (std::size_t i = 1; i < pipelines.size(); ++i) job.notifier.ShowApp("error GoToFirstVideoSample");
  for (auto& p : pipelines) p->PushEnd();
  for (auto& p : pipelines) p->Join();
}

}  // namespace zq48
