#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "catalog/input_catalog.h"
#include "cli/encode_report.h"
#include "core/notifier.h"
#include "encode/job_events.h"

namespace zq48::cli {

// The command line's side of a job: each finished or failed variant is
// reported with its final file names and measured rates, the file in
// progress is known for the progress line and for putting a message down
// to its file and variant, and the end is awaited with the job's summary.
class ReportingEvents : public JobEvents {
 public:
  ReportingEvents(const InputCatalog& catalog, EncodeReport& report) : catalog_(catalog), report_(report) {}

  void FileStarted(int index, const std::string& path) override;
  void VariantFinished(const VariantResult& result) override;
  void FileFinished(int index, const std::string& path) override;
  void JobFinished(const JobSummary& summary) override;

  // True once the job has ended; waits at most `wait`.
  bool WaitFinished(std::chrono::milliseconds wait);
  JobSummary Summary();
  // The file the job began last, for the progress line.
  int currentFile() const { return currentFile_; }

  // What a message concerns: the file whose last step has not run yet, and
  // the variants of it finished so far.
  int fileIndex() const { return fileIndex_; }
  int variantIndex() const { return variantIndex_; }
  // The input file a message concerns, or empty after the last one.
  std::string CurrentPath() const;

 private:
  const InputCatalog& catalog_;
  EncodeReport& report_;
  std::atomic<int> currentFile_{0};
  std::atomic<int> fileIndex_{0};
  std::atomic<int> variantIndex_{0};

  std::mutex mutex_;
  std::condition_variable changed_;
  bool finished_ = false;
  JobSummary summary_;
};

// The job's messages, each put down to the file and variant it concerns.
class JobMessages : public Notifier {
 public:
  JobMessages(EncodeReport& report, const ReportingEvents& events) : report_(report), events_(events) {}
  void Show(const Message& message) override;
  bool Ask(const std::string& text, const std::string& caption) override;

 private:
  EncodeReport& report_;
  const ReportingEvents& events_;
};

}  // namespace zq48::cli
