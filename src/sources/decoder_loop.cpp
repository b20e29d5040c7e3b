#include "sources/decoder_loop.h"

namespace zq48::ff {

Input SendNextPacket(AVFormatContext* file, int index, AVCodecContext* decoder, AVPacket* packet) {
  if (av_read_frame(file, packet) < 0) return Input::Ended;
  if (packet->stream_index == index) avcodec_send_packet(decoder, packet);
  av_packet_unref(packet);
  return Input::Sent;
}

}  // namespace zq48::ff
