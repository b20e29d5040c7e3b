#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/output_filter.h"
#include "video/picture_quality.h"

namespace zq48 {

// What became of one variant the job has finished, or failed to finish.
struct VariantResult {
  int fileIndex = 0;     // of its input file in the job's list
  int variantIndex = 0;  // in its file's list of variants
  std::string path;   // the input file
  OutputFilter filter;
  bool finished = false;  // false: it failed, and its message has been shown
  std::string videoFile;  // final names; empty when that stream was not written
  std::string audioFile;
  std::uint32_t videoRate = 0;  // measured, bits per second, as in the names and the metafile
  std::uint32_t audioRate = 0;
  std::uint64_t videoBytes = 0;  // sizes of the final files
  std::uint64_t audioBytes = 0;
  VideoQuality quality;  // of the video written; unmeasured without one
};

// What a job amounted to. A file counts as failed when anything was
// reported about it: every failure shows its message, so a file without
// messages is whole.
struct JobSummary {
  int files = 0;          // in the job's list
  int filesEncoded = 0;   // every step done, nothing reported
  int filesFailed = 0;    // done, but something went wrong (a variant, its page, its metafile ...)
  int variantsFinished = 0;
  int variantsFailed = 0;
  bool stopped = false;   // Stop ended the job before its end
  std::vector<VariantResult> variants;  // every variant finished or failed, in the job's order
};

// What an encode job tells its front end. The events may come from any job
// thread (and from the front end's own, for the controller's): a GUI must
// hand them over to its own thread. Every event does nothing unless a front
// end has a use for it.
class JobEvents {
 public:
  virtual ~JobEvents() = default;

  // The job has begun (its list has files).
  virtual void JobStarted() {}
  // The job begins the input file with this index in its list. A file
  // without variants is begun and finished at once, after its message.
  virtual void FileStarted(int /*index*/, const std::string& /*path*/) {}
  // A variant was finished, or failed to be.
  virtual void VariantFinished(const VariantResult& /*result*/) {}
  // The file's last step, its metafile, has run: whatever is reported after
  // this concerns the next file (or, after the last one, the whole job).
  virtual void FileFinished(int /*index*/, const std::string& /*path*/) {}
  // Stop was asked for: the variant in progress will not be finished, and
  // what the job had done so far no longer counts as progress.
  virtual void JobStopped() {}
  // The job driver's thread has ended. The front end must then call
  // EncodeController::HandleJobFinished (Engine::HandleJobFinished) on its
  // own thread, never on the job's.
  virtual void JobFinished(const JobSummary& /*summary*/) {}
  // The range check swapped begin and end: the settings changed.
  virtual void RangeSwapped(std::uint32_t /*begin*/, std::uint32_t /*end*/) {}
};

}  // namespace zq48
