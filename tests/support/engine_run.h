#pragma once

// A job driven through the engine directly (no front end), with the real
// decode workers and package outputs, for tests that need a whole job.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/settings_store.h"
#include "encode/engine.h"
#include "support/recording_notifier.h"

namespace zq48::testing {

// A front end that only tells when the job has finished, and its summary.
class QuietHost : public JobEvents {
 public:
  void JobFinished(const JobSummary& summary) override {
    std::lock_guard lock(mutex_);
    summary_ = summary;
    finished_ = true;
    done_.notify_all();
  }
  bool Wait(std::chrono::seconds limit) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, limit, [this] { return finished_; });
  }
  JobSummary Summary() {
    std::lock_guard lock(mutex_);
    return summary_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  JobSummary summary_;
};

struct EngineRun {
  explicit EngineRun(bool sequential, bool movieFiles = false)
      : engine(catalog, store, notifier, host, EngineParts{.movieFiles = movieFiles}) {
    engine.SetSequential(sequential);
  }
  // Probes and lists a file, with full volume.
  bool Add(const std::string& path) {
    std::optional<MediaFacts> facts = engine.Probe(path, notifier);
    if (!facts || !engine.AddToCatalog(path, *facts, notifier)) return false;
    catalog.MutableOptions(path).volume = 1.0f;
    return true;
  }
  InputCatalog catalog;
  RecordingNotifier notifier;
  MemorySettingsStore store;
  QuietHost host;
  Engine engine;
};

}  // namespace zq48::testing
