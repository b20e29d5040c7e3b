#pragma once

#include <string>

namespace zq48 {

// The compression code of the first video stream of an AVI file, as its
// four characters, or empty when the file is not an AVI file or has no
// video stream.
std::string ReadAviVideoFourcc(const std::string& path);

}  // namespace zq48
