#include "sources/sound_converter.h"

namespace zq48 {

// Runs the resampler on `inSamples` input samples (none: drain), appending
// after `offsetBlocks` output blocks already in pcm_. Returns the blocks added.
int SoundConverter::Run(const std::uint8_t* const* in, int inSamples, int offsetBlocks) {
  const int blockBytes = channels_ * 2;
  const int room = swr_get_out_samples(resampler_.get(), inSamples);
  if (room <= 0) return 0;
  pcm_.resize(static_cast<std::size_t>(offsetBlocks + room) * blockBytes);
  std::uint8_t* out[1] = {pcm_.data() + static_cast<std::size_t>(offsetBlocks) * blockBytes};
  int n = swr_convert(resampler_.get(), out, room, const_cast<const std::uint8_t**>(in), inSamples);
  return n > 0 ? n : 0;
}

int SoundConverter::Convert(const AVFrame& frame) {
  if (frame.nb_samples <= 0 || frame.sample_rate <= 0 || frame.ch_layout.nb_channels <= 0) return 0;
  int drained = 0;
  if (!resampler_.Matches(frame)) {
    if (resampler_) drained = Run(nullptr, 0, 0);  // the old format's tail comes first
    if (!resampler_.Rebuild(frame, channels_, AV_SAMPLE_FMT_S16, rate_)) return -1;
  }
  int n = Run(frame.extended_data, frame.nb_samples, drained);
  return drained + n;
}

}  // namespace zq48
