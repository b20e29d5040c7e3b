#pragma once

#include <cstdint>
#include <vector>

#include "audio/pcm_frame.h"
#include "sources/resampler.h"

namespace zq48 {

// Turns a movie's decoded sound frames into interleaved little-endian PCM
// of the one format announced when the conversion was opened (one or two
// channels; 8-bit unsigned, 16-, 24- or 32-bit signed; the converter rate).
// A track may change its layout, sample format or rate on the way: the
// resampler is rebuilt whenever the frames do, after handing on what the
// old one still held, so the output keeps its format. More channels than
// the output has are mixed down by the resampler; channels without a
// known layout are mixed evenly: the first, third, ... to the left, the
// second, fourth, ... to the right.
// (A converter of its own beside SoundConverter, which writes 16-bit PCM of
// whole frames only; the two share their resampler, FrameResampler.)
class MovieSoundConverter {
 public:
  explicit MovieSoundConverter(const PcmFormat& output) : output_(output) {}

  // Converts `count` samples per channel of `frame`, from sample `first`
  // on, appending the PCM to `out`. False when the frame cannot be converted.
  bool Convert(const AVFrame& frame, int first, int count, std::vector<std::uint8_t>& out);
  // Appends what the resampler still delays; for the end of the sound.
  void Drain(std::vector<std::uint8_t>& out);

 private:
  bool Rebuild(const AVFrame& frame, std::vector<std::uint8_t>& out);
  // Runs the resampler on `count` input samples (none: drains it).
  bool Run(const std::uint8_t* const* in, int count, std::vector<std::uint8_t>& out);

  const PcmFormat output_;
  FrameResampler resampler_;
  std::vector<std::uint8_t> buffer_;
  std::vector<const std::uint8_t*> planes_;
};

}  // namespace zq48
