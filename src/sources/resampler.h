#pragma once

#include <span>

#include "sources/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace zq48 {

// One side of a sound conversion: channel layout, sample format and rate.
struct SoundShape {
  const AVChannelLayout* layout = nullptr;
  AVSampleFormat format = AV_SAMPLE_FMT_NONE;
  int rate = 0;
};

// An initialised resampler from `in` to `out`, or null when FFmpeg refuses
// it. When initialising fails (the resampler cannot place the input's
// channels) and `fallbackMix` holds weights, one row of input channels per
// output channel, they are set and initialising is tried once more.
ff::SwrPtr OpenResampler(const SoundShape& out, const SoundShape& in,
                         std::span<const double> fallbackMix = {});

// The resampler of a sound converter, built for the frames it is given:
// whenever their channel layout, sample format or rate change, the
// converter drains it and builds it again for the new ones.
class FrameResampler {
 public:
  FrameResampler() = default;
  ~FrameResampler() { av_channel_layout_uninit(&inLayout_); }
  FrameResampler(const FrameResampler&) = delete;
  FrameResampler& operator=(const FrameResampler&) = delete;

  // True when the resampler there is was built for frames like `frame`.
  bool Matches(const AVFrame& frame) const;
  // Builds the resampler for frames like `frame`, to `channels` channels
  // (their usual layout) of `format` at `rate`. `readAs` is the layout the
  // frames' channels are read as (null: their own); `fallbackMix` as for
  // OpenResampler. False, with no resampler, when it cannot be built.
  bool Rebuild(const AVFrame& frame, int channels, AVSampleFormat format, int rate,
               const AVChannelLayout* readAs = nullptr, std::span<const double> fallbackMix = {});

  SwrContext* get() const { return swr_.get(); }
  explicit operator bool() const { return swr_ != nullptr; }

 private:
  ff::SwrPtr swr_;
  AVChannelLayout inLayout_{};
  int inFormat_ = -1;
  int inRate_ = 0;
};

}  // namespace zq48
