#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/rational.h>
}

namespace zq48 {

// Keeps one stream's time stamps running on through a discontinuity. Two
// recordings joined into one transport stream start their clock again at
// zero halfway; a capture may jump forward over a gap. In formats that allow
// such breaks, a packet whose time falls more than a second behind the last
// one, or more than ten seconds ahead, starts a new stretch: from there on
// every time stamp is shifted so the stream continues right after its last
// packet. Pictures then follow the sound instead of being taken as late.
class TimestampMender {
 public:
  TimestampMender(AVRational timeBase, bool mayBreak);

  // Shifts the packet's pts and dts onto the continuous time line.
  void Mend(AVPacket& packet);

 private:
  bool mayBreak_;
  std::int64_t backTolerance_;
  std::int64_t forwardTolerance_;
  std::int64_t offset_ = 0;
  std::int64_t last_;  // mended time of the last packet, or AV_NOPTS_VALUE
  std::int64_t lastDuration_ = 0;
};

}  // namespace zq48
