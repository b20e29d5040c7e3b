#include "support/stream_test_media.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

#include "sources/ffmpeg_handles.h"

namespace zq48::testing {
namespace {

void Check(int rc, const char* what) {
  if (rc < 0) throw std::runtime_error(std::string("stream test media: ") + what);
}

template <class T>
T* Need(T* p, const char* what) {
  if (!p) throw std::runtime_error(std::string("stream test media: ") + what);
  return p;
}

struct Output {
  explicit Output(const std::string& path, const char* format) {
    Check(avformat_alloc_output_context2(&ctx, nullptr, format, path.c_str()), "no muxer");
    Check(avio_open(&ctx->pb, path.c_str(), AVIO_FLAG_WRITE), "cannot create file");
  }
  ~Output() {
    avio_closep(&ctx->pb);
    avformat_free_context(ctx);
  }
  void Write(AVPacket* packet, AVStream* stream, AVRational from) {
    av_packet_rescale_ts(packet, from, stream->time_base);
    packet->stream_index = stream->index;
    Check(av_interleaved_write_frame(ctx, packet), "cannot write packet");
  }
  AVFormatContext* ctx = nullptr;
};

ff::CodecContextPtr OpenEncoder(AVCodecID id, const std::function<void(AVCodecContext&)>& setUp) {
  const AVCodec* codec = Need(avcodec_find_encoder(id), "no encoder");
  ff::CodecContextPtr ctx(Need(avcodec_alloc_context3(codec), "no encoder context"));
  setUp(*ctx);
  Check(avcodec_open2(ctx.get(), codec, nullptr), "cannot open encoder");
  return ctx;
}

// Sends one frame (or the flush) and writes every packet that comes out.
void Encode(AVCodecContext* enc, AVFrame* frame, Output& out, AVStream* stream) {
  Check(avcodec_send_frame(enc, frame), "cannot encode");
  ff::PacketPtr packet(av_packet_alloc());
  while (avcodec_receive_packet(enc, packet.get()) == 0) out.Write(packet.get(), stream, enc->time_base);
}

ff::CodecContextPtr PictureEncoder(const StreamClip& clip) {
  return OpenEncoder(clip.videoCodec, [&](AVCodecContext& c) {
    c.width = clip.width;
    c.height = clip.height;
    c.pix_fmt = AV_PIX_FMT_YUV420P;
    c.time_base = AVRational{1, clip.fps};
    c.framerate = AVRational{clip.fps, 1};
    c.gop_size = clip.keyInterval;
    c.max_b_frames = clip.bFrames;
    c.bit_rate = 800'000;
  });
}

ff::CodecContextPtr SoundEncoder(const StreamClip& clip, const SoundStretch& s) {
  return OpenEncoder(clip.soundCodec, [&](AVCodecContext& c) {
    c.sample_rate = s.sampleRate;
    av_channel_layout_default(&c.ch_layout, s.channels);
    const AVCodec* codec = avcodec_find_encoder(clip.soundCodec);
    c.sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    c.bit_rate = s.channels > 2 ? 384'000 : (s.sampleRate < 32000 ? 64'000 : 128'000) * s.channels;
    c.time_base = AVRational{1, s.sampleRate};
  });
}

void FillPicture(const StreamClip& clip, int index, AVFrame& frame) {
  std::vector<std::uint8_t> bgr = PictureOf(clip, index);
  ff::SwsPtr sws(sws_getContext(clip.width, clip.height, AV_PIX_FMT_BGR24, clip.width, clip.height,
                                AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr));
  const std::uint8_t* src[1] = {bgr.data()};
  const int stride[1] = {clip.width * 3};
  sws_scale(sws.get(), src, stride, 0, clip.height, frame.data, frame.linesize);
}

// One sample of the tone, as float or 16-bit, planar or packed.
void FillSound(const StreamClip& clip, std::int64_t first, AVFrame& frame) {
  const auto format = static_cast<AVSampleFormat>(frame.format);
  const bool planar = av_sample_fmt_is_planar(format);
  const int channels = frame.ch_layout.nb_channels;
  for (int i = 0; i < frame.nb_samples; ++i) {
    const double v = 0.4 * std::sin(2 * std::numbers::pi * clip.toneHz * double(first + i) / frame.sample_rate);
    for (int c = 0; c < channels; ++c) {
      const int at = planar ? i : i * channels + c;
      std::uint8_t* plane = frame.extended_data[planar ? c : 0];
      if (format == AV_SAMPLE_FMT_FLTP || format == AV_SAMPLE_FMT_FLT)
        reinterpret_cast<float*>(plane)[at] = static_cast<float>(v);
      else
        reinterpret_cast<std::int16_t*>(plane)[at] = static_cast<std::int16_t>(v * 32767);
    }
  }
}

}  // namespace

std::vector<std::uint8_t> PictureOf(const StreamClip& clip, int index) {
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(clip.width) * clip.height * 3);
  // A soft gradient that drifts, and a bright block that moves by a few
  // pixels a picture, so every picture differs from its neighbours.
  const int bx = (index * 3) % (clip.width - 16), by = (index * 2) % (clip.height - 16);
  for (int y = 0; y < clip.height; ++y)
    for (int x = 0; x < clip.width; ++x) {
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * clip.width + x) * 3];
      const bool block = x >= bx && x < bx + 16 && y >= by && y < by + 16;
      p[0] = static_cast<std::uint8_t>(block ? 235 : 40 + (x + index) % 128);
      p[1] = static_cast<std::uint8_t>(block ? 235 : 40 + (y * 2 + index) % 128);
      p[2] = static_cast<std::uint8_t>(block ? 235 : 60 + ((x + y) / 2) % 100);
    }
  return bgr;
}

