#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>
#include <string>

#include "catalog/input_catalog.h"
#include "core/guarded.h"
#include "catalog/output_filter.h"

namespace zq48 {

// Lock A: media time encoded so far, in seconds.
struct DoneAmounts {
  double file = 0.0;  // of the current input file
  double job = 0.0;   // of the whole job
};

// The job's own copy of the catalog, with the amounts planned for it.
struct JobSnapshot {
  InputCatalog catalog;
  std::map<std::string, double> fileTotals;  // seconds of media per input file
  double jobTotal = 0.0;

  // The planned seconds of a path; 0 for a path the snapshot does not hold.
  double FileTotal(const std::string& path) const {
    auto it = fileTotals.find(path);
    return it == fileTotals.end() ? 0.0 : it->second;
  }
};

// The job's snapshot, shared read-only by every thread of the job: it is
// taken before the job starts and never changes while the job runs, so it
// needs no lock (the historical "lock C"). Replacing it hands readers that
// still hold the old one their copy until they let go.
class SharedSnapshot {
 public:
  // Runs `f` on the snapshot (const) and returns its result.
  template <class F>
  decltype(auto) With(F&& f) const {
    std::shared_ptr<const JobSnapshot> held = current_.load();
    return f(*held);
  }
  // A copy of the snapshot.
  JobSnapshot Get() const { return *current_.load(); }
  void Replace(JobSnapshot snapshot) {
    current_.store(std::make_shared<const JobSnapshot>(std::move(snapshot)));
  }
  // Replaces the snapshot by an edited copy (while setting a job up).
  template <class F>
  void Edit(F&& f) {
    JobSnapshot copy = *current_.load();
    f(copy);
    Replace(std::move(copy));
  }

 private:
  std::atomic<std::shared_ptr<const JobSnapshot>> current_{std::make_shared<const JobSnapshot>()};
};

class VariantJob;

// The variants being encoded now (one decode's), for the front end's
// progress: each keeps its own progress under its own lock.
struct RunningVariants {
  std::string sourcePath;  // their input file
  std::vector<std::shared_ptr<VariantJob>> variants;
};

// Job state lock.
struct RunFlags {
  bool running = false;
  bool paused = false;
  bool stopped = false;
};

// What the threads of one encode job share, as against what one variant's
// own (variant_job.h): what changes while the job runs, each part under its
// own lock (no thread ever holds two of these locks at once), and the
// snapshot, which does not change.
struct JobState {
  Guarded<DoneAmounts> done;             // lock A
  SharedSnapshot snapshot;               // read-only while the job runs
  Guarded<RunFlags> flags;               // job state lock
  Guarded<RunningVariants> running;      // lock B: set by the driver, read by the front end

  bool Paused() const {
    return flags.With([](const RunFlags& f) { return f.paused; });
  }
  bool Stopped() const {
    return flags.With([](const RunFlags& f) { return f.stopped; });
  }
  // Waits while the job is paused, looking again every 100 ms (nobody
  // signals the flags); a stop ends the wait too. True when stopped.
  bool StoppedAfterPause() const;
};

// Takes a fresh snapshot of the catalog and plans its amounts: per file the
// sum over its variants of the video length (when the variant encodes video
// and the file has it) and the audio length (likewise), and their total.
JobSnapshot PlanSnapshot(const InputCatalog& catalog);

}  // namespace zq48
