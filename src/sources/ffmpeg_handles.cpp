#include "sources/ffmpeg_handles.h"

namespace zq48::ff {

FormatContextPtr OpenInput(const std::string& path, const AVInputFormat* format, int* error) {
  AVFormatContext* ctx = nullptr;
  // avformat_open_input frees the context itself when it fails.
  int rc = avformat_open_input(&ctx, path.c_str(), format, nullptr);
  if (error) *error = rc;
  if (rc < 0) return nullptr;
  return FormatContextPtr(ctx);
}

CodecContextPtr OpenDecoder(const AVStream* stream, int threads) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return nullptr;
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx) return nullptr;
  if (avcodec_parameters_to_context(ctx.get(), stream->codecpar) < 0) return nullptr;
  ctx->pkt_timebase = stream->time_base;
  ctx->thread_count = threads;
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
  return ctx;
}

double StreamSeconds(const AVStream* stream) {
  if (stream->duration == AV_NOPTS_VALUE || stream->duration < 0) return -1.0;
  return static_cast<double>(stream->duration) * av_q2d(stream->time_base);
}

}  // namespace zq48::ff
