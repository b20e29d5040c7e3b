#pragma once

#include <memory>

#include "audio/mp3_codec.h"

namespace zq48 {

// An Mp3Codec over libmp3lame: constant bit rate, no ID3 tag and no VBR
// header frame, so that the stream holds nothing but audio frames. Null
// when the library refuses the settings.
std::unique_ptr<Mp3Codec> OpenLameCodec(const Mp3CodecSetup& setup);

}  // namespace zq48
