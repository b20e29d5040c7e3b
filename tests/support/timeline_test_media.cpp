#include "support/timeline_test_media.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include "sources/ffmpeg_handles.h"
#include "support/movie_test_media.h"
#include "support/package_timeline.h"
#include "support/stream_test_media.h"

namespace zq48::testing {
namespace {

int Check(int rc, const std::string& what) {
  if (rc < 0) throw std::runtime_error("timeline test media: " + what);
  return rc;
}

template <class T>
T* Need(T* p, const std::string& what) {
  if (p == nullptr) throw std::runtime_error("timeline test media: " + what);
  return p;
}

bool InFlash(double t) {
  for (double at : kFlashTimes)
    if (t >= at - 1e-9 && t < at + kFlashSeconds - 1e-9) return true;
  return false;
}

struct Output {
  Output(const std::string& path, const TimelineClip& clip) {
    Check(avformat_alloc_output_context2(&ctx, nullptr, clip.muxer.c_str(), path.c_str()), "no muxer " + clip.muxer);
    ctx->output_ts_offset = std::llround(clip.fileStart * AV_TIME_BASE);
    Check(avio_open(&ctx->pb, path.c_str(), AVIO_FLAG_WRITE), "cannot create " + path);
  }
  ~Output() {
    avio_closep(&ctx->pb);
    avformat_free_context(ctx);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  AVFormatContext* ctx = nullptr;
};

// One encoder feeding one stream; its frames are handed out in film time.
class Track {
 public:
  Track(AVFormatContext* out, const std::string& encoder) : out_(out) {
    codec_ = Need(avcodec_find_encoder_by_name(encoder.c_str()), "no encoder " + encoder);
    ctx_.reset(Need(avcodec_alloc_context3(codec_), "encoder context"));
    stream_ = Need(avformat_new_stream(out, nullptr), "no stream");
    frame_.reset(Need(av_frame_alloc(), "frame"));
  }
  virtual ~Track() = default;
  Track(const Track&) = delete;
  Track& operator=(const Track&) = delete;

  // Film time of the next frame, or a negative value when there is none left.
  virtual double NextTime() const = 0;
  virtual void EncodeNext() = 0;
  void Flush() { Send(nullptr); }

 protected:
  void Open(AVDictionary** options = nullptr) {
    if (out_->oformat->flags & AVFMT_GLOBALHEADER) ctx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(ctx_.get(), codec_, options), std::string("cannot open ") + codec_->name);
    Check(avcodec_parameters_from_context(stream_->codecpar, ctx_.get()), "codec parameters");
    // The program stream muxer sizes its buffers from the encoder's buffer size.
    for (int i = 0; i < ctx_->nb_coded_side_data; ++i) {
      const AVPacketSideData& side = ctx_->coded_side_data[i];
      std::memcpy(Need(av_stream_new_side_data(stream_, side.type, side.size), "side data"), side.data, side.size);
    }
    stream_->time_base = ctx_->time_base;
  }
  void Send(const AVFrame* frame) {
    Check(avcodec_send_frame(ctx_.get(), frame), std::string("cannot encode with ") + codec_->name);
    ff::PacketPtr packet(av_packet_alloc());
    for (;;) {
      const int rc = avcodec_receive_packet(ctx_.get(), packet.get());
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
      Check(rc, std::string("encoder failed: ") + codec_->name);
      if (packet->duration == 0 && ctx_->codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = pictureTicks_;
      av_packet_rescale_ts(packet.get(), ctx_->time_base, stream_->time_base);
      const auto shift = static_cast<std::int64_t>(std::llround(startSeconds_ / av_q2d(stream_->time_base)));
      if (packet->pts != AV_NOPTS_VALUE) packet->pts += shift;
      if (packet->dts != AV_NOPTS_VALUE) packet->dts += shift;
      packet->stream_index = stream_->index;
      Check(av_interleaved_write_frame(out_, packet.get()), "cannot write packet");
    }
  }

  AVFormatContext* out_;
  const AVCodec* codec_ = nullptr;
  ff::CodecContextPtr ctx_;
  AVStream* stream_ = nullptr;
  ff::FramePtr frame_;
  double startSeconds_ = 0;  // where the stream's time stamp 0 lies in the film
  int pictureTicks_ = 1;     // a picture's length, in the encoder's time base
};

class PictureTrack final : public Track {
 public:
  PictureTrack(AVFormatContext* out, const TimelineClip& clip) : Track(out, clip.videoEncoder), clip_(clip) {
    const int rate = clip.variableRate ? 30 : clip.fps;
    ctx_->width = clip.width;
    ctx_->height = clip.height;
    ctx_->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx_->time_base = AVRational{1, rate};
    ctx_->framerate = AVRational{rate, 1};
    ctx_->gop_size = 12;
    ctx_->max_b_frames = clip.bFrames;
    ctx_->bit_rate = 400'000;
    ctx_->rc_max_rate = 800'000;
    ctx_->rc_buffer_size = 400'000;
    ctx_->sample_aspect_ratio = AVRational{clip.aspectNum, clip.aspectDen};
    stream_->sample_aspect_ratio = ctx_->sample_aspect_ratio;
    stream_->disposition = AV_DISPOSITION_DEFAULT;
    startSeconds_ = clip.videoStart;
    AVDictionary* options = nullptr;
    if (clip.videoEncoder.starts_with("libvpx")) {
      // Quick, and every frame shown: no hidden reference frames that lag.
      av_dict_set(&options, "deadline", "realtime", 0);
      av_dict_set(&options, "cpu-used", "8", 0);
      av_dict_set(&options, "lag-in-frames", "0", 0);
    }
    Open(&options);
    av_dict_free(&options);
    if (clip.rotation != 0) {
      const DisplayMatrix matrix = TurnMatrix(clip.rotation);
      std::memcpy(Need(av_stream_new_side_data(stream_, AV_PKT_DATA_DISPLAYMATRIX, sizeof matrix), "matrix"),
                  matrix.data(), sizeof matrix);
    }
    frame_->format = ctx_->pix_fmt;
    frame_->width = clip.width;
    frame_->height = clip.height;
    Check(av_frame_get_buffer(frame_.get(), 0), "picture buffer");
    count_ = clip.pictures >= 0 ? clip.pictures : CountUpTo(clip.seconds - clip.videoStart);
  }

