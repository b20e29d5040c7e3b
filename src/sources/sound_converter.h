#pragma once

#include <cstdint>
#include <vector>

#include "sources/resampler.h"

namespace zq48 {

// Turns decoded sound frames into interleaved signed 16-bit PCM of one fixed
// format: the channel count and rate announced when the stage was opened.
// Real streams change format on the way (a broadcast turning from stereo to
// mono between programmes, a DVD cell at another rate, 5.1 sound): the
// resampler is rebuilt whenever the frames' layout, sample format or rate
// change, and what the old one still held is drained first, so the output
// stays continuous. More than two channels are mixed down by the resampler.
// (The movie sources have their own converter, MovieSoundConverter: it
// writes 8-, 24- and 32-bit PCM too, cuts frames and mixes unplaced channels.)
class SoundConverter {
 public:
  SoundConverter(int channels, int sampleRate) : channels_(channels), rate_(sampleRate) {}

  // Converts one frame. Returns the whole sample blocks now in `pcm()`
  // (0 when nothing came out), or -1 when the frame cannot be converted.
  int Convert(const AVFrame& frame);
  const std::uint8_t* pcm() const { return pcm_.data(); }

  // The announced channel count for a source of `sourceChannels`: at most 2.
  static int OutputChannels(int sourceChannels) { return sourceChannels > 2 ? 2 : sourceChannels; }

 private:
  int Run(const std::uint8_t* const* in, int inSamples, int offsetBlocks);

  const int channels_;
  const int rate_;
  FrameResampler resampler_;
  std::vector<std::uint8_t> pcm_;
};

}  // namespace zq48
