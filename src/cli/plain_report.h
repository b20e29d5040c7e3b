#pragma once

#include <chrono>
#include <mutex>

#include "cli/encode_report.h"

namespace zq48::cli {

// For people: messages as "caption: text", a progress line (rewritten in
// place on a terminal, every few seconds in a log) and short notes.
class PlainReport : public EncodeReport {
 public:
  PlainReport();

  void Message(const zq48::Message& message) override;
  void Question(const std::string& text, const std::string& caption) override;
  void FileRefused(const std::string& path, const std::string& why) override;
  void VariantRefused(const std::string& path, const std::string& text) override;
  void FileSkipped(const std::string& path) override;
  void FileIncomplete(const std::string& path, const std::string& problem) override;
  void JobMessage(const std::string& path, int variantIndex, const zq48::Message& message) override;
  void Progress(const JobProgress& progress, int fileIndex, std::size_t files,
                std::int64_t elapsedSeconds) override;
  void Variant(const VariantResult& result, int variantIndex) override;
  void Ended(const RunSummary& summary) override;

 private:
  void Print(const std::string& caption, const std::string& text);
  void EndLine();

  std::mutex mutex_;
  bool tty_;
  bool lineOpen_ = false;  // a progress line without its line feed is on the terminal
  int shownFile_ = -1;
  std::chrono::steady_clock::time_point lastLogged_;
};

}  // namespace zq48::cli
