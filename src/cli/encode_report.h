#pragma once

#include <cstdint>
#include <string>

#include "core/notifier.h"
#include "encode/job_progress.h"
#include "cli/run_summary.h"
#include "encode/job_events.h"

namespace zq48::cli {

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
  // A variant the job finished or failed to finish; `variantIndex` is its
  // place in its file's list of variants.
  virtual void Variant(const VariantResult& result, int variantIndex) = 0;
  virtual void Ended(const RunSummary& summary) = 0;
};

}  // namespace zq48::cli
