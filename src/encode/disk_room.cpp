#include "encode/disk_room.h"

#include <sys/statvfs.h>

#include <algorithm>

namespace zq48 {

namespace {
constexpr std::uint64_t kMegabyte = 1024 * 1024;
}  // namespace

std::optional<std::uint64_t> FreeBytesAvailable(const std::string& folder) {
  struct statvfs fs {};
  if (statvfs(folder.c_str(), &fs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(fs.f_bavail) * static_cast<std::uint64_t>(fs.f_frsize);
}

std::uint64_t BytesNeeded(const OutputFilter& f, double fileSeconds) {
  double seconds = fileSeconds;
  if (f.beginTime != 0 || f.endTime != 0)
    seconds = std::max(0.0, std::min(f.endTime, fileSeconds) - std::min(f.beginTime, fileSeconds));
  const double kbps = (f.videoOn ? f.videoBitRate : 0) + (f.audioOn ? f.audioBitRate : 0);
  const double bytes = kbps * 1000.0 / 8.0 * std::max(0.0, seconds) * 1.25;
  return static_cast<std::uint64_t>(bytes) + 256 * 1024;
}

std::optional<std::string> RoomProblem(const std::string& folder, std::uint64_t needed, const std::string& what) {
  std::optional<std::uint64_t> free = FreeBytesAvailable(folder);
  if (!free || *free >= needed) return std::nullopt;
  // Megabytes where they say something, kilobytes on a nearly full disk.
  const bool large = needed >= 10 * kMegabyte;
  auto amount = [large](std::uint64_t b) {
    const std::uint64_t unit = large ? kMegabyte : 1024;
    return std::to_string((b + unit - 1) / unit) + (large ? " MB" : " KB");
  };
  return "Not enough free space in " + folder + " for " + what + ": it needs about " + amount(needed) + " and " +
         amount(*free) + " are free.\nIt is skipped; the job goes on with the next one.";
}

}  // namespace zq48
