#include "sources/resampler.h"

namespace zq48 {

ff::SwrPtr OpenResampler(const SoundShape& out, const SoundShape& in,
                         std::span<const double> fallbackMix) {
  // This FFmpeg takes the layouts as mutable; it only reads them.
  AVChannelLayout outLayout = *out.layout;
  AVChannelLayout inLayout = *in.layout;
  SwrContext* raw = nullptr;
  // On failure FFmpeg frees what it allocated and leaves `raw` null.
  if (swr_alloc_set_opts2(&raw, &outLayout, out.format, out.rate, &inLayout, in.format, in.rate, 0,
                          nullptr) < 0)
    return nullptr;
  ff::SwrPtr swr(raw);
  if (swr_init(swr.get()) >= 0) return swr;
  if (fallbackMix.empty()) return nullptr;
  if (swr_set_matrix(swr.get(), fallbackMix.data(), in.layout->nb_channels) < 0 ||
      swr_init(swr.get()) < 0)
    return nullptr;
  return swr;
}

bool FrameResampler::Matches(const AVFrame& frame) const {
  return swr_ && frame.format == inFormat_ && frame.sample_rate == inRate_ &&
         av_channel_layout_compare(&frame.ch_layout, &inLayout_) == 0;
}

bool FrameResampler::Rebuild(const AVFrame& frame, int channels, AVSampleFormat format, int rate,
                             const AVChannelLayout* readAs, std::span<const double> fallbackMix) {
  swr_.reset();
  av_channel_layout_uninit(&inLayout_);
  if (av_channel_layout_copy(&inLayout_, &frame.ch_layout) < 0) return false;
  inFormat_ = frame.format;
  inRate_ = frame.sample_rate;
  AVChannelLayout outLayout{};
  av_channel_layout_default(&outLayout, channels);
  swr_ = OpenResampler({&outLayout, format, rate},
                       {readAs ? readAs : &inLayout_, static_cast<AVSampleFormat>(frame.format),
                        frame.sample_rate},
                       fallbackMix);
  av_channel_layout_uninit(&outLayout);
  return swr_ != nullptr;
}

}  // namespace zq48
