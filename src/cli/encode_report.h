#pragma once

#include <cstdint>
#include <string>

#include "core/notifier.h"
#include "encode/job_progress.h"
#include "catalog/output_filter.h"

namespace zq48::cli {

// One variant the job finished, or failed to finish.
struct VariantOutcome {
  std::string path;  // the input file
  int fileIndex = 0;
  int variantIndex = 0;  // in the file's list
  OutputFilter filter;
  bool ok = false;
  std::string videoFile;  // final names; empty when that stream was not written
  std::string audioFile;
  std::uint32_t videoRate = 0;  // bits per second, as in the names and the metafile
  std::uint32_t audioRate = 0;
};

// What an encode amounted to.
struct JobSummary {
  int files = 0;     // given on the command line
  int encoded = 0;   // every variant finished, nothing reported
  int skipped = 0;   // complete already (--skip-complete)
  int refused = 0;   // not encoded: not accepted, a twin, or locked by another process
  int failed = 0;    // encoded, but a variant failed or something was reported
  int variantsFinished = 0;
  int variantsFailed = 0;
  int variantsRefused = 0;
  bool stopped = false;
  int exitStatus = 0;
};

// How an encode talks to its user: the engine's messages, what the command
// line adds to them, progress and the end. Plain text for people, JSON lines
// for programs. Messages may come from any job thread.
class EncodeReport {
 public:
  virtual ~EncodeReport() = default;

  // A message before the job runs (probing, checks).
  virtual void Message(const zq48::Message& message) = 0;
  // The question the destination check asks; the command line answers yes.
  virtual void Question(const std::string& text, const std::string& caption) = 0;
  // A file that will not be encoded; `why` when no message said it.
  virtual void FileRefused(const std::string& path, const std::string& why) = 0;
  virtual void VariantRefused(const std::string& path, const std::string& text) = 0;
  virtual void FileSkipped(const std::string& path) = 0;
  // --skip-complete found a package that must be made again.
  virtual void FileIncomplete(const std::string& path, const std::string& problem) = 0;

  // During the job. `path` is empty for messages after the last file.
  virtual void JobMessage(const std::string& path, int variantIndex, const zq48::Message& message) = 0;
  virtual void Progress(const JobProgress& progress, int fileIndex, std::size_t files,
                        std::int64_t elapsedSeconds) = 0;
  virtual void Variant(const VariantOutcome& outcome) = 0;
  virtual void Ended(const JobSummary& summary) = 0;
};

}  // namespace zq48::cli
