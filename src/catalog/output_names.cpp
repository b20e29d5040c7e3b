#include "catalog/output_names.h"

#include <algorithm>
#include <string>

#include "core/plain_numbers.h"
#include "catalog/input_catalog.h"

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

std::string PlayPageName(const std::string& sourcePath) {
  return OutputBaseName(sourcePath) + std::string(kPlayPageSuffix);
}

std::string VariantTag(int videoKbps, double frameRate, int width, int height, int channels,
                       int sampleRate, int audioKbps) {
  using std::to_string;
  return "_dr" + to_string(videoKbps) + "_fr" + FixedPoint(frameRate, 2) + "_w" + to_string(width) +
         "_h" + to_string(height) + "_Ch" + to_string(channels) + "_Sr" + to_string(sampleRate) +
         "_Br" + to_string(audioKbps);
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

std::optional<std::string> BaseNameTwin(const InputCatalog& catalog, const std::string& path) {
  const std::string base = OutputBaseName(path);
  for (const std::string& other : catalog.InputPaths())
    if (other != path && OutputBaseName(other) == base) return other;
  return std::nullopt;
}

std::string BaseNameTwinText(const std::string& path, const std::string& other) {
  return "Can't add " + path + ":\nits output files would be named " + OutputBaseName(path) +
         " like those of " + other + ", which is already in the list.\n" +
         "Rename one of the two files to encode both.";
}

}  // namespace zq48
