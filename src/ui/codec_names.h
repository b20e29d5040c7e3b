#pragma once

#include <cstdint>
#include <string>

namespace zq48 {

// The name of a video codec from its four-character code, or empty for a
// code the program does not know. Letters among the first three characters
// count in either case; the fourth must match as written, so "divx" is not
// taken for "DIVX".
std::string VideoCodecName(const std::string& fourcc);

// The name of an audio coding from a WAVEFORMATEX format tag, or empty for
// an unknown tag.
std::string AudioCodecName(std::uint16_t formatTag);

}  // namespace zq48
