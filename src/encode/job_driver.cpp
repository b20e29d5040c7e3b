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
  if (!PrepareVariant(path)) return;
  int kind = context_.state.snapshot.With(
      [&path](const JobSnapshot& s) { return s.catalog.Facts(path).sourceKind; });
  if (kind == kSourceMovie && !context_.movieFilesAvailable) {
    thread_.PostQuit();
    return;
  }
  StartWorkers(path);
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

bool MainEncodeThread::PrepareVariant(const std::string& path) {
  auto [filter, folder] = context_.state.snapshot.With([&](const JobSnapshot& s) {
    const OutputFilter* f = s.catalog.FilterAt(path, filterIndex_);
    return std::make_pair(f ? std::optional<OutputFilter>(*f) : std::nullopt,
                          s.catalog.Settings().destinationFolder());
  });
  if (!filter) {
    thread_.PostQuit();
    return false;
  }
  std::string basePath = OutputBasePath(folder, path, *filter);
  record_.largestWidth = std::max(record_.largestWidth, filter->width);
  record_.largestHeight = std::max(record_.largestHeight, filter->height);
  const OutputFilter chosen = *filter;
  context_.state.variant.With([&](VariantState& v) {
    v.sourcePath = path;
    v.outputBasePath = basePath;
    v.filter = chosen;
    v.audioSampleCount = 0;
    // Nothing of an earlier variant (or of a stopped job) may count for this one.
    v.videoInProgress = 0.0;
    v.audioInProgress = 0.0;
    // The stages name this variant's files when they create them; until
    // then no earlier variant's file may be taken for this one's.
    v.videoTempPath.clear();
    v.audioTempPath.clear();
    v.minAudioTempPath.clear();
  });
  return true;
}

void MainEncodeThread::StartWorkers(const std::string& path) {
  auto [kind, hasAudio, hasVideo] = context_.state.snapshot.With([&](const JobSnapshot& s) {
    const MediaFacts& f = s.catalog.Facts(path);
    return std::make_tuple(f.sourceKind, f.hasAudio, f.hasVideo);
  });
  if (kind == kSourceGeneral || kind == kSourceMovie) {
    // Started, a variant that cannot fit would fail half-way; it is skipped
    // (a group that cannot fit goes one variant at a time, each checked).
    const bool grouped = kind == kSourceGeneral ? StartGroup(path) : StartMovieGroup(path, hasAudio, hasVideo);
    if (grouped) {
      record_.sourceKind = kind;
      return;
    }
    if (!RoomFor(path, {CurrentFilter()})) {
      record_.sourceKind = kind;
      skipped_ = skippedVariant_ = true;
      thread_.Post(WM_JOB_NEXT);
      return;
    }
  }
  if (kind == kSourceGeneral) {
    movieVideoWorker_.reset();
    movieAudioWorker_.reset();
    record_.sourceKind = kSourceGeneral;
    ReplaceGeneralWorker(workers_.CreateGeneralWorker(context_));
    WithGeneralWorker([](GeneralWorker* w) {
      w->Post(WM_DS_START);
      return true;
    });
  } else if (kind == kSourceMovie) {
    ReplaceGeneralWorker(nullptr);
    movieVideoWorker_.reset();
    movieAudioWorker_.reset();
    movieVideoDone_ = movieAudioDone_ = false;
    record_.sourceKind = kSourceMovie;
    if (hasAudio) {
      movieAudioWorker_ = workers_.CreateMovieAudioWorker(context_, thread_);
      movieAudioWorker_->Post(WM_QT_AUDIO_START);
    }
    if (hasVideo) {
      movieVideoWorker_ = workers_.CreateMovieVideoWorker(context_, thread_);
      movieVideoWorker_->Post(WM_QT_VIDEO_START);
    }
    // With no track to extract nobody would report back: move on at once.
    if (!hasAudio && !hasVideo) thread_.Post(WM_JOB_NEXT);
  } else {
    thread_.PostQuit();
  }
}

// The group of variants from the current one on; empty when they are to go
// one at a time (in the reference order, or alone in their group).
std::vector<std::unique_ptr<VariantJob>> MainEncodeThread::MakeGroup(const std::string& path) {
  std::vector<std::unique_ptr<VariantJob>> group;
  if (context_.sequential) return group;
  std::vector<OutputFilter> filters = context_.state.snapshot.With([&path](const JobSnapshot& s) {
    std::vector<OutputFilter> all;
    for (std::size_t i = 0; i < s.catalog.FilterCount(path); ++i) all.push_back(*s.catalog.FilterAt(path, i));
    return all;
  });
  const std::size_t size = GroupSize(filters, filterIndex_);
  if (size < 2) return group;
  for (std::size_t i = filterIndex_; i < filterIndex_ + size; ++i)
    group.push_back(std::make_unique<VariantJob>(context_, path, filters[i]));
  return group;
}

void MainEncodeThread::PublishGroup(std::vector<std::unique_ptr<VariantJob>> group) {
  std::vector<std::shared_ptr<JobState>> states;
  for (const auto& v : group) {
    record_.largestWidth = std::max(record_.largestWidth, v->filter.width);
    record_.largestHeight = std::max(record_.largestHeight, v->filter.height);
    states.push_back(v->state);
  }
  context_.state.group.With([&states](auto& g) { g = std::move(states); });
  group_ = std::move(group);
}

std::vector<OutputFilter> MainEncodeThread::Filters(const std::vector<std::unique_ptr<VariantJob>>& group) {
  std::vector<OutputFilter> filters;
  for (const auto& v : group) filters.push_back(v->filter);
  return filters;
}

