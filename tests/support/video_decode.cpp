#include "support/video_decode.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "sources/ffmpeg_handles.h"

namespace zq48::testing {

namespace {

struct ParserCloser {
  void operator()(AVCodecParserContext* p) const { av_parser_close(p); }
};

std::vector<std::uint8_t> ToBgr(const AVFrame& frame) {
  ff::SwsPtr sws(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                frame.width, frame.height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr,
                                nullptr, nullptr));
  std::vector<std::uint8_t> out(static_cast<std::size_t>(frame.width) * frame.height * 3);
  uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
  int stride[4] = {frame.width * 3, 0, 0, 0};
  sws_scale(sws.get(), frame.data, frame.linesize, 0, frame.height, dst, stride);
  return out;
}

void Drain(AVCodecContext* ctx, AVFrame* frame, DecodedVideo& out) {
  for (;;) {
    int rc = avcodec_receive_frame(ctx, frame);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
    if (rc < 0) {
      ++out.errors;
      return;
    }
    if (frame->decode_error_flags) ++out.errors;
    out.width = frame->width;
    out.height = frame->height;
    out.pictures.push_back(ToBgr(*frame));
    av_frame_unref(frame);
  }
}

}  // namespace

DecodedVideo DecodeMpeg4(const std::vector<std::uint8_t>& stream) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
  ff::CodecContextPtr ctx(avcodec_alloc_context3(codec));
  ctx->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
  ctx->thread_count = 1;
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) throw std::runtime_error("mpeg4 decoder");
  std::unique_ptr<AVCodecParserContext, ParserCloser> parser(av_parser_init(AV_CODEC_ID_MPEG4));
  ff::PacketPtr packet(av_packet_alloc());
  ff::FramePtr frame(av_frame_alloc());

  // The parser needs padding after the data it reads.
  std::vector<std::uint8_t> data(stream);
  data.resize(stream.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  DecodedVideo out;
  const std::uint8_t* at = data.data();
  int left = static_cast<int>(stream.size());
  for (;;) {
    const bool flushing = left == 0;  // a call with no data hands out what the parser holds
    uint8_t* chunk = nullptr;
    int chunkSize = 0;
    int used = av_parser_parse2(parser.get(), ctx.get(), &chunk, &chunkSize, at, left,
                                AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    at += used;
    left -= used;
    if (chunkSize > 0) {
      packet->data = chunk;
      packet->size = chunkSize;
      if (avcodec_send_packet(ctx.get(), packet.get()) < 0) ++out.errors;
      Drain(ctx.get(), frame.get(), out);
    }
    if (flushing && chunkSize == 0) break;
  }
  avcodec_send_packet(ctx.get(), nullptr);
  Drain(ctx.get(), frame.get(), out);
  return out;
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  double mse = sum / a.size();
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::vector<std::uint8_t> FlipRows(const std::vector<std::uint8_t>& picture, int width, int height) {
  std::vector<std::uint8_t> out(picture.size());
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y)
    std::copy_n(picture.begin() + y * row, row, out.begin() + (height - 1 - y) * row);
  return out;
}

}  // namespace zq48::testing
