#include "sources/ffmpeg_general_media.h"

#include "sources/display_view.h"
#include "sources/ffmpeg_handles.h"
#include "sources/resampler.h"
#include "sources/stream_kinds.h"

extern "C" {
#include <libavutil/imgutils.h>
}

namespace zq48 {

namespace {

// Decoding stops looking for the first picture or sound after this many
// packets, so a file whose stream never decodes is not read to its end.
constexpr int kMaxCheckPackets = 2000;

double FrameRateOf(const AVStream* stream) {
  AVRational rate = stream->avg_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = stream->r_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) return 0.0;
  return av_q2d(rate);
}

std::optional<double> LengthOf(const AVFormatContext* ctx, const AVStream* stream) {
  double seconds = ff::StreamSeconds(stream);
  if (seconds >= 0) return seconds;
  if (ctx->duration != AV_NOPTS_VALUE && ctx->duration >= 0)
    return static_cast<double>(ctx->duration) / AV_TIME_BASE;
  return std::nullopt;
}

DetectedStream DescribeStream(const AVFormatContext* ctx, const AVStream* stream) {
  DetectedStream out;
  const AVCodecParameters& par = *stream->codecpar;
  const ff::StreamKind kind = ff::KindOf(stream);
  if (kind == ff::StreamKind::Sound) {
    out.type = DetectedStream::Type::Audio;
    out.audioFormat = AudioFormatOf(par);
  } else if (kind == ff::StreamKind::Pictures) {
    out.type = DetectedStream::Type::Video;
    out.hasPictureHeader = par.width > 0 && par.height != 0;
    const DisplayView view = DisplayViewOf(stream);
    out.width = view.width;
    out.height = view.height;
    out.rotation = view.quarterTurns * 90;
    out.frameRate = FrameRateOf(stream);
  } else {
    return out;
  }
  out.length = LengthOf(ctx, stream);
  return out;
}

std::int64_t Duration100ns(const AVFormatContext* ctx) {
  if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0)
    return av_rescale(ctx->duration, 10'000'000, AV_TIME_BASE);
  double longest = 0;
  for (unsigned i = 0; i < ctx->nb_streams; ++i)
    longest = std::max(longest, ff::StreamSeconds(ctx->streams[i]));
  return static_cast<std::int64_t>(longest * 10'000'000);
}

// A decoded picture must convert to packed 24-bit BGR, as the encoder wants it.
bool ConvertsToBgr24(const AVFrame& frame) {
  ff::SwsPtr sws(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                frame.width, frame.height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr,
                                nullptr, nullptr));
  if (!sws) return false;
  std::vector<uint8_t> buffer(static_cast<size_t>(frame.width) * 3 * frame.height + ff::kSwsRowSlack);
  uint8_t* dst[4] = {buffer.data(), nullptr, nullptr, nullptr};
  int dstStride[4] = {frame.width * 3, 0, 0, 0};
  return sws_scale(sws.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride) > 0;
}

// Decoded sound must convert to interleaved signed 16-bit PCM at its own
// channel count and rate.
bool ConvertsToS16(const AVFrame& frame) {
  ff::SwrPtr swr = OpenResampler({&frame.ch_layout, AV_SAMPLE_FMT_S16, frame.sample_rate},
                                 {&frame.ch_layout, static_cast<AVSampleFormat>(frame.format),
                                  frame.sample_rate});
  if (!swr) return false;
  std::vector<uint8_t> buffer(static_cast<size_t>(frame.nb_samples + 256) * 2 *
                              std::max(1, frame.ch_layout.nb_channels));
  uint8_t* out[1] = {buffer.data()};
  return swr_convert(swr.get(), out, frame.nb_samples + 256,
                     const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples) >= 0;
}

// One decoder branch of the check: decodes until it has its first frame.
struct Branch {
  int streamIndex = -1;
  ff::CodecContextPtr decoder;
  bool done = false;
  bool ok = false;
  bool (*accept)(const AVFrame&) = nullptr;

  void Feed(const AVPacket* packet, AVFrame* frame) {
    if (done) return;
    if (avcodec_send_packet(decoder.get(), packet) < 0 && packet) return;
    int rc = avcodec_receive_frame(decoder.get(), frame);
    if (rc == 0) {
      ok = accept(*frame);
      done = true;
      av_frame_unref(frame);
    } else if (rc == AVERROR_EOF) {
      done = true;
    }
  }
};

// Reads packets until both branches have their first frame (or gave up).
void RunBranches(AVFormatContext* ctx, Branch& video, Branch* audio, AVPacket* packet,
                 AVFrame* frame) {
  auto finished = [&] { return video.done && (!audio || audio->done); };
  for (int n = 0; n < kMaxCheckPackets && !finished(); ++n) {
    if (av_read_frame(ctx, packet) < 0) break;
    if (packet->stream_index == video.streamIndex) video.Feed(packet, frame);
    if (audio && packet->stream_index == audio->streamIndex) audio->Feed(packet, frame);
    av_packet_unref(packet);
  }
  // Drain what the decoders still hold (a short file may end before a frame came out).
  video.Feed(nullptr, frame);
  if (audio) audio->Feed(nullptr, frame);
}

}  // namespace

