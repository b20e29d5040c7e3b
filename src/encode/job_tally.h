#pragma once

#include <mutex>
#include <set>
#include <vector>

#include "core/notifier.h"
#include "encode/job_events.h"

namespace zq48 {

// What a job has done so far, for its summary. It is the notifier the job
// talks to the user through: every message is passed on, and the file it
// concerns is marked. A message concerns the file in progress until that
// file's last step has run (FileDone); after the last file it concerns the
// whole job. Callable from any thread.
class JobTally : public Notifier {
 public:
  explicit JobTally(Notifier& user) : user_(user) {}

  void Show(const Message& message) override;
  bool Ask(const std::string& text, const std::string& caption) override;

  // A new job over this many files: everything counted before is forgotten.
  void Begin(int files);
  void VariantDone(const VariantResult& result);
  void FileDone();
  JobSummary Summary(bool stopped) const;

 private:
  Notifier& user_;
  mutable std::mutex mutex_;
  int files_ = 0;
  int filesDone_ = 0;
  int variantsFinished_ = 0;
  int variantsFailed_ = 0;
  std::vector<VariantResult> variants_;
  std::set<int> filesWithMessages_;  // index files_ stands for the whole job
};

}  // namespace zq48
