#include "encode/output_names.h"

#include <algorithm>
#include <cstdio>

namespace zq48 {

std::string BaseName(const std::string& path, bool keepExtension) {
  // The extension is looked for in the file name only, so that a dot in a
  // folder name never cuts the path short.
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (!keepExtension) {
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
  }
  return name;
}

std::string OutputBaseName(const std::string& path) {
  std::string name = BaseName(path);
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
}

std::string VariantTag(int videoKbps, double frameRate, int width, int height, int channels,
                       int sampleRate, int audioKbps) {
  char text[160];
  std::snprintf(text, sizeof text, "_dr%i_fr%.2f_w%d_h%d_Ch%i_Sr%i_Br%i", videoKbps, frameRate,
                width, height, channels, sampleRate, audioKbps);
  return text;
}

std::string VariantTag(const OutputFilter& f) {
  return VariantTag(f.videoBitRate, f.frameRate, f.width, f.height, f.audioChannels,
                    f.audioSampleRate, f.audioBitRate);
}

std::string OutputBasePath(const std::string& destinationFolder, const std::string& sourcePath,
                           const OutputFilter& filter) {
  return destinationFolder + OutputBaseName(sourcePath) + "_" + VariantTag(filter) +
         kStreamExtension;
}

}  // namespace zq48
