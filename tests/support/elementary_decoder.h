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
struct ElementaryDecodeOptions {
  // Decode as the player's own decoders do, so that their pictures can be
  // held to FFmpeg's exactly: with the integer inverse DCT of xvidcore
  // (which FFmpeg picks by itself for xvidcore's streams, and here for any
  // stream), in FFmpeg's portable C form: its SIMD form keeps intermediate
  // sums in saturating 16-bit lanes, which changes a pixel by one in rare
  // blocks of extreme levels. (Not FFmpeg's "bitexact" mode, which adds
  // MPEG-2's mismatch control to intra blocks of MPEG quantisation; its usual
  // decoding, like xvidcore's, leaves them as they are.)
  bool xvidReference = false;
  // Anything else to set on the decoder before it opens (debug output, side data).
  std::function<void(AVCodecContext&)> setUp;
};

int DecodeElementaryStream(AVCodecID codec, const std::vector<std::uint8_t>& stream,
                           const std::function<void(const std::uint8_t*, int)>& onPacket,
                           const std::function<void(const AVFrame&)>& onFrame,
                           const ElementaryDecodeOptions& options = {});

}  // namespace zq48::testing
