#include "support/elementary_decoder.h"

#include <memory>
#include <stdexcept>

#include "sources/ffmpeg_handles.h"

extern "C" {
#include <libavutil/cpu.h>
}

namespace zq48::testing {

namespace {

struct ParserCloser {
  void operator()(AVCodecParserContext* p) const { av_parser_close(p); }
};

int Drain(AVCodecContext* ctx, AVFrame* frame, const std::function<void(const AVFrame&)>& onFrame) {
  int errors = 0;
  for (;;) {
    int rc = avcodec_receive_frame(ctx, frame);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return errors;
    if (rc < 0) return errors + 1;
    if (frame->decode_error_flags) ++errors;
    onFrame(*frame);
    av_frame_unref(frame);
  }
}

// While it lives (and `on`), FFmpeg uses no processor-specific code.
class PortableCode {
 public:
  explicit PortableCode(bool on) : on_(on) {
    if (on_) av_force_cpu_flags(0);
  }
  ~PortableCode() {
    if (on_) av_force_cpu_flags(-1);
  }
  PortableCode(const PortableCode&) = delete;
  PortableCode& operator=(const PortableCode&) = delete;

 private:
  bool on_;
};

}  // namespace

int DecodeElementaryStream(AVCodecID codecId, const std::vector<std::uint8_t>& stream,
                           const std::function<void(const std::uint8_t*, int)>& onPacket,
                           const std::function<void(const AVFrame&)>& onFrame,
                           const ElementaryDecodeOptions& options) {
  const AVCodec* codec = avcodec_find_decoder(codecId);
  ff::CodecContextPtr ctx(avcodec_alloc_context3(codec));
  ctx->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER | AV_EF_CRCCHECK;
  ctx->thread_count = 1;
  if (options.xvidReference) ctx->idct_algo = FF_IDCT_XVID;
  if (options.setUp) options.setUp(*ctx);
  // The decoder reads the processor's features when it opens and again once
  // the stream's headers give it a picture size, so the portable code is
  // forced for the whole decode.
  PortableCode portable(options.xvidReference);
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) throw std::runtime_error("no decoder");
  std::unique_ptr<AVCodecParserContext, ParserCloser> parser(av_parser_init(codecId));
  ff::PacketPtr packet(av_packet_alloc());
  ff::FramePtr frame(av_frame_alloc());

  // The parser reads a little past the end of its input.
  std::vector<std::uint8_t> data(stream);
  data.resize(stream.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  int errors = 0;
  const std::uint8_t* at = data.data();
  int left = static_cast<int>(stream.size());
  for (;;) {
    const bool flushing = left == 0;  // a call with no data hands out what the parser holds
    std::uint8_t* chunk = nullptr;
    int chunkSize = 0;
    int used = av_parser_parse2(parser.get(), ctx.get(), &chunk, &chunkSize, at, left,
                                AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (used < 0) return errors + 1;
    at += used;
    left -= used;
    if (chunkSize > 0) {
      if (onPacket) onPacket(chunk, chunkSize);
      packet->data = chunk;
      packet->size = chunkSize;
      if (avcodec_send_packet(ctx.get(), packet.get()) < 0) ++errors;
      errors += Drain(ctx.get(), frame.get(), onFrame);
    }
    if (flushing && chunkSize == 0) break;
  }
  avcodec_send_packet(ctx.get(), nullptr);
  return errors + Drain(ctx.get(), frame.get(), onFrame);
}

}  // namespace zq48::testing
