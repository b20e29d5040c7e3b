#include "encode/job_tally.h"

namespace zq48 {

void JobTally::Show(const Message& message) {
  {
    std::lock_guard lock(mutex_);
    filesWithMessages_.insert(filesDone_);
  }
  // Shown outside the lock: a box on the GUI thread may take its time.
  user_.Show(message);
}

bool JobTally::Ask(const std::string& text, const std::string& caption) { return user_.Ask(text, caption); }

void JobTally::Begin(int files) {
  std::lock_guard lock(mutex_);
  files_ = files;
  filesDone_ = variantsFinished_ = variantsFailed_ = 0;
  filesWithMessages_.clear();
  variants_.clear();
}

void JobTally::VariantDone(const VariantResult& result) {
  std::lock_guard lock(mutex_);
  ++(result.finished ? variantsFinished_ : variantsFailed_);
  variants_.push_back(result);
}

void JobTally::FileDone() {
  std::lock_guard lock(mutex_);
  ++filesDone_;
}

JobSummary JobTally::Summary(bool stopped) const {
  std::lock_guard lock(mutex_);
  JobSummary s;
  s.files = files_;
  s.variantsFinished = variantsFinished_;
  s.variantsFailed = variantsFailed_;
  s.stopped = stopped;
  s.variants = variants_;
  // Files the job never finished (it was stopped) count neither way.
  for (int i = 0; i < filesDone_; ++i) ++(filesWithMessages_.count(i) ? s.filesFailed : s.filesEncoded);
  // What went wrong after the last file (the player archive, the button
  // strip) concerns every file: the job did not encode everything.
  if (filesWithMessages_.count(files_) && s.filesFailed == 0) s.filesFailed = 1;
  return s;
}

}  // namespace zq48