std::vector<JobContext*> MainEncodeThread::Contexts(const std::vector<std::unique_ptr<VariantJob>>& group) {
  std::vector<JobContext*> contexts;
  for (const auto& v : group) contexts.push_back(&v->context);
  return contexts;
}

OutputFilter MainEncodeThread::CurrentFilter() {
  return context_.state.variant.With([](const VariantState& v) { return v.filter; });
}

bool MainEncodeThread::RoomFor(const std::string& path, const std::vector<OutputFilter>& filters) {
  auto [folder, seconds] = context_.state.snapshot.With([&path](const JobSnapshot& s) {
    return std::make_pair(s.catalog.Settings().destinationFolder(), s.catalog.Facts(path).videoDuration);
  });
  std::uint64_t needed = 0;
  std::string what;
  for (const OutputFilter& f : filters) {
    needed += BytesNeeded(f, seconds);
    if (!what.empty()) what += ", ";
    what += OutputBaseName(path) + "_" + VariantTag(f);
  }
  std::optional<std::string> problem = RoomProblem(folder, needed, what);
  // A group that does not fit is not refused here: its variants go one at a time.
  if (problem && filters.size() == 1) context_.notifier.ShowApp(*problem);
  return !problem;
}

bool MainEncodeThread::StartGroup(const std::string& path) {
  std::vector<std::unique_ptr<VariantJob>> group = MakeGroup(path);
  if (group.empty() || !RoomFor(path, Filters(group))) return false;
  std::unique_ptr<GeneralWorker> worker = workers_.CreateGroupWorker(context_, Contexts(group));
  if (!worker) return false;
  PublishGroup(std::move(group));
  movieVideoWorker_.reset();
  movieAudioWorker_.reset();
  ReplaceGeneralWorker(std::move(worker));
  WithGeneralWorker([](GeneralWorker* w) {
    w->Post(WM_DS_START);
    return true;
  });
  return true;
}

bool MainEncodeThread::StartMovieGroup(const std::string& path, bool hasAudio, bool hasVideo) {
  std::vector<std::unique_ptr<VariantJob>> group = MakeGroup(path);
  if (group.empty() || (!hasAudio && !hasVideo) || !RoomFor(path, Filters(group))) return false;
  ReplaceGeneralWorker(nullptr);
  movieVideoWorker_.reset();
  movieAudioWorker_.reset();
  movieVideoDone_ = movieAudioDone_ = false;
  std::unique_ptr<DecodeWorker> audio, video;
  if (hasAudio && !(audio = workers_.CreateMovieAudioGroupWorker(context_, thread_, Contexts(group)))) return false;
  if (hasVideo && !(video = workers_.CreateMovieVideoGroupWorker(context_, thread_, Contexts(group)))) return false;
  PublishGroup(std::move(group));
  movieAudioWorker_ = std::move(audio);
  movieVideoWorker_ = std::move(video);
  if (movieAudioWorker_) movieAudioWorker_->Post(WM_QT_AUDIO_START);
  if (movieVideoWorker_) movieVideoWorker_->Post(WM_QT_VIDEO_START);
  return true;
}

// Finishes the group's variants in list order, as one at a time would.
void MainEncodeThread::FinishGroup() {
  for (const auto& v : group_) {
    FinishVariant(v->context, v->filter);
    CommitProgress(*v->state, context_.state);
  }
  filterIndex_ += group_.size() - 1;
  context_.state.group.With([](auto& g) { g.clear(); });
  group_.clear();
}

void MainEncodeThread::FinishVariant(JobContext& variant, const OutputFilter& filter) {
  const RecordedRates before = RecordedRatesOf(record_);
  const bool finished = outputs_.FinishVariant(variant, record_, filter);  // a failure was reported; the job goes on
  tally_.VariantDone(finished);
  const std::string folder = context_.state.snapshot.With(
      [](const JobSnapshot& s) { return s.catalog.Settings().destinationFolder(); });
  context_.events.VariantFinished(VariantResultOf(folder, static_cast<int>(fileIndex_), CurrentPath(), filter,
                                                  finished, record_, before));
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
  int kind = context_.state.snapshot.With(
      [&path](const JobSnapshot& s) { return s.catalog.Facts(path).sourceKind; });
  if (skipped_) {
    // Skipped for want of room: nothing was started, nothing is finished.
    skipped_ = false;
  } else if (kind == kSourceGeneral) {
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

  if (!group_.empty()) {
    FinishGroup();
  } else if (!skippedVariant_) {
    OutputFilter filter = context_.state.variant.With([](const VariantState& v) { return v.filter; });
    FinishVariant(context_, filter);
  }
  skippedVariant_ = false;
  CommitProgress(context_.state);

  ++filterIndex_;
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
  if (!PrepareVariant(path)) return;
  StartWorkers(path);
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
  DeleteTemporaryStreams(context_.state);
  for (const auto& v : group_) DeleteTemporaryStreams(*v->state);
  context_.state.group.With([](auto& g) { g.clear(); });
  thread_.PostQuit();
}

void MainEncodeThread::DeleteTemporaryStreams(JobState& state) {
  state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
  std::string video = state.variant.With([](const VariantState& v) { return v.videoTempPath; });
  if (!video.empty()) ::unlink(video.c_str());
  state.audioFile.With([](AudioFileSlot& slot) {
    slot.file.Close();
    slot.minimal.Close();
  });
  std::string audio = state.variant.With([](const VariantState& v) { return v.audioTempPath; });
  if (!audio.empty()) ::unlink(audio.c_str());
}

void MainEncodeThread::OnExit() {
  record_.sourceKind = kSourceNone;
  context_.events.JobFinished(tally_.Summary(context_.state.Stopped()));
}

}  // namespace zq48
