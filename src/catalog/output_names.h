#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalog/output_filter.h"

namespace zq48 {

// The extension of every stream file and of the metafile.
inline constexpr const char* kStreamExtension = ".zq48";

// The input file's name without its folder and (unless kept) its extension.
// Callers replace spaces by '_' where a file name is formed from it.
std::string BaseName(const std::string& path, bool keepExtension = false);

// BaseName with every space replaced by '_'.
std::string OutputBaseName(const std::string& path);

// The page for today's browsers of an input file: its output base name + kPlayPageSuffix.
inline constexpr std::string_view kPlayPageSuffix = ".play.html";
std::string PlayPageName(const std::string& sourcePath);

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

namespace zq48 {

class InputCatalog;

// Another listed file whose output base name is that of `path` ("My Movie.avi"
// and "My_Movie.avi", or "clip.avi" and "clip.mov"): its page, metafile and
// streams would be replaced by those of `path`. Nothing when there is none;
// the same path listed again is no twin.
std::optional<std::string> BaseNameTwin(const InputCatalog& catalog, const std::string& path);

// The message that refuses `path` because of its twin `other`.
std::string BaseNameTwinText(const std::string& path, const std::string& other);

}  // namespace zq48
