#pragma once

// The send/receive loop every decode runs around an FFmpeg decoder.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace zq48::ff {

// What a decode's input did when the decoder asked for more.
enum class Input {
  Sent,     // a packet was sent (or one of another stream passed over)
  Ended,    // no more packets: the decoder is drained of what it still holds
  Abandon,  // the decode is stopping: nothing more is decoded
};

// Runs `decoder` until `body` has had enough or the decoder is empty. Every
// frame it gives goes to `body` (and is unreferenced after it), which
// returns false when it wants no more frames now; whenever the decoder
// wants input, `feed()` sends it the next packet and says how that went.
// `draining` keeps, across calls of a decode that is resumed, that the end
// of the input was reached. True when `body` stopped the decode; false when
// the decoder is empty or the decode was abandoned.
template <class Feed, class Body>
bool RunDecoder(AVCodecContext* decoder, AVFrame* frame, bool& draining, Feed&& feed, Body&& body) {
  for (;;) {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      const bool more = body(*frame);
      av_frame_unref(frame);
      if (!more) return true;
    }
    if (draining) return false;
    switch (feed()) {
      case Input::Sent:
        break;
      case Input::Ended:
        draining = true;
        avcodec_send_packet(decoder, nullptr);
        break;
      case Input::Abandon:
        return false;
    }
  }
}

// A feed for RunDecoder that reads the file itself: the next packet of
// stream `index` goes to `decoder` (a packet it refuses, a damaged one, is
// passed over), packets of other streams are dropped, and the end of the
// file (or a read error) ends the input.
Input SendNextPacket(AVFormatContext* file, int index, AVCodecContext* decoder, AVPacket* packet);

}  // namespace zq48::ff
