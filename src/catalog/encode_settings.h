#pragma once

#include <cstdint>
#include <string>

namespace zq48 {

// Limits and defaults of the simple bit-rate range (kbps) and quality.
inline constexpr std::uint32_t kRangeMin = 48;
inline constexpr std::uint32_t kRangeMax = 900;
inline constexpr std::uint32_t kDefaultRangeBegin = 48;
inline constexpr std::uint32_t kDefaultRangeEnd = 350;
inline constexpr int kDefaultQuality = 50;

// The global settings of a job that are not per variant.
struct EncodeSettings {
  std::uint32_t rangeBegin = kDefaultRangeBegin;  // kbps
  std::uint32_t rangeEnd = kDefaultRangeEnd;      // kbps
  int quality = kDefaultQuality;                  // 0..100 in steps of 10
  bool titleImageOn = false;
  std::string titleImagePath;
  bool endImageOn = false;
  std::string endImagePath;
  // Also write a page for today's browsers (BASE.play.html) and its script zqmPlayer.js.
  bool webPageOn = true;

  // The destination folder always ends with "/" when it is not empty.
  const std::string& destinationFolder() const { return destinationFolder_; }
  void setDestinationFolder(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    destinationFolder_ = std::move(folder);
  }

  bool operator==(const EncodeSettings&) const = default;

 private:
  std::string destinationFolder_;
};

}  // namespace zq48
