#pragma once

#include <cstdint>
#include <functional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace zq48::testing {

// Runs a raw elementary stream (no container) through FFmpeg's own parser
// and decoder for `codec`, with strict error checking. `onPacket` sees each
// parsed packet, `onFrame` each decoded frame. Returns how many packets or
// frames the decoder refused or flagged as damaged.
int DecodeElementaryStream(AVCodecID codec, const std::vector<std::uint8_t>& stream,
                           const std::function<void(const std::uint8_t*, int)>& onPacket,
                           const std::function<void(const AVFrame&)>& onFrame);

}  // namespace zq48::testing