AudioFormat AudioFormatOf(const AVCodecParameters& par) {
  AudioFormat format;
  format.subtype = avcodec_get_name(par.codec_id);
  WaveFormat& w = format.wave;
  const AVCodecTag* const riffTags[] = {avformat_get_riff_audio_tags(), nullptr};
  w.formatTag = static_cast<std::uint16_t>(av_codec_get_tag(riffTags, par.codec_id));
  // Sound of more than two channels is mixed down to stereo when decoded, so
  // it counts as stereo everywhere the channel count matters.
  const int sourceChannels = par.ch_layout.nb_channels;
  w.channels = static_cast<std::uint16_t>(sourceChannels > 2 ? 2 : sourceChannels);
  w.samplesPerSec = static_cast<std::uint32_t>(std::max(0, par.sample_rate));
  int bits = par.bits_per_coded_sample;
  if (bits == 0) bits = av_get_bits_per_sample(par.codec_id);
  w.bitsPerSample = static_cast<std::uint16_t>(bits);
  int blockAlign = par.block_align;
  if (blockAlign == 0 && bits > 0 && av_get_exact_bits_per_sample(par.codec_id) > 0)
    blockAlign = sourceChannels * bits / 8;
  w.blockAlign = static_cast<std::uint16_t>(blockAlign);
  std::int64_t avgBytes = par.bit_rate / 8;
  if (avgBytes == 0) avgBytes = static_cast<std::int64_t>(w.samplesPerSec) * blockAlign;
  w.avgBytesPerSec = static_cast<std::uint32_t>(avgBytes);
  w.extraSize = static_cast<std::uint16_t>(std::max(0, par.extradata_size));
  return format;
}

StreamDetection FfmpegGeneralMedia::DetectStreams(const std::string& path) const {
  StreamDetection result;
  int error = 0;
  ff::FormatContextPtr ctx = ff::OpenInput(path, nullptr, &error);
  if (!ctx || avformat_find_stream_info(ctx.get(), nullptr) < 0) {
    result.status = error == AVERROR(ENOMEM) ? StreamDetection::Status::DetectorFailed
                                             : StreamDetection::Status::OpenFailed;
    return result;
  }
  const int chosen[] = {ff::ChosenStreamOf(ctx.get(), ff::StreamKind::Pictures),
                        ff::ChosenStreamOf(ctx.get(), ff::StreamKind::Sound)};
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    result.streams.push_back(DescribeStream(ctx.get(), ctx->streams[i]));
    result.streams.back().chosen = static_cast<int>(i) == chosen[0] || static_cast<int>(i) == chosen[1];
  }
  return result;
}

DecodeCheck FfmpegGeneralMedia::CheckDecode(const std::string& path, bool withAudio) const {
  using Status = DecodeCheck::Status;
  DecodeCheck result;
  int error = 0;
  ff::FormatContextPtr ctx = ff::OpenInput(path, nullptr, &error);
  if (!ctx) {
    result.status = error == AVERROR(ENOMEM) ? Status::GraphFailed : Status::NoSource;
    return result;
  }
  if (avformat_find_stream_info(ctx.get(), nullptr) < 0) {
    result.status = Status::NoSource;
    return result;
  }
  ff::PacketPtr packet(av_packet_alloc());
  ff::FramePtr frame(av_frame_alloc());
  if (!packet || !frame) {
    result.status = Status::GraphFailed;
    return result;
  }

  Branch video{ff::ChosenStreamOf(ctx.get(), ff::StreamKind::Pictures), nullptr, false, false, ConvertsToBgr24};
  if (video.streamIndex < 0 || !(video.decoder = ff::OpenDecoder(ctx->streams[video.streamIndex]))) {
    result.status = Status::NoVideoDecoder;
    return result;
  }
  Branch audio{-1, nullptr, false, false, ConvertsToS16};
  if (withAudio) {
    audio.streamIndex = ff::ChosenStreamOf(ctx.get(), ff::StreamKind::Sound);
    if (audio.streamIndex < 0 ||
        !(audio.decoder = ff::OpenDecoder(ctx->streams[audio.streamIndex]))) {
      result.status = Status::NoAudioDecoder;
      return result;
    }
  }

  RunBranches(ctx.get(), video, withAudio ? &audio : nullptr, packet.get(), frame.get());
  if (!video.ok) {
    result.status = Status::NoVideoDecoder;
  } else if (withAudio && !audio.ok) {
    result.status = Status::NoAudioDecoder;
  } else {
    result.duration100ns = Duration100ns(ctx.get());
  }
  return result;
}

}  // namespace zq48
