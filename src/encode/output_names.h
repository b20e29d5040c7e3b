#pragma once

#include <string>

#include "encode/output_filter.h"

namespace zq48 {

// "_dr%i_fr%.2f_w%d_h%d_Ch%i_Sr%i_Br%i": video kbps, frame rate, width,
// height, audio channels, audio sample rate, audio kbps. It names a
// variant's temporary stream files.
std::string VariantTag(int videoKbps, double frameRate, int width, int height, int channels,
                       int sampleRate, int audioKbps);
std::string VariantTag(const OutputFilter& filter);

}  // namespace zq48
