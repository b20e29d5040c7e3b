#include "ui/qt_job_host.h"

namespace zq48 {

void QtJobHost::JobStarted() {
  Queue([this] { emit jobStarted(); });
}

void QtJobHost::FileStarted(int index, const std::string& path) {
  Queue([this, index, text = QString::fromStdString(path)] { emit fileStarted(index, text); });
}

void QtJobHost::FileFinished(int index, const std::string& path) {
  Queue([this, index, text = QString::fromStdString(path)] { emit fileFinished(index, text); });
}

void QtJobHost::JobStopped() {
  Queue([this] { emit jobStopped(); });
}

void QtJobHost::JobFinished(const JobSummary& summary) {
  Queue([this, summary] { emit jobFinished(summary); });
}

void QtJobHost::RangeSwapped(std::uint32_t begin, std::uint32_t end) {
  Queue([this, begin, end] { emit rangeSwapped(begin, end); });
}

}  // namespace zq48