void WriteStreamClip(const std::string& path, const StreamClip& clip) {
  Output out(path, clip.format);
  ff::CodecContextPtr video = PictureEncoder(clip);
  AVStream* vs = Need(avformat_new_stream(out.ctx, nullptr), "no stream");
  Check(avcodec_parameters_from_context(vs->codecpar, video.get()), "video parameters");
  vs->time_base = video->time_base;
  std::vector<ff::CodecContextPtr> sound;
  for (const SoundStretch& s : clip.sound) sound.push_back(SoundEncoder(clip, s));
  AVStream* as = Need(avformat_new_stream(out.ctx, nullptr), "no stream");
  Check(avcodec_parameters_from_context(as->codecpar, sound.front().get()), "sound parameters");
  as->time_base = AVRational{1, 90000};
  Check(avformat_write_header(out.ctx, nullptr), "cannot write header");

  double total = 0;
  for (const SoundStretch& s : clip.sound) total += s.seconds;
  const int pictures = static_cast<int>(std::lround(total * clip.fps));
  ff::FramePtr picture(av_frame_alloc());
  picture->format = AV_PIX_FMT_YUV420P;
  picture->width = clip.width;
  picture->height = clip.height;
  Check(av_frame_get_buffer(picture.get(), 0), "picture buffer");

  // Sound stretch by stretch, pictures interleaved by time.
  int nextPicture = 0;
  double soundStart = 0;
  auto picturesUpTo = [&](double t) {
    for (; nextPicture < pictures && nextPicture <= t * clip.fps; ++nextPicture) {
      Check(av_frame_make_writable(picture.get()), "picture writable");
      FillPicture(clip, nextPicture, *picture);
      picture->pts = nextPicture;
      Encode(video.get(), picture.get(), out, vs);
    }
  };
  for (std::size_t k = 0; k < clip.sound.size(); ++k) {
    AVCodecContext* enc = sound[k].get();
    const SoundStretch& s = clip.sound[k];
    // Whole frames, so the next stretch starts right where this one's last frame ends.
    const std::int64_t frameSize = enc->frame_size > 0 ? enc->frame_size : 1024;
    const auto samples = (static_cast<std::int64_t>(std::lround(s.seconds * s.sampleRate)) + frameSize - 1) /
                         frameSize * frameSize;
    const std::int64_t offset = static_cast<std::int64_t>(std::lround(soundStart * s.sampleRate));
    ff::FramePtr frame(av_frame_alloc());
    frame->format = enc->sample_fmt;
    frame->sample_rate = s.sampleRate;
    frame->nb_samples = static_cast<int>(frameSize);
    av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
    Check(av_frame_get_buffer(frame.get(), 0), "sound buffer");
    for (std::int64_t done = 0; done < samples; done += frame->nb_samples) {
      picturesUpTo(soundStart + double(done) / s.sampleRate);
      Check(av_frame_make_writable(frame.get()), "sound writable");
      FillSound(clip, done, *frame);
      // The encoder's own delay is taken out again, so the sound starts with the pictures.
      frame->pts = offset + done + enc->initial_padding;
      Encode(enc, frame.get(), out, as);
    }
    Encode(enc, nullptr, out, as);
    soundStart += double(samples) / s.sampleRate;
  }
  picturesUpTo(total + 1);
  Encode(video.get(), nullptr, out, vs);
  Check(av_write_trailer(out.ctx), "cannot write trailer");
}

