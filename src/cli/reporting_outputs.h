#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/notifier.h"
#include "catalog/input_catalog.h"
#include "cli/encode_report.h"
#include "encode/package/job_outputs.h"

namespace zq48::cli {

// The job's finishing steps as the engine does them, watched: each finished
// or failed variant is reported with its final file names and measured
// rates (read from what the step recorded), and the file and variant in
// progress are known, so a message can be put down to them. The player
// archive and the button strip are written under a temporary name and
// renamed, because several encoders may share one destination folder.
class ReportingOutputs : public JobOutputs {
 public:
  ReportingOutputs(JobOutputs& inner, const InputCatalog& catalog, EncodeReport& report)
      : inner_(inner), catalog_(catalog), report_(report) {}

  bool FinishVariant(JobContext& context, DriverRecord& record, const OutputFilter& filter) override;
  bool WriteWebPage(JobContext& context, const DriverRecord& record, const std::string& sourcePath) override;
  bool WriteMetafile(JobContext& context, DriverRecord& record, const std::string& path) override;
  bool WriteResourceFile(JobContext& context, PackageResource resource) override;

  int fileIndex() const { return fileIndex_; }
  int variantIndex() const { return variantIndex_; }
  // The input file in progress, or empty after the last one.
  std::string CurrentPath() const;
  int variantsFinished() const { return finished_; }
  int variantsFailed() const { return failed_; }

 private:
  JobOutputs& inner_;
  const InputCatalog& catalog_;
  EncodeReport& report_;
  std::atomic<int> fileIndex_{0};
  std::atomic<int> variantIndex_{0};
  std::atomic<int> finished_{0};
  std::atomic<int> failed_{0};
};

// The job's messages, each put down to the file and variant in progress.
class JobMessages : public Notifier {
 public:
  JobMessages(EncodeReport& report, const ReportingOutputs& outputs) : report_(report), outputs_(outputs) {}
  void Show(const Message& message) override;
  bool Ask(const std::string& text, const std::string& caption) override;
  // Marks the files that something was reported about.
  bool FileHadMessage(int fileIndex) const;

 private:
  EncodeReport& report_;
  const ReportingOutputs& outputs_;
  mutable std::mutex mutex_;
  std::vector<int> filesWithMessages_;
};

}  // namespace zq48::cli
