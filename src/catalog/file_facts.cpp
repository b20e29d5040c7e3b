#include "catalog/file_facts.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>

namespace zq48 {

int DetectSourceKind(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char type[4];
  if (!file || !file.seekg(4) || !file.read(type, 4)) return kSourceGeneral;
  static const char* const kMovieAtoms[] = {"moov", "wide", "free", "skip", "pnot", "mdat"};
  for (const char* atom : kMovieAtoms)
    if (std::string(type, 4) == atom) return kSourceMovie;
  return kSourceGeneral;
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

std::string SizeText(std::uint64_t size) {
  std::int64_t shown = static_cast<std::int64_t>(size <= 10240 ? size : size / 1024);
  char text[32];
  std::snprintf(text, sizeof text, "%" PRId64, shown);
  return text;
}

std::string DurationText(std::int64_t duration100ns) {
  std::int64_t s = duration100ns / 10'000'000;
  std::int64_t hours = s / 3600;
  std::int64_t minutes = (s - hours * 3600) / 60;
  std::int64_t seconds = s - hours * 3600 - minutes * 60;
  std::int64_t millis = (duration100ns % 10'000'000) / 10'000;
  char text[64];
  std::snprintf(text, sizeof text, "%02dh:%02dm:%02d.%03ds", static_cast<int>(hours),
                static_cast<int>(minutes), static_cast<int>(seconds), static_cast<int>(millis));
  return text;
}

std::string DateText(std::time_t time) {
  std::tm local {};
  if (!localtime_r(&time, &local)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%d", local.tm_mon + 1, local.tm_mday,
                local.tm_year + 1900);
  return text;
}

void StoreFileDates(const std::string& path, MediaFacts& facts) {
  struct statx stx {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_MTIME | STATX_BTIME, &stx) != 0) return;
  facts.modifiedDate = DateText(static_cast<std::time_t>(stx.stx_mtime.tv_sec));
  bool hasBirth = (stx.stx_mask & STATX_BTIME) != 0;
  facts.createdDate =
      DateText(static_cast<std::time_t>(hasBirth ? stx.stx_btime.tv_sec : stx.stx_mtime.tv_sec));
}

}  // namespace zq48
