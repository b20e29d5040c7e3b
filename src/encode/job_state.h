#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>
#include <string>

#include "catalog/input_catalog.h"
#include "container/stream_file.h"
#include "core/guarded.h"
#include "catalog/output_filter.h"

namespace zq48 {

// Lock A: media time encoded so far, in seconds.
struct DoneAmounts {
  double file = 0.0;  // of the current input file
  double job = 0.0;   // of the whole job
};

// Lock B: the variant being encoded.
struct VariantState {
  std::string sourcePath;
  std::string outputBasePath;  // the stages name their temporary files after it
  OutputFilter filter;         // the current variant
  int decodedWidth = 0;        // size of the decoded pictures, stored by the decode source
  int decodedHeight = 0;
  double videoInProgress = 0.0;  // seconds, advanced by the video stage
  double audioInProgress = 0.0;  // seconds, advanced by the audio stage
  std::uint64_t audioSampleCount = 0;  // samples per channel, stored when the audio stage closes
  std::string videoTempPath;
  std::string audioTempPath;
  std::string minAudioTempPath;
};

// Lock C: the job's own copy of the catalog, with the amounts planned for it.
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

// Video file lock.
struct VideoFileSlot {
  StreamFile file;
};

// Audio file lock: the audio stream file and the minimal audio file.
struct AudioFileSlot {
  StreamFile file;
  StreamFile minimal;
};

// Job state lock.
struct RunFlags {
  bool running = false;
  bool paused = false;
  bool stopped = false;
};

// Everything the threads of one encode job share, each group under its own
// lock. No thread ever holds two of these locks at once.
struct JobState {
  Guarded<DoneAmounts> done;          // lock A
  Guarded<VariantState> variant;      // lock B
  Guarded<JobSnapshot> snapshot;      // lock C
  Guarded<VideoFileSlot> videoFile;   // video file lock
  Guarded<AudioFileSlot> audioFile;   // audio file lock
  Guarded<RunFlags> flags;            // job state lock
  // The variants encoded together from one decode, each with a job state of
  // its own (their progress counts as the variant in progress).
  Guarded<std::vector<std::shared_ptr<JobState>>> group;

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

// Moves the in-progress amounts of a finished variant into the done amounts.
void CommitProgress(JobState& state);
// The same from a variant's own state (one of a group) into the job's.
void CommitProgress(JobState& variant, JobState& job);

}  // namespace zq48
