#include "encode/job_driver.h"

#include <unistd.h>

#include <algorithm>
#include <tuple>

#include "encode/disk_room.h"
#include "encode/variant_result.h"
#include "catalog/output_names.h"

namespace zq48 {

MainEncodeThread::MainEncodeThread(JobContext& context, WorkerFactory& workers,
                                   JobOutputs& outputs, JobTally& tally)
    : context_(context),
      workers_(workers),
      outputs_(outputs),
      tally_(tally),
      thread_({{WM_JOB_START, [this] { OnStart(); }},
               {WM_JOB_NEXT, [this] { OnNext(); }},
               {WM_JOB_PAUSE, [this] { OnPause(); }},
               {WM_JOB_RESUME, [this] { OnResume(); }},
               {WM_JOB_STOP, [this] { OnStop(); }},
               {WM_JOB_QT_VIDEO_DONE, [this] { OnMovieWorkerDone(true); }},
               {WM_JOB_QT_AUDIO_DONE, [this] { OnMovieWorkerDone(false); }}},
              [this] { OnExit(); }) {}

bool MainEncodeThread::WithGeneralWorker(const std::function<bool(GeneralWorker*)>& use) {
  std::lock_guard lock(generalWorkerMutex_);
  return use(generalWorker_.get());
}

void MainEncodeThread::ReplaceGeneralWorker(std::unique_ptr<GeneralWorker> worker) {
  {
    std::lock_guard lock(generalWorkerMutex_);
    std::swap(generalWorker_, worker);
  }
  // The old worker (already ended) is destroyed outside the lock, so that a
  // graph event arriving meanwhile never waits on its destruction.
  worker.reset();
}

std::string MainEncodeThread::CurrentPath() {
  return context_.state.snapshot.With([this](const JobSnapshot& s) {
    return fileIndex_ < s.catalog.InputPathCount() ? s.catalog.InputPathAt(fileIndex_)
                                                   : std::string();
  });
}

void MainEncodeThread::OnStart() {
  record_.videoBitRates.clear();
  record_.audioBitRates.clear();
  const std::size_t fileCount = context_.state.snapshot.With(
      [](const JobSnapshot& s) { return s.catalog.InputPathCount(); });
  if (fileCount == 0) {
    thread_.PostQuit();
    return;
  }
  context_.events.JobStarted();
  PassFilesWithoutVariants();
  const std::string path = CurrentPath();
  if (path.empty()) {
    EndJob();
    return;
  }
  int kind = context_.state.snapshot.With(
      [&path](const JobSnapshot& s) { return s.catalog.Facts(path).sourceKind; });
  if (kind == kSourceMovie && !context_.movieFilesAvailable) {
    thread_.PostQuit();
    return;
  }
  StartGroup(path);
  context_.events.FileStarted(static_cast<int>(fileIndex_), path);
}

// A file whose variants were all deleted has nothing to encode: it is
// reported (its message makes it count as not encoded) and the job goes on
// with the next file, so that one such file never ends the whole job.
void MainEncodeThread::PassFilesWithoutVariants() {
  for (;;) {
    const std::string path = CurrentPath();
    const std::size_t variants = context_.state.snapshot.With(
        [&path](const JobSnapshot& s) { return s.catalog.FilterCount(path); });
    if (path.empty() || variants > 0) return;
    const int index = static_cast<int>(fileIndex_);
    context_.events.FileStarted(index, path);
    context_.notifier.ShowApp(path + " has no output variants: it is not encoded.");
    tally_.FileDone();
    context_.events.FileFinished(index, path);
    ++fileIndex_;
  }
}

// After the last file: the player archive and the button strip, which every
// page of the job uses (none when no file was encoded), then the thread ends.
void MainEncodeThread::EndJob() {
  if (filesWritten_ > 0) {
    if (!outputs_.WriteResourceFile(context_, PackageResource::PlayerArchive))
      context_.notifier.ShowApp("Error create JAVA applet file");
    if (!outputs_.WriteResourceFile(context_, PackageResource::ButtonImage))
      context_.notifier.ShowApp("Error create button from resources");
  }
  thread_.PostQuit();
}

std::vector<std::shared_ptr<VariantJob>> MainEncodeThread::MakeGroup(const std::string& path, std::size_t count) {
  std::vector<std::shared_ptr<VariantJob>> group;
  context_.state.snapshot.With([&](const JobSnapshot& s) {
    for (std::size_t i = filterIndex_; i < filterIndex_ + count; ++i)
      if (std::optional<VariantPlan> plan = PlanVariant(s, path, i))
        group.push_back(std::make_shared<VariantJob>(context_.state, context_.notifier, std::move(*plan)));
  });
  return group;
}

void MainEncodeThread::StartGroup(const std::string& path) {
  auto [kind, hasAudio, hasVideo, filters] = context_.state.snapshot.With([&](const JobSnapshot& s) {
    const MediaFacts& f = s.catalog.Facts(path);
    std::vector<OutputFilter> all;
    for (std::size_t i = 0; i < s.catalog.FilterCount(path); ++i) all.push_back(*s.catalog.FilterAt(path, i));
    return std::make_tuple(f.sourceKind, f.hasAudio, f.hasVideo, std::move(all));
  });
  if (kind != kSourceGeneral && kind != kSourceMovie) {
    thread_.PostQuit();
    return;
  }
  record_.sourceKind = kind;
  const std::size_t size = context_.sequential ? 1 : GroupSize(filters, filterIndex_);
  std::vector<std::shared_ptr<VariantJob>> group = MakeGroup(path, size);
  if (group.empty()) {
    thread_.PostQuit();
    return;
  }
  for (const auto& v : group) {
    record_.largestWidth = std::max(record_.largestWidth, v->plan.filter.width);
    record_.largestHeight = std::max(record_.largestHeight, v->plan.filter.height);
  }
  // Started, a variant that cannot fit would fail half-way: a group that
  // cannot fit goes one variant at a time, and a variant that cannot is skipped.
  if (group.size() > 1 && !RoomFor(path, group)) group.resize(1);
  if (group.size() == 1 && !RoomFor(path, group)) {
    skipped_ = true;
    SetRunning({});
    thread_.Post(WM_JOB_NEXT);
    return;
  }
  SetRunning(std::move(group));
  StartWorkers(kind, hasAudio, hasVideo);
}

void MainEncodeThread::StartWorkers(int kind, bool hasAudio, bool hasVideo) {
  ReplaceGeneralWorker(nullptr);
  movieVideoWorker_.reset();
  movieAudioWorker_.reset();
  if (kind == kSourceGeneral) {
    ReplaceGeneralWorker(workers_.CreateGeneralWorker(context_, GroupPointers()));
    WithGeneralWorker([](GeneralWorker* w) {
      w->Post(WM_DS_START);
      return true;
    });
    return;
  }
  movieVideoDone_ = movieAudioDone_ = false;
  if (hasAudio) {
    movieAudioWorker_ = workers_.CreateMovieAudioWorker(context_, thread_, GroupPointers());
    movieAudioWorker_->Post(WM_QT_AUDIO_START);
  }
  if (hasVideo) {
    movieVideoWorker_ = workers_.CreateMovieVideoWorker(context_, thread_, GroupPointers());
    movieVideoWorker_->Post(WM_QT_VIDEO_START);
  }
  // With no track to extract nobody would report back: move on at once.
  if (!hasAudio && !hasVideo) thread_.Post(WM_JOB_NEXT);
}

void MainEncodeThread::SetRunning(std::vector<std::shared_ptr<VariantJob>> group) {
  group_ = group;
  const std::string path = CurrentPath();
  context_.state.running.With([&](RunningVariants& r) {
    r.sourcePath = path;
    r.variants = std::move(group);
  });
}

std::vector<VariantJob*> MainEncodeThread::GroupPointers() const {
  std::vector<VariantJob*> pointers;
  for (const auto& v : group_) pointers.push_back(v.get());
  return pointers;
}

bool MainEncodeThread::RoomFor(const std::string& path, const std::vector<std::shared_ptr<VariantJob>>& group) {
  auto [folder, seconds] = context_.state.snapshot.With([&path](const JobSnapshot& s) {
    return std::make_pair(s.catalog.Settings().destinationFolder(), s.catalog.Facts(path).videoDuration);
  });
  std::uint64_t needed = 0;
  std::string what;
  for (const auto& v : group) {
    needed += BytesNeeded(v->plan.filter, seconds);
    if (!what.empty()) what += ", ";
    what += OutputBaseName(path) + "_" + VariantTag(v->plan.filter);
  }
  std::optional<std::string> problem = RoomProblem(folder, needed, what);
  // A group that does not fit is not refused here: its variants go one at a time.
  if (problem && group.size() == 1) context_.notifier.ShowApp(*problem);
  return !problem;
}

void MainEncodeThread::FinishGroup() {
  for (const auto& v : group_) {
    FinishVariant(*v);
    CommitProgress(*v, context_.state);
  }
}

void MainEncodeThread::FinishVariant(VariantJob& variant) {
  const RecordedRates before = RecordedRatesOf(record_);
  const bool finished = outputs_.FinishVariant(context_, variant, record_);  // a failure was reported; the job goes on
  const std::string folder = context_.state.snapshot.With(
      [](const JobSnapshot& s) { return s.catalog.Settings().destinationFolder(); });
  VariantResult result = VariantResultOf(folder, static_cast<int>(fileIndex_), variant.plan.sourcePath,
                                         variant.plan.filter, finished, record_, before,
                                         variant.streams.videoQuality);
  result.variantIndex = variant.plan.index;
  tally_.VariantDone(result);
  context_.events.VariantFinished(result);
}

void MainEncodeThread::OnMovieWorkerDone(bool video) {
  std::unique_ptr<DecodeWorker>& worker = video ? movieVideoWorker_ : movieAudioWorker_;
  if (worker) worker->Join();
  (video ? movieVideoDone_ : movieAudioDone_) = true;
  const std::unique_ptr<DecodeWorker>& other = video ? movieAudioWorker_ : movieVideoWorker_;
  bool otherDone = video ? movieAudioDone_ : movieVideoDone_;
  if (!other || otherDone) thread_.Post(WM_JOB_NEXT);
}

void MainEncodeThread::OnNext() {
  if (stopping_) {
    thread_.PostQuit();
    return;
  }
  std::string path = CurrentPath();
  if (path.empty()) {
    thread_.PostQuit();
    return;
  }
  if (skipped_) {
    // Skipped for want of room: nothing was started, nothing is finished.
    skipped_ = false;
    ++filterIndex_;
  } else {
    // The group's file kind, recorded when its decode started.
    if (record_.sourceKind == kSourceGeneral) {
      GeneralWorker* worker = nullptr;
      WithGeneralWorker([&worker](GeneralWorker* w) {
        worker = w;
        return true;
      });
      // Only this thread replaces the worker, so it stays valid while we wait.
      if (!worker) {
        thread_.PostQuit();
        return;
      }
      worker->Join();
    }
    FinishGroup();
    filterIndex_ += group_.size();
  }
  SetRunning({});

  std::size_t filterCount = context_.state.snapshot.With(
      [&path](const JobSnapshot& s) { return s.catalog.FilterCount(path); });
  if (filterIndex_ >= filterCount) {
    FinishFile(path);
    PassFilesWithoutVariants();
    if (CurrentPath().empty()) {
      EndJob();
      return;
    }
    context_.events.FileStarted(static_cast<int>(fileIndex_), CurrentPath());
  }

  path = CurrentPath();
  if (path.empty()) {
    thread_.PostQuit();
    return;
  }
  StartGroup(path);
}

void MainEncodeThread::FinishFile(const std::string& path) {
  if (!outputs_.WriteWebPage(context_, record_, path))
    context_.notifier.ShowApp("Error create HTML file");
  const bool metafile = outputs_.WriteMetafile(context_, record_, path);
  // The metafile is the file's last step: what is reported from here on
  // concerns the next file.
  tally_.FileDone();
  context_.events.FileFinished(static_cast<int>(fileIndex_), path);
  if (!metafile) context_.notifier.ShowApp("Error create Meta file");
  ++filesWritten_;
  record_.largestWidth = record_.largestHeight = 0;
  filterIndex_ = 0;
  ++fileIndex_;
  context_.state.done.With([](DoneAmounts& d) { d.file = 0.0; });
}

void MainEncodeThread::OnPause() {
  if (record_.sourceKind != kSourceGeneral) return;
  WithGeneralWorker([](GeneralWorker* w) {
    if (w) w->Post(WM_DS_PAUSE);
    return true;
  });
}

void MainEncodeThread::OnResume() {
  if (record_.sourceKind != kSourceGeneral) return;
  WithGeneralWorker([](GeneralWorker* w) {
    if (w) w->Post(WM_DS_RESUME);
    return true;
  });
}

void MainEncodeThread::OnStop() {
  stopping_ = true;
  if (record_.sourceKind == kSourceGeneral) {
    GeneralWorker* worker = nullptr;
    WithGeneralWorker([&worker](GeneralWorker* w) {
      worker = w;
      return true;
    });
    if (worker) {
      worker->Post(WM_DS_STOP);
      worker->Join();
      ReplaceGeneralWorker(nullptr);
    }
  } else if (record_.sourceKind == kSourceMovie) {
    // Movie-file workers end at their next picture or sound buffer: they
    // read the job's stopped flag.
    if (movieVideoWorker_) movieVideoWorker_->Join();
    if (movieAudioWorker_) movieAudioWorker_->Join();
    movieVideoWorker_.reset();
    movieAudioWorker_.reset();
  }
  for (const auto& v : group_) DeleteTemporaryStreams(*v);
  SetRunning({});
  thread_.PostQuit();
}

void MainEncodeThread::DeleteTemporaryStreams(VariantJob& variant) {
  VariantStreams& streams = variant.streams;
  streams.video.Close();
  if (!streams.videoPath.empty()) ::unlink(streams.videoPath.c_str());
  streams.audio.Close();
  streams.minimalAudio.Close();
  if (!streams.audioPath.empty()) ::unlink(streams.audioPath.c_str());
}

void MainEncodeThread::OnExit() {
  record_.sourceKind = kSourceNone;
  context_.events.JobFinished(tally_.Summary(context_.state.Stopped()));
}

}  // namespace zq48
