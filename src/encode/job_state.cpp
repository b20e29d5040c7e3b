#include "encode/job_state.h"

#include <chrono>
#include <thread>

#include "core/pause_wait.h"

namespace zq48 {

bool JobState::StoppedAfterPause() const {
  return zq48::StoppedAfterPause([this] { return Paused(); }, [this] { return Stopped(); },
                                 [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
}

JobSnapshot PlanSnapshot(const InputCatalog& catalog) {
  JobSnapshot snapshot;
  snapshot.catalog = catalog;
  for (const std::string& path : catalog.InputPaths()) {
    const MediaFacts& facts = catalog.Facts(path);
    double total = 0.0;
    for (std::size_t i = 0; i < catalog.FilterCount(path); ++i) {
      const OutputFilter* f = catalog.FilterAt(path, i);
      if (f->videoOn && facts.hasVideo) total += facts.videoDuration;
      if (f->audioOn && facts.hasAudio) total += facts.audioDuration;
    }
    snapshot.fileTotals[path] = total;
    snapshot.jobTotal += total;
  }
  return snapshot;
}

}  // namespace zq48
