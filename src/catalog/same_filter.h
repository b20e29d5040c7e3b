#pragma once

#include <string>

#include "catalog/input_catalog.h"

namespace zq48 {

// What the Expert page (and the command line's explicit variants) say when
// a variant would be listed twice.
inline constexpr const char* kSameFilterText = "Filter with the same parameters already exists";
inline constexpr const char* kSameFilterCaption = "ZQ48";

// Frame rates within this are the same to the user, who sees two decimals.
inline constexpr double kSameFrameRate = 0.005;

// True when `path` already lists a variant with this frame size, frame rate,
// video bit rate and audio bit rate. A file without sound keeps its audio
// bit rates at 0, so `audioKbps` is compared as 0 for it.
bool HasSameFilter(const InputCatalog& catalog, const std::string& path, int width, int height,
                   double frameRate, int videoKbps, int audioKbps);

}  // namespace zq48
