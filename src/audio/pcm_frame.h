#pragma once

#include <cstdint>

namespace zq48 {

// Interleaved little-endian PCM as a decode source delivers it.
struct PcmFormat {
  int channels = 0;
  int sampleRate = 0;  // Hz
  int bitsPerSample = 0;

  // What the audio stage can take: one or two channels of 8-, 16-, 24- or 32-bit samples.
  bool Supported() const;
  int BytesPerSample() const { return bitsPerSample / 8; }
  // Bytes of one sample of every channel.
  int BlockBytes() const { return BytesPerSample() * channels; }
};

// Unpacks `samples` samples per channel from `pcm` into full-scale signed
// 32-bit values (the sample in the top bits: a 16-bit s becomes s × 65536).
// 8-bit PCM is unsigned and is centred first; 16-, 24- and 32-bit PCM is
// signed. Mono fills `left` and zeroes `right`. `format` must be Supported().
void UnpackPcm(const std::uint8_t* pcm, int samples, const PcmFormat& format, int* left,
               int* right);

}  // namespace zq48
