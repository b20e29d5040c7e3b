#pragma once

#include <string>

namespace zq48 {

// The Content-Type a package's file is served with, by its extension
// (letter case ignored): pages and the player script as UTF-8 text, the
// player archive and images as what they are, and every stream file and
// metafile (".zq48") as bytes, which is also the answer for anything else.
std::string ContentTypeOf(const std::string& fileName);

}  // namespace zq48