  double NextTime() const override {
    return index_ < count_ ? clip_.videoStart + double(Ticks(index_)) / ctx_->time_base.den : -1;
  }

  void EncodeNext() override {
    Check(av_frame_make_writable(frame_.get()), "picture writable");
    Paint(NextTime());
    frame_->pts = Ticks(index_);
    pictureTicks_ = static_cast<int>(Ticks(index_ + 1) - Ticks(index_));
    ++index_;
    Send(frame_.get());
  }

 private:
  // Time stamp of picture `i`: every tick, or by turns one and two ticks of 1/30 s.
  std::int64_t Ticks(int i) const { return clip_.variableRate ? 3 * (i / 2) + i % 2 : i; }
  int CountUpTo(double seconds) const {
    int n = 0;
    while (double(Ticks(n)) / ctx_->time_base.den < seconds - 1e-9) ++n;
    return n;
  }

  void Paint(double t) {
    AVFrame& f = *frame_;
    for (int y = 0; y < f.height / 2; ++y) {
      std::memset(f.data[1] + y * f.linesize[1], 128, f.width / 2);
      std::memset(f.data[2] + y * f.linesize[2], 128, f.width / 2);
    }
    const bool flashes = clip_.scene == TimelineScene::Flashes;
    const bool flash = flashes && InFlash(t);
    // A small block drifts across, a little brighter, so no two pictures are the same.
    const int bx = (index_ * 4) % (f.width - 16);
    const int lift = flash ? 0 : flashes ? 25 : 6;
    for (int y = 0; y < f.height; ++y) {
      std::uint8_t* row = f.data[0] + static_cast<std::ptrdiff_t>(y) * f.linesize[0];
      if (flashes)
        std::memset(row, flash ? 235 : 45, f.width);
      else
        for (int x = 0; x < f.width; ++x) row[x] = Corner(x, y);
      if (y >= 8 && y < 24)
        for (int x = bx; x < bx + 16; ++x) row[x] = static_cast<std::uint8_t>(row[x] + lift);
    }
  }

  // The stored picture's point (x, y) as the player shows it, turned clockwise.
  std::uint8_t Corner(int x, int y) const {
    const int w = clip_.width, h = clip_.height;
    int dx = x, dy = y, dw = w, dh = h;
    switch (clip_.rotation) {
      case 90: dx = h - 1 - y, dy = x, dw = h, dh = w; break;
      case 180: dx = w - 1 - x, dy = h - 1 - y; break;
      case 270: dx = y, dy = w - 1 - x, dw = h, dh = w; break;
      default: break;
    }
    if (dy >= dh / 4) return 30;
    if (dx < dw / 3) return 235;
    return dx >= 2 * dw / 3 ? 140 : 30;
  }

