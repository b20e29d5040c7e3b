#include "cli/plain_report.h"

#include <unistd.h>

#include <cstdio>

#include "catalog/output_names.h"
#include "core/plain_numbers.h"

namespace zq48::cli {

PlainReport::PlainReport() : tty_(isatty(STDERR_FILENO)), lastLogged_(std::chrono::steady_clock::now()) {}

// A message must not land in the middle of a progress line.
void PlainReport::EndLine() {
  if (lineOpen_) std::fputc('\n', stderr);
  lineOpen_ = false;
}

void PlainReport::Print(const std::string& caption, const std::string& text) {
  std::lock_guard lock(mutex_);
  EndLine();
  if (caption.empty())
    std::fprintf(stderr, "%s\n", text.c_str());
  else
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void PlainReport::Message(const zq48::Message& m) { Print(m.caption, m.text); }

void PlainReport::Question(const std::string& text, const std::string& caption) {
  Print(caption, text + " [yes]");
}

void PlainReport::FileRefused(const std::string& path, const std::string& why) {
  Print("zq48enc", path + ": " + (why.empty() ? "not accepted" : why));
}

void PlainReport::VariantRefused(const std::string& path, const std::string& text) {
  Print("zq48enc", path + ": variant not added: " + text);
}

void PlainReport::FileSkipped(const std::string& path) {
  Print("zq48enc", path + ": skipped, its package is complete");
}

void PlainReport::FileIncomplete(const std::string& path, const std::string& problem) {
  Print("zq48enc", path + ": encoding again, its package is not complete (" + problem + ")");
}

void PlainReport::JobMessage(const std::string&, int, const zq48::Message& m) { Print(m.caption, m.text); }

void PlainReport::Progress(const JobProgress& p, int fileIndex, std::size_t files, std::int64_t elapsed) {
  const auto now = std::chrono::steady_clock::now();
  char line[512];
  std::snprintf(line, sizeof line,
                "file %d/%zu %s | file %3d%% | job %3d%% | Time elapsed: %s   Time estimated: %s",
                fileIndex + 1, files, BaseName(p.sourcePath, true).c_str(),
                BarPercent(p.filePosition, p.fileUpper), BarPercent(p.jobPosition, p.jobUpper),
                ClockText(elapsed).c_str(),
                ClockText(EstimatedTotalSeconds(p.jobUpper, p.jobPosition, elapsed)).c_str());
  std::lock_guard lock(mutex_);
  // On a terminal the line is rewritten in place; in a log a line is
  // added when the file changes and every few seconds.
  if (tty_) {
    std::fprintf(stderr, "\r%s\033[K", line);
    lineOpen_ = true;
  } else if (fileIndex != shownFile_ || now - lastLogged_ >= std::chrono::seconds(5)) {
    std::fprintf(stderr, "%s\n", line);
    lastLogged_ = now;
  }
  shownFile_ = fileIndex;
}

namespace {

std::string Kbps(std::uint32_t bitsPerSecond) { return FixedPoint(bitsPerSecond / 1000.0, 0) + " kbps"; }

// "320x240 15 fps: video 298 kbps, sound 32 kbps, PSNR Y 34.21 dB, YUV 35.80 dB,
// worst Y 28.10 dB at 12.40 s"
std::string VariantLine(const VariantResult& v) {
  std::string line;
  if (!v.videoFile.empty())
    line = std::to_string(v.filter.width) + "x" + std::to_string(v.filter.height) + " " +
           FixedPoint(v.filter.frameRate, v.filter.frameRate == static_cast<int>(v.filter.frameRate) ? 0 : 3) +
           " fps: video " + Kbps(v.videoRate);
  if (!v.audioFile.empty()) line += (line.empty() ? "sound " : ", sound ") + Kbps(v.audioRate);
  if (v.quality.measured())
    line += ", PSNR Y " + FixedPoint(v.quality.psnrYDb, 2) + " dB, YUV " + FixedPoint(v.quality.psnrDb, 2) +
            " dB, worst Y " + FixedPoint(v.quality.worstPsnrYDb, 2) + " dB at " +
            FixedPoint(v.quality.worstAtSeconds, 2) + " s";
  return line;
}

}  // namespace

// A failed variant's message has been shown; a finished one is told with
// what it measured.
void PlainReport::Variant(const VariantResult& v, int variantIndex) {
  if (!v.finished) return;
  Print("zq48enc", BaseName(v.path, true) + ": variant " + std::to_string(variantIndex + 1) + ": " + VariantLine(v));
}

void PlainReport::Ended(const RunSummary&) {
  std::lock_guard lock(mutex_);
  EndLine();
}

}  // namespace zq48::cli
