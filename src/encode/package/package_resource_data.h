#pragma once

#include <cstddef>
#include <cstdint>

// The package files as compiled into the engine. The definitions are
// generated at build time from zqmPlayer.jar, resources/buttons.gif and the
// pieces of zqmPlayer.js in resources/web/
// (resources/CMakeLists.txt); use ResourceBytes rather than these.
namespace zq48::package_data {

extern const std::uint8_t kPlayerArchive[];
extern const std::size_t kPlayerArchiveSize;
extern const std::uint8_t kButtonImage[];
extern const std::size_t kButtonImageSize;
extern const std::uint8_t kWebPlayer[];
extern const std::size_t kWebPlayerSize;

}  // namespace zq48::package_data