  const TimelineClip& clip_;
  int index_ = 0;
  int count_ = 0;
};

class SoundTrack final : public Track {
 public:
  SoundTrack(AVFormatContext* out, const TimelineClip& clip, const TimelineSound& sound, bool markedDefault)
      : Track(out, clip.soundEncoder), sound_(sound), seconds_(clip.seconds),
        withPictures_(clip.soundPacketsWithPictures) {
    ctx_->sample_fmt = Need(codec_->sample_fmts, "no sample format")[0];
    ctx_->sample_rate = sound.sampleRate;
    av_channel_layout_default(&ctx_->ch_layout, sound.channels);
    ctx_->time_base = AVRational{1, sound.sampleRate};
    ctx_->bit_rate = 64'000 * sound.channels;
    if (markedDefault) stream_->disposition = AV_DISPOSITION_DEFAULT;
    Open();
    block_ = ctx_->frame_size > 0 ? ctx_->frame_size : 1024;
    // Whole blocks: the closing tone runs up to the last sample the file holds.
    const auto samples = static_cast<std::int64_t>(std::llround(clip.seconds * sound.sampleRate));
    end_ = (samples + block_ - 1) / block_ * block_;
    frame_->format = ctx_->sample_fmt;
    frame_->sample_rate = sound.sampleRate;
    frame_->nb_samples = block_;
    Check(av_channel_layout_copy(&frame_->ch_layout, &ctx_->ch_layout), "channel layout");
    Check(av_frame_get_buffer(frame_.get(), 0), "sound buffer");
  }

  double NextTime() const override { return next_ < end_ ? double(next_) / sound_.sampleRate : -1; }

