#pragma once

// A job driven through the engine directly (no front end), with the real
// decode workers and package outputs, for tests that need the controller.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/settings_store.h"
#include "sources/probe.h"
#include "encode/encode_controller.h"
#include "encode/package/job_outputs.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "encode/pipeline/worker_factory.h"
#include "support/recording_notifier.h"

namespace zq48::testing {

// A host that only tells when the job has finished.
class QuietHost : public JobHost {
 public:
  void ResetFileBar() override {}
  void ResetJobBar() override {}
  void CurrentFile(int) override {}
  void JobFinished() override {
    std::lock_guard lock(mutex_);
    finished_ = true;
    done_.notify_all();
  }
  void SetTitle(const std::string&) override {}
  void StopPreview() override {}
  void RangeSwapped(std::uint32_t, std::uint32_t) override {}
  bool Wait(std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, limit, [this] { return finished_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
};

struct EngineRun {
  explicit EngineRun(bool sequential, bool movieFiles = false) : movieFiles(movieFiles) {
    controller.SetSequential(sequential);
  }
  // Probes and lists a file, with full volume.
  bool Add(const std::string& path) {
    FfmpegGeneralMedia general;
    FfmpegMovieMedia movie;
    MediaProbe probe(catalog, notifier, MediaServices{&general, movieFiles ? &movie : nullptr});
    if (!probe.Probe(path)) return false;
    catalog.AddInputPath(path);
    catalog.MutableOptions(path).volume = 1.0f;
    return true;
  }
  InputCatalog catalog;
  RecordingNotifier notifier;
  MemorySettingsStore store;
  QuietHost host;
  DecodeWorkerFactory workers;
  PackageOutputs outputs;
  bool movieFiles;
  EncodeController controller{catalog, store, notifier, host, workers, outputs, movieFiles};
};

}  // namespace zq48::testing
