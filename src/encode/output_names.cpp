#include "encode/output_names.h"

#include <cstdio>

namespace zq48 {

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

}  // namespace zq48
