#pragma once

#include <optional>
#include <string>

#include "catalog/input_catalog.h"
#include "catalog/media_facts.h"
#include "core/notifier.h"
#include "core/settings_store.h"
#include "encode/encode_controller.h"
#include "encode/job_events.h"
#include "encode/job_progress.h"
#include "encode/package/job_outputs.h"
#include "encode/pipeline/worker_factory.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "sources/probe.h"

namespace zq48 {

// The parts of the engine a test may replace. Each one left out is the real
// one: the FFmpeg decode workers, the package steps, FFmpeg's probing, and
// movie files as far as this build reads them.
struct EngineParts {
  WorkerFactory* workers = nullptr;
  JobOutputs* outputs = nullptr;
  const GeneralMediaService* generalMedia = nullptr;
  const MovieMediaService* movieMedia = nullptr;
  std::optional<bool> movieFiles = std::nullopt;
};

// The engine as a front end sees it: probing files, listing them in the
// catalog, and the encode job (start, pause, resume, stop, its state). It
// puts together what a job needs beside the front end's own catalog,
// settings store, notifier and event sink. The job's calls are made on the
// front end's own thread; Probe may be called from any thread.
class Engine {
 public:
  Engine(InputCatalog& catalog, SettingsStore& store, Notifier& notifier, JobEvents& events,
         EngineParts parts = {});
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Whether this build can read movie files at all.
  static bool MovieFilesReadable() { return FfmpegMovieMedia::Available(); }
  // Whether this engine reads them (a test may say no).
  bool MovieFilesAvailable() const { return movieFiles_; }

  // The facts of a file, or nothing once `notifier` has been told why the
  // file is refused. The catalog is not touched.
  std::optional<MediaFacts> Probe(const std::string& path, Notifier& notifier) const;
  // The compression code of an AVI file's first video stream ("DIVX"), or
  // empty for other files: what names the decompressor in the information
  // dialog. Any thread.
  static std::string VideoCodecCode(const std::string& path);

  // Lists a probed file at the end of the catalog (once) with its facts. A
  // file whose outputs would be named like those of a listed one would
  // replace its package: it is refused, and `notifier` told why.
  bool AddToCatalog(const std::string& path, const MediaFacts& facts, Notifier& notifier);

  // Encode pressed, with the destination folder as the user typed it: a
  // paused job resumes; otherwise a new job starts if the settings pass.
  EncodeController::EncodeResult Start(const std::string& destinationText) {
    return controller_.Encode(destinationText);
  }
  void Pause() { controller_.Pause(); }
  // Lets a paused job go on; false when there is none to resume.
  bool Resume() { return controller_.Resume(); }
  void Stop() { controller_.Stop(); }
  // Stops a job and waits for its end (closing the program).
  void StopAndWait() { controller_.StopAndWait(); }
  // After JobEvents::JobFinished, on the front end's thread: waits for the
  // job's thread and forgets the job.
  void HandleJobFinished() { controller_.HandleJobFinished(); }
  // One decode for each variant instead of one for each group (the same bytes).
  void SetSequential(bool sequential) { controller_.SetSequential(sequential); }

  bool HasJob() const { return controller_.HasJob(); }
  JobProgress Progress() { return ReadJobProgress(controller_.State()); }
  JobState& State() { return controller_.State(); }
  InputCatalog& Catalog() { return catalog_; }

 private:
  InputCatalog& catalog_;
  const bool movieFiles_;
  DecodeWorkerFactory realWorkers_;
  PackageOutputs realOutputs_;
  FfmpegGeneralMedia realGeneralMedia_;
  FfmpegMovieMedia realMovieMedia_;
  MediaServices media_;
  // Last: its destructor stops a job still running and waits for it.
  EncodeController controller_;
};

}  // namespace zq48
