#pragma once

#include <cstdio>
#include <deque>
#include <mutex>

#include "cli/encode_report.h"
#include "core/json_writer.h"

namespace zq48::cli {

// For programs: one JSON object a line on standard error, each with an
// "event" field. Messages shown before the job are held until the command
// line knows which file (or variant) they refused; what is left over is
// written as "error" events.
class JsonReport : public EncodeReport {
 public:
  explicit JsonReport(std::FILE* out = stderr) : out_(out) {}

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
  void Write(const JsonObject& event);
  // The held messages as one text (lines joined), and their caption.
  void TakeHeld(JsonObject& event);
  void FlushHeld();

  std::mutex mutex_;
  std::FILE* out_;
  std::deque<zq48::Message> held_;
};

}  // namespace zq48::cli
