#include "sources/timestamp_mender.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

namespace zq48 {

TimestampMender::TimestampMender(AVRational timeBase, bool mayBreak)
    : mayBreak_(mayBreak),
      backTolerance_(av_rescale_q(1, AVRational{1, 1}, timeBase)),
      forwardTolerance_(av_rescale_q(10, AVRational{1, 1}, timeBase)),
      last_(AV_NOPTS_VALUE) {}

void TimestampMender::Mend(AVPacket& packet) {
  // The decode time stamp runs monotonically where there is one; with
  // reordered pictures the presentation time may step back a little.
  const std::int64_t raw = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
  if (!mayBreak_ || raw == AV_NOPTS_VALUE) return;
  std::int64_t mended = raw + offset_;
  if (last_ != AV_NOPTS_VALUE &&
      (mended < last_ - backTolerance_ || mended > last_ + forwardTolerance_)) {
    offset_ += last_ + lastDuration_ - mended;
    mended = raw + offset_;
  }
  if (packet.pts != AV_NOPTS_VALUE) packet.pts += offset_;
  if (packet.dts != AV_NOPTS_VALUE) packet.dts += offset_;
  if (last_ == AV_NOPTS_VALUE || mended > last_) last_ = mended;
  if (packet.duration > 0) lastDuration_ = packet.duration;
}

}  // namespace zq48
