#pragma once

// Owning handles for FFmpeg objects, so that every exit path frees them.

#include <cstddef>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace zq48::ff {

struct FormatContextCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecContextFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFreer {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFreer {
  void operator()(SwrContext* s) const { swr_free(&s); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextCloser>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;

// swscale's vector code converts rows in blocks of this many pixels and may
// write a row's last block whole, past the row's end; a buffer it writes
// into keeps this many bytes of room after its end, and a bottom-up picture
// whose rows are not a whole number of blocks is not written in place.
inline constexpr int kSwsRowBlock = 16;
inline constexpr std::size_t kSwsRowSlack = 256;

// Opens a file for demuxing, optionally forcing the container format.
// Returns null on failure; `error` (when given) receives FFmpeg's code.
FormatContextPtr OpenInput(const std::string& path, const AVInputFormat* format = nullptr,
                           int* error = nullptr);

// A decoder opened for one stream, or null when there is none or it fails to
// open. `threads` 0 lets the decoder use every core.
CodecContextPtr OpenDecoder(const AVStream* stream, int threads = 1);

// The stream's length in seconds, or a negative value when unknown.
double StreamSeconds(const AVStream* stream);

}  // namespace zq48::ff