std::optional<double> DecodeEachFrame(const std::string& path, AVMediaType type,
                                      const std::function<void(const AVFrame&, double)>& onFrame) {
  ff::FormatContextPtr in = ff::OpenInput(path);
  if (!in || avformat_find_stream_info(in.get(), nullptr) < 0) return std::nullopt;
  const int index = av_find_best_stream(in.get(), type, -1, -1, nullptr, 0);
  if (index < 0) return std::nullopt;
  const AVStream* st = in->streams[index];
  ff::CodecContextPtr dec = ff::OpenDecoder(st);
  if (!dec) return std::nullopt;
  ff::PacketPtr packet(av_packet_alloc());
  ff::FramePtr frame(av_frame_alloc());
  auto drain = [&] {
    while (avcodec_receive_frame(dec.get(), frame.get()) == 0) {
      onFrame(*frame, frame->best_effort_timestamp * av_q2d(st->time_base));
      av_frame_unref(frame.get());
    }
  };
  while (av_read_frame(in.get(), packet.get()) >= 0) {
    if (packet->stream_index == index) avcodec_send_packet(dec.get(), packet.get());
    av_packet_unref(packet.get());
    drain();
  }
  avcodec_send_packet(dec.get(), nullptr);
  drain();
  return in->start_time != AV_NOPTS_VALUE ? in->start_time / double(AV_TIME_BASE) : 0.0;
}

std::vector<TimedPicture> DecodePictures(const std::string& path) {
  std::vector<TimedPicture> pictures;
  const std::optional<double> start =
      DecodeEachFrame(path, AVMEDIA_TYPE_VIDEO, [&pictures](const AVFrame& frame, double time) {
        TimedPicture p{.time = time, .bgr = {}};
        p.bgr.resize(static_cast<std::size_t>(frame.width) * frame.height * 3);
        ff::SwsPtr sws(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                      frame.width, frame.height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                                      nullptr, nullptr));
        std::uint8_t* dst[1] = {p.bgr.data()};
        const int stride[1] = {frame.width * 3};
        sws_scale(sws.get(), frame.data, frame.linesize, 0, frame.height, dst, stride);
        pictures.push_back(std::move(p));
      });
  for (TimedPicture& p : pictures) p.time -= start.value_or(0.0);
  return pictures;
}

void JoinFiles(const std::string& first, const std::string& second, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& part : {first, second}) {
    std::ifstream in(part, std::ios::binary);
    out << in.rdbuf();
  }
}

}  // namespace zq48::testing
