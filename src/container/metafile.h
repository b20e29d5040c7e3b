#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>


namespace zq48 {

// The metafile lists the measured bit rates of a file's variants: u32 video
// count, u32 audio count, then the video rates and the audio rates in the
// order the variants were finished (little-endian).
struct Metafile {
  std::vector<std::uint32_t> videoRates;
  std::vector<std::uint32_t> audioRates;
  bool operator==(const Metafile&) const = default;
};

// folder + base name + ".meta.zq48", or the bare file name when relative.
std::string MetafileName(const std::string& folder, const std::string& sourcePath, bool relative);

std::vector<std::uint8_t> EncodeMetafile(const Metafile& metafile);

// Writes `metafile` to `name`: aside first, renamed over the final name only
// when whole, so a reader never sees half a metafile and a failure leaves the
// earlier one in place. Nothing on success, else the message of the first
// step that failed.
std::optional<std::string> WriteMetafile(const std::string& name, const Metafile& metafile);

// Reads a metafile; nothing (with `problem` set) when it is not one.
std::optional<Metafile> ReadMetafile(const std::string& path, std::string* problem);

}  // namespace zq48
