#include "ui/progress_lines.h"

#include <cinttypes>
#include <cstdio>

#include "encode/disk_room.h"
#include "encode/job_state.h"

namespace zq48 {

namespace {
constexpr std::uint64_t kBytesPerMegabyte = 1048576;

QString Printed(const char* text) { return QString::fromLocal8Bit(text); }
}  // namespace

QString TimeLine(std::int32_t elapsed, std::int64_t estimated) {
  std::int32_t eh = elapsed / 3600;
  std::int32_t em = (elapsed - 3600 * eh) / 60;
  std::int32_t es = elapsed - 3600 * eh - 60 * em;
  char text[160];
  std::snprintf(text, sizeof text,
                "Time elapsed: %02d:%02d:%02d   Time estimated: %02" PRId64 ":%02" PRId64
                ":%02" PRId64,
                static_cast<int>(eh), static_cast<int>(em), static_cast<int>(es),
                estimated / 3600, estimated % 3600 / 60, estimated % 60);
  return Printed(text);
}

std::optional<QString> FreeSpaceLine(const std::string& folder) {
  if (folder.empty()) return std::nullopt;
  std::optional<std::uint64_t> bytes = FreeBytesAvailable(folder);
  if (!bytes) return QString();
  char text[128];
  std::snprintf(text, sizeof text, "Available disk space: %" PRIu64 " MB free on drive %c:",
                *bytes / kBytesPerMegabyte, folder.front());
  return Printed(text);
}

CurrentFileLines ReadCurrentFileLines(JobState& job, int index) {
  return job.snapshot.With([index](const JobSnapshot& s) {
    const InputCatalog& catalog = s.catalog;
    std::string path;
    if (index >= 0 && static_cast<std::size_t>(index) < catalog.InputPathCount())
      path = catalog.InputPathAt(static_cast<std::size_t>(index));
    // Facts of a path the catalog does not hold read as empty texts.
    const MediaFacts& facts = catalog.Facts(path);
    CurrentFileLines lines;
    lines.path = "Current input file: " + QString::fromStdString(path);
    lines.facts = "File size: " + QString::fromStdString(facts.sizeText) +
                  " KB. Creation date: " + QString::fromStdString(facts.createdDate) +
                  ". Last modified on: " + QString::fromStdString(facts.modifiedDate);
    return lines;
  });
}

}  // namespace zq48
