#include "sources/sound_converter.h"

namespace zq48 {

bool SoundConverter::Matches(const AVFrame& frame) const {
  return swr_ && frame.format == inFormat_ && frame.sample_rate == inRate_ &&
         av_channel_layout_compare(&frame.ch_layout, &inLayout_) == 0;
}

bool SoundConverter::Rebuild(const AVFrame& frame) {
  swr_.reset();
  av_channel_layout_uninit(&inLayout_);
  if (av_channel_layout_copy(&inLayout_, &frame.ch_layout) < 0) return false;
  inFormat_ = frame.format;
  inRate_ = frame.sample_rate;
  AVChannelLayout out{};
  av_channel_layout_default(&out, channels_);
  SwrContext* raw = nullptr;
  int rc = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, rate_, &inLayout_,
                               static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
  av_channel_layout_uninit(&out);
  if (rc < 0) return false;
  swr_.reset(raw);
  if (swr_init(swr_.get()) < 0) {
    swr_.reset();
    return false;
  }
  return true;
}

// Runs the resampler on `inSamples` input samples (none: drain), appending
// after `offsetBlocks` output blocks already in pcm_. Returns the blocks added.
int SoundConverter::Run(const std::uint8_t* const* in, int inSamples, int offsetBlocks) {
  const int blockBytes = channels_ * 2;
  const int room = swr_get_out_samples(swr_.get(), inSamples);
  if (room <= 0) return 0;
  pcm_.resize(static_cast<std::size_t>(offsetBlocks + room) * blockBytes);
  std::uint8_t* out[1] = {pcm_.data() + static_cast<std::size_t>(offsetBlocks) * blockBytes};
  int n = swr_convert(swr_.get(), out, room, const_cast<const std::uint8_t**>(in), inSamples);
  return n > 0 ? n : 0;
}

int SoundConverter::Convert(const AVFrame& frame) {
  if (frame.nb_samples <= 0 || frame.sample_rate <= 0 || frame.ch_layout.nb_channels <= 0) return 0;
  int drained = 0;
  if (!Matches(frame)) {
    if (swr_) drained = Run(nullptr, 0, 0);  // the old format's tail comes first
    if (!Rebuild(frame)) return -1;
  }
  int n = Run(frame.extended_data, frame.nb_samples, drained);
  return drained + n;
}

}  // namespace zq48