  void EncodeNext() override {
    Check(av_frame_make_writable(frame_.get()), "sound writable");
    const auto format = static_cast<AVSampleFormat>(frame_->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = sound_.channels;
    for (int i = 0; i < block_; ++i) {
      const double t = double(next_ + i) / sound_.sampleRate;
      const bool on = InFlash(t) || t >= seconds_ - kClosingToneSeconds;
      const double v = on ? 0.5 * std::sin(2 * std::numbers::pi * sound_.toneHz * t) : 0.0;
      for (int c = 0; c < channels; ++c) {
        const int at = planar ? i : i * channels + c;
        std::uint8_t* plane = frame_->extended_data[planar ? c : 0];
        if (av_get_packed_sample_fmt(format) == AV_SAMPLE_FMT_FLT)
          reinterpret_cast<float*>(plane)[at] = static_cast<float>(v);
        else
          reinterpret_cast<std::int16_t*>(plane)[at] = static_cast<std::int16_t>(std::lround(v * 32767));
      }
    }
    frame_->pts = next_ + (withPictures_ ? ctx_->initial_padding : 0);
    next_ += block_;
    Send(frame_.get());
  }

 private:
  TimelineSound sound_;
  double seconds_;
  bool withPictures_;
  int block_ = 1024;
  std::int64_t next_ = 0;
  std::int64_t end_ = 0;
};

}  // namespace

namespace {

void WriteTracks(const std::string& path, const TimelineClip& clip) {
  Output out(path, clip);
  std::vector<std::unique_ptr<Track>> tracks;
  tracks.push_back(std::make_unique<PictureTrack>(out.ctx, clip));
  for (const TimelineSound& sound : clip.sound)
    tracks.push_back(std::make_unique<SoundTrack>(out.ctx, clip, sound, sound.markedDefault || clip.sound.size() == 1));
  AVDictionary* options = nullptr;
  // Tracks are default exactly as marked, not the first of each kind.
  if (clip.muxer == "matroska" || clip.muxer == "webm") av_dict_set(&options, "default_mode", "passthrough", 0);
  const int rc = avformat_write_header(out.ctx, &options);
  av_dict_free(&options);
  Check(rc, "cannot write header of " + path);
  // In film time, so that the muxer never has to hold much back.
  for (;;) {
    Track* next = nullptr;
    for (auto& track : tracks)
      if (track->NextTime() >= 0 && (next == nullptr || track->NextTime() < next->NextTime())) next = track.get();
    if (next == nullptr) break;
    next->EncodeNext();
  }
  for (auto& track : tracks) track->Flush();
  Check(av_write_trailer(out.ctx), "cannot finish " + path);
}

// The first channel of the file's chosen sound stream as floats, and the
// time of its first sample.
PackageSound DecodeSound(const std::string& path, double* firstTime) {
  PackageSound out;
  DecodeEachFrame(path, AVMEDIA_TYPE_AUDIO, [&](const AVFrame& frame, double time) {
    if (out.samples.empty()) *firstTime = time;
    out.rate = frame.sample_rate;
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const int step = av_sample_fmt_is_planar(format) ? 1 : frame.ch_layout.nb_channels;
    const std::uint8_t* plane = frame.extended_data[0];
    for (int i = 0; i < frame.nb_samples; ++i) {
      out.samples.push_back(av_get_packed_sample_fmt(format) == AV_SAMPLE_FMT_FLT
                                ? reinterpret_cast<const float*>(plane)[i * step]
                                : reinterpret_cast<const std::int16_t*>(plane)[i * step] / 32768.0f);
    }
  });
  return out;
}

}  // namespace

void WriteTimelineClip(const std::string& path, const TimelineClip& clip) {
  WriteTracks(path, clip);  // and closes the file
  if (clip.oldStyleMovie) RenameLeadingFtyp(path);
}

ClipMarks MeasureClip(const std::string& path) {
  ClipMarks marks;
  {
    ff::FormatContextPtr in = ff::OpenInput(path);
    if (!in || avformat_find_stream_info(in.get(), nullptr) < 0) return marks;
    const auto startOf = [&in](AVMediaType type) {
      const int index = av_find_best_stream(in.get(), type, -1, -1, nullptr, 0);
      const AVStream* st = index >= 0 ? in->streams[index] : nullptr;
      return st && st->start_time != AV_NOPTS_VALUE ? st->start_time * av_q2d(st->time_base) : 0.0;
    };
    marks.videoStart = startOf(AVMEDIA_TYPE_VIDEO);
    marks.soundStart = startOf(AVMEDIA_TYPE_AUDIO);
  }
  const double start = std::min(marks.videoStart, marks.soundStart);
  bool bright = false;
  for (const TimedPicture& p : DecodePictures(path)) {  // in seconds from the file's first time stamp
    // The mean of the whole picture, taken as one long row.
    const bool now = RegionLuma(p.bgr, static_cast<int>(p.bgr.size() / 3), 1, 0, 0, 1, 1) > 140;
    if (now && !bright) marks.flashes.push_back(p.time);
    bright = now;
  }
  double first = 0;
  const PackageSound sound = DecodeSound(path, &first);
  for (const ToneBurst& b : ToneBursts(sound)) marks.beeps.push_back(first - start + b.start / sound.rate);
  return marks;
}

TimelineClip PlainAviWithPcm() {
  return TimelineClip{.muxer = "avi", .soundEncoder = "pcm_s16le"};
}

// FLAC has no encoder delay: the pictures start exactly 0.5 s after the sound.
TimelineClip MatroskaWithLateVideo() {
  return TimelineClip{.soundEncoder = "flac", .fps = 24, .seconds = 4.5, .videoStart = 0.5};
}

// The program stream muxer's own 0.5 s and the B-pictures' reordering put
// the first picture at 0.54 s; the MP2 encoder's delay of 481 samples puts
// the first sound 10 ms before it.
TimelineClip ProgramStreamStartingLate() {
  return TimelineClip{.muxer = "mpeg", .videoEncoder = "mpeg2video", .soundEncoder = "mp2", .bFrames = 2,
                      .sound = {TimelineSound{.sampleRate = 48000}}};
}

// The sound's packets start with the pictures; the muxer's codec delay
// (the Opus pre-skip, 312 samples) starts the sound stream 6.5 ms before
// them, and the decoder drops those samples again.
TimelineClip WebmWithOpus() {
  return TimelineClip{.muxer = "webm", .videoEncoder = "libvpx-vp9", .soundEncoder = "libopus",
                      .sound = {TimelineSound{.sampleRate = 48000}}, .soundPacketsWithPictures = true};
}

// The movie muxer puts an empty edit in front of the pictures.
TimelineClip MovieWithLateVideo() {
  return TimelineClip{.muxer = "mov", .soundEncoder = "pcm_s16be", .fps = 24, .seconds = 4.5, .videoStart = 0.5,
                      .oldStyleMovie = true};
}

TimelineClip MatroskaWithVariableRate() {
  return TimelineClip{.soundEncoder = "flac", .variableRate = true};
}

TimelineClip TransportStreamWithClockWrap() {
  constexpr double kWrap = 8589934592.0 / 90000;
  return TimelineClip{.muxer = "mpegts", .videoEncoder = "mpeg2video", .soundEncoder = "mp2", .bFrames = 2,
                      .fileStart = kWrap - 1.75, .sound = {TimelineSound{.sampleRate = 48000}}};
}

TimelineClip RotatedPhoneMp4() {
  return TimelineClip{.muxer = "mp4", .width = 320, .height = 180, .fps = 30, .seconds = 2.0,
                      .scene = TimelineScene::Corners, .rotation = 90};
}

TimelineClip WidescreenPalClip() {
  return TimelineClip{.muxer = "mpeg", .videoEncoder = "mpeg2video", .soundEncoder = "mp2",
                      .width = 720, .height = 576, .seconds = 1.0, .sound = {TimelineSound{.sampleRate = 48000}},
                      .aspectNum = 64, .aspectDen = 45};
}

TimelineClip TwoSoundTracks() {
  return TimelineClip{.sound = {TimelineSound{.toneHz = 440, .sampleRate = 22050, .channels = 1},
                                TimelineSound{.toneHz = 1000, .sampleRate = 44100, .channels = 2,
                                              .markedDefault = true}}};
}

TimelineClip OnePictureWithSound() {
  return TimelineClip{.muxer = "mp4", .pictures = 1, .seconds = 2.0};
}

}  // namespace zq48::testing
