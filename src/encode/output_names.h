#pragma once

#include <string>

#include "encode/output_filter.h"

namespace zq48 {

// The extension of every stream file and of the metafile.
inline constexpr const char* kStreamExtension = ".zq48";

// The input file's name without its folder and (unless kept) its extension.
// Callers replace spaces by '_' where a file name is formed from it.
std::string BaseName(const std::string& path, bool keepExtension = false);

// BaseName with every space replaced by '_'.
std::string OutputBaseName(const std::string& path);

// "_dr%i_fr%.2f_w%d_h%d_Ch%i_Sr%i_Br%i": video kbps, frame rate, width,
// height, audio channels, audio sample rate, audio kbps. It names a
// variant's temporary stream files.
std::string VariantTag(int videoKbps, double frameRate, int width, int height, int channels,
                       int sampleRate, int audioKbps);
std::string VariantTag(const OutputFilter& filter);

// destination folder + base name + "_" + variant tag + ".zq48": the name the
// stages derive their temporary stream files from.
std::string OutputBasePath(const std::string& destinationFolder, const std::string& sourcePath,
                           const OutputFilter& filter);

}  // namespace zq48
