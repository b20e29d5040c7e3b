#include "catalog/same_filter.h"

#include <cmath>

namespace zq48 {

bool HasSameFilter(const InputCatalog& catalog, const std::string& path, int width, int height,
                   double frameRate, int videoKbps, int audioKbps) {
  const int audio = catalog.Facts(path).hasAudio ? audioKbps : 0;
  for (std::size_t i = 0; i < catalog.FilterCount(path); ++i) {
    const OutputFilter& f = *catalog.FilterAt(path, i);
    if (f.width == width && f.height == height && std::fabs(f.frameRate - frameRate) < kSameFrameRate &&
        f.videoBitRate == videoKbps && f.audioBitRate == audio)
      return true;
  }
  return false;
}

}  // namespace zq48
