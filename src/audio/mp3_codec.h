#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "audio/lame_options.h"

namespace zq48 {

// An open MP3 encoder context. The audio stage talks to the codec only
// through this, so that tests can watch how it cuts the PCM into calls.
// Destroying the object releases the context.
class Mp3Codec {
 public:
  virtual ~Mp3Codec() = default;

  // Samples per channel in one MP3 frame.
  virtual int FrameSize() const = 0;
  // Encodes `samples` samples per channel, full-scale 32-bit (`right` is
  // ignored for one input channel). Returns the MP3 bytes written to `out`,
  // negative on failure.
  virtual int Encode(const int* left, const int* right, int samples, std::uint8_t* out,
                     int capacity) = 0;
  // Encodes what the codec still holds and returns the last MP3 bytes,
  // negative on failure.
  virtual int Flush(std::uint8_t* out, int capacity) = 0;
};

// Everything a codec is opened with: the output settings and the PCM it will be given.
struct Mp3CodecSetup {
  LameSettings settings;
  int inputChannels = 0;
  int inputSampleRate = 0;  // Hz
};

// Opens a codec; null when it cannot be set up with these values.
using Mp3CodecFactory = std::function<std::unique_ptr<Mp3Codec>(const Mp3CodecSetup&)>;

}  // namespace zq48
