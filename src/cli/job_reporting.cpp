#include "cli/job_reporting.h"

namespace zq48::cli {

std::string ReportingEvents::CurrentPath() const {
  const std::size_t index = static_cast<std::size_t>(fileIndex_.load());
  return index < catalog_.InputPathCount() ? catalog_.InputPathAt(index) : std::string();
}

void ReportingEvents::FileStarted(int index, const std::string&) { currentFile_ = index; }

void ReportingEvents::VariantFinished(const VariantResult& result) {
  report_.Variant(result, result.variantIndex);
  ++variantIndex_;
}

void ReportingEvents::FileFinished(int, const std::string&) {
  variantIndex_ = 0;
  ++fileIndex_;
}

void ReportingEvents::JobFinished(const JobSummary& summary) {
  std::lock_guard lock(mutex_);
  summary_ = summary;
  finished_ = true;
  changed_.notify_all();
}

bool ReportingEvents::WaitFinished(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, wait, [this] { return finished_; });
}

JobSummary ReportingEvents::Summary() {
  std::lock_guard lock(mutex_);
  return summary_;
}

void JobMessages::Show(const Message& message) {
  // A variant's own message names it: the variants of a group run at once,
  // so the count of those finished says nothing of which one it concerns.
  const int variant = message.variant >= 0 ? message.variant : events_.variantIndex();
  report_.JobMessage(events_.CurrentPath(), variant, message);
}

bool JobMessages::Ask(const std::string& text, const std::string& caption) {
  report_.Question(text, caption);
  return true;
}

}  // namespace zq48::cli
