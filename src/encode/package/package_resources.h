#pragma once

#include <cstdint>
#include <span>

namespace zq48 {

// The files carried inside the program and written out unchanged beside the
// pages: the web player's archive, the strip of its button images, and the
// script of the page for today's browsers.
enum class PackageResource { PlayerArchive, ButtonImage, WebPlayer };

// The resource's bytes (empty when the program was built without it) and
// the file name it is written under ("zqmPlayer.jar", "buttons.gif", "zqmPlayer.js").
std::span<const std::uint8_t> ResourceBytes(PackageResource resource);
const char* ResourceFileName(PackageResource resource);

}  // namespace zq48
