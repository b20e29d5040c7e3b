#include "sources/timeline_origin.h"

#include <algorithm>
#include <vector>

#include "sources/stream_kinds.h"

namespace zq48 {

namespace {

// The side decode reads at most this much; what it read is kept for the
// decode, so the bytes are bounded as well as the count.
constexpr int kOriginPackets = 2000;
constexpr std::int64_t kOriginBytes = 32 << 20;

// One stream's first frame, decoded on the side to learn its time.
struct FirstFrame {
  int stream = -1;
  ff::CodecContextPtr decoder;
  double time = 0.0;
  bool found = false;

  void Take(AVFrame* frame, const AVStream* st) {
    while (!found && avcodec_receive_frame(decoder.get(), frame) == 0) {
      const std::int64_t ts = frame->best_effort_timestamp;
      if (ts != AV_NOPTS_VALUE) {
        time = ts * av_q2d(st->time_base);
        found = true;
      }
      av_frame_unref(frame);
    }
  }
};

}  // namespace

double FindTimelineOrigin(AVFormatContext* file, std::deque<ff::PacketPtr>* kept) {
  std::vector<FirstFrame> firsts;
  for (ff::StreamKind kind : {ff::StreamKind::Pictures, ff::StreamKind::Sound}) {
    const int index = ff::ChosenStreamOf(file, kind);
    if (index < 0) continue;
    FirstFrame first{index, ff::OpenDecoder(file->streams[index])};
    if (first.decoder) firsts.push_back(std::move(first));
  }
  ff::FramePtr frame(av_frame_alloc());
  auto pending = [&firsts] {
    return std::any_of(firsts.begin(), firsts.end(), [](const FirstFrame& f) { return !f.found; });
  };
  std::int64_t bytes = 0;
  for (int n = 0; frame && n < kOriginPackets && bytes < kOriginBytes && pending(); ++n) {
    ff::PacketPtr packet(av_packet_alloc());
    if (!packet || av_read_frame(file, packet.get()) < 0) break;
    bytes += packet->size;
    for (FirstFrame& f : firsts) {
      if (packet->stream_index != f.stream || f.found) continue;
      avcodec_send_packet(f.decoder.get(), packet.get());  // a damaged packet is passed over
      f.Take(frame.get(), file->streams[f.stream]);
    }
    if (kept) kept->push_back(std::move(packet));
  }
  // A short file may end before a decoder let its first frame out.
  for (FirstFrame& f : firsts) {
    if (f.found || !frame) continue;
    avcodec_send_packet(f.decoder.get(), nullptr);
    f.Take(frame.get(), file->streams[f.stream]);
  }
  double origin = 0.0;
  bool any = false;
  for (const FirstFrame& f : firsts) {
    if (!f.found) continue;
    origin = any ? std::min(origin, f.time) : f.time;
    any = true;
  }
  if (!any && file->start_time != AV_NOPTS_VALUE) origin = file->start_time / double(AV_TIME_BASE);
  return origin;
}

}  // namespace zq48
