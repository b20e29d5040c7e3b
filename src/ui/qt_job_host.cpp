#include "ui/qt_job_host.h"

namespace zq48 {

void QtJobHost::ResetFileBar() {
  Queue([this] { emit resetFileBar(); });
}

void QtJobHost::ResetJobBar() {
  Queue([this] { emit resetJobBar(); });
}

void QtJobHost::CurrentFile(int index) {
  Queue([this, index] { emit currentFile(index); });
}

void QtJobHost::JobFinished() {
  Queue([this] { emit jobFinished(); });
}

void QtJobHost::SetTitle(const std::string& title) {
  Queue([this, text = QString::fromStdString(title)] { emit titleChanged(text); });
}

void QtJobHost::StopPreview() {
  Queue([this] { emit stopPreview(); });
}

void QtJobHost::RangeSwapped(std::uint32_t begin, std::uint32_t end) {
  Queue([this, begin, end] { emit rangeSwapped(begin, end); });
}

}  // namespace zq48
