#include "support/movie_test_media.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include "sources/ffmpeg_handles.h"

namespace zq48::testing {
namespace {

// Brightness of picture i: kFirstLevel + kLevelStep × (i mod kLevels), plus
// kStripe on a quarter of the pixels outside the corner block.
constexpr int kFirstLevel = 16;
constexpr int kLevelStep = 5;
constexpr int kLevels = 36;
constexpr int kStripe = 20;

int Check(int err, const std::string& what) {
  if (err < 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    throw std::runtime_error("movie test media: " + what + ": " + text);
  }
  return err;
}

template <typename T>
T* NotNull(T* p, const std::string& what) {
  if (p == nullptr) throw std::runtime_error("movie test media: " + what);
  return p;
}

struct OutputCloser {
  void operator()(AVFormatContext* out) const {
    if (out->pb != nullptr) avio_closep(&out->pb);
    avformat_free_context(out);
  }
};
using OutputPtr = std::unique_ptr<AVFormatContext, OutputCloser>;

// One encoder feeding one stream of the movie; frames carry their own pts.
class Encoder {
 public:
  Encoder(AVFormatContext* out, const std::string& name) : out_(out) {
    codec_ = NotNull(avcodec_find_encoder_by_name(name.c_str()), "no encoder " + name);
    ctx_.reset(NotNull(avcodec_alloc_context3(codec_), "encoder context"));
    stream_ = NotNull(avformat_new_stream(out, nullptr), "new stream");
    frame_.reset(NotNull(av_frame_alloc(), "frame"));
    packet_.reset(NotNull(av_packet_alloc(), "packet"));
  }
  void Open() {
    ctx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(ctx_.get(), codec_, nullptr), std::string("open ") + codec_->name);
    Check(avcodec_parameters_from_context(stream_->codecpar, ctx_.get()), "parameters");
    stream_->time_base = ctx_->time_base;
  }
  void Send(AVFrame* frame) {
    Check(avcodec_send_frame(ctx_.get(), frame), "encode");
    while (avcodec_receive_packet(ctx_.get(), packet_.get()) == 0) {
      // Every picture lasts one frame, the last one too, so no edit list cuts it short.
      if (packet_->duration == 0 && ctx_->codec_type == AVMEDIA_TYPE_VIDEO) packet_->duration = 1;
      av_packet_rescale_ts(packet_.get(), ctx_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      Check(av_interleaved_write_frame(out_, packet_.get()), "write packet");
    }
  }
  // Time of the next frame in seconds, to interleave the tracks.
  double NextSeconds() const { return static_cast<double>(nextPts_) * av_q2d(ctx_->time_base); }
  bool Done() const { return nextPts_ >= endPts_; }

  AVCodecContext* ctx() { return ctx_.get(); }
  AVStream* stream() { return stream_; }
  AVFrame* frame() { return frame_.get(); }

 protected:
  std::int64_t nextPts_ = 0;
  std::int64_t endPts_ = 0;

 private:
  AVFormatContext* out_;
  const AVCodec* codec_;
  ff::CodecContextPtr ctx_;
  AVStream* stream_;
  ff::FramePtr frame_;
  ff::PacketPtr packet_;
};

// Pictures whose brightness says which picture they are (see
// MoviePictureIndex), with moving diagonal stripes so that B-frames have
// motion to code, and a white block in the top left corner that shows
// which way the picture is turned.
class Pictures : public Encoder {
 public:
  Pictures(AVFormatContext* out, const MovieSpec& shape) : Encoder(out, "mpeg4") {
    ctx()->width = shape.width;
    ctx()->height = shape.height;
    ctx()->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx()->time_base = AVRational{1, shape.fps};
    ctx()->framerate = AVRational{shape.fps, 1};
    ctx()->gop_size = 12;
    ctx()->max_b_frames = shape.bFrames;
    ctx()->bit_rate = 400'000;
    if (shape.aspectNum > 0) ctx()->sample_aspect_ratio = AVRational{shape.aspectNum, shape.aspectDen};
    Open();
    if (shape.aspectNum > 0) stream()->sample_aspect_ratio = ctx()->sample_aspect_ratio;
    if (shape.matrix) {
      auto* side = reinterpret_cast<std::int32_t*>(NotNull(
          av_stream_new_side_data(stream(), AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t)),
          "display matrix"));
      std::memcpy(side, shape.matrix->data(), 9 * sizeof(std::int32_t));
    }
    nextPts_ = -shape.hiddenPictures;
    endPts_ = std::llround(shape.seconds * shape.fps);
    frame()->format = AV_PIX_FMT_YUV420P;
    frame()->width = shape.width;
    frame()->height = shape.height;
    Check(av_frame_get_buffer(frame(), 0), "picture buffer");
  }
  void EncodeNext() {
    AVFrame* f = frame();
    Check(av_frame_make_writable(f), "writable picture");
    const int index = static_cast<int>(nextPts_);
    const int level = kFirstLevel + kLevelStep * (((index % kLevels) + kLevels) % kLevels);
    for (int y = 0; y < f->height; ++y)
      for (int x = 0; x < f->width; ++x) {
        const bool corner = x < f->width / 4 && y < f->height / 4;
        const bool stripe = (x + y + index * 2 + 64) % 16 < 4;
        f->data[0][y * f->linesize[0] + x] =
            static_cast<std::uint8_t>(corner ? 235 : level + (stripe ? kStripe : 0));
      }
    for (int p = 1; p < 3; ++p)
      for (int y = 0; y < f->height / 2; ++y) std::memset(f->data[p] + y * f->linesize[p], 128, f->width / 2);
    f->pts = nextPts_++;
    Send(f);
  }
};

// A 440 Hz tone, a fifth higher on every other channel.
class Sound : public Encoder {
 public:
  Sound(AVFormatContext* out, const MovieSpec& shape) : Encoder(out, shape.sound) {
    ctx()->sample_fmt = NotNull(avcodec_find_encoder_by_name(shape.sound.c_str())->sample_fmts,
                                "encoder lists no sample format")[0];
    ctx()->sample_rate = shape.sampleRate;
    av_channel_layout_default(&ctx()->ch_layout, shape.channels);
    ctx()->time_base = AVRational{1, shape.sampleRate};
    ctx()->bit_rate = 64'000;
    Open();
    endPts_ = std::llround(shape.seconds * shape.sampleRate);
    block_ = ctx()->frame_size > 0 ? ctx()->frame_size : 1024;
    AVFrame* f = frame();
    f->format = ctx()->sample_fmt;
    f->sample_rate = shape.sampleRate;
    f->nb_samples = block_;
    Check(av_channel_layout_copy(&f->ch_layout, &ctx()->ch_layout), "layout");
    Check(av_frame_get_buffer(f, 0), "sound buffer");
  }
  void EncodeNext() {
    AVFrame* f = frame();
    Check(av_frame_make_writable(f), "writable sound");
    const int channels = ctx()->ch_layout.nb_channels;
    const bool planar = av_sample_fmt_is_planar(ctx()->sample_fmt);
    const AVSampleFormat packed = av_get_packed_sample_fmt(ctx()->sample_fmt);
    if (packed != AV_SAMPLE_FMT_S16 && packed != AV_SAMPLE_FMT_U8)
      throw std::runtime_error("movie test media: sound encoder takes neither 8- nor 16-bit samples");
    for (int c = 0; c < channels; ++c) {
      const double hz = c % 2 == 0 ? 440.0 : 660.0;
      std::uint8_t* base = f->extended_data[planar ? c : 0];
      for (int i = 0; i < block_; ++i) {
        const double t = static_cast<double>(nextPts_ + i) / ctx()->sample_rate;
        const long value = std::lround(9000 * std::sin(2 * std::numbers::pi * hz * t));
        const int slot = planar ? i : i * channels + c;
        if (packed == AV_SAMPLE_FMT_U8)
          base[slot] = static_cast<std::uint8_t>(128 + value / 256);
        else
          reinterpret_cast<std::int16_t*>(base)[slot] = static_cast<std::int16_t>(value);
      }
    }
    f->pts = nextPts_;
    nextPts_ += block_;
    Send(f);
  }

 private:
  int block_ = 0;
};

}  // namespace

void RenameLeadingFtyp(const std::string& path) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  char type[4] = {};
  file.seekg(4);
  file.read(type, 4);
  if (std::memcmp(type, "ftyp", 4) != 0) return;
  file.seekp(4);
  file.write("free", 4);
}

int MoviePictureIndex(const std::uint8_t* bgr, int width, int height) {
  // The middle of the picture never holds the corner block, however the
  // picture was turned; its mean luma is the level + kStripe / 4.
  // Studio-range luma reads as 1.164 × (Y − 16) in BGR.
  double sum = 0;
  int count = 0;
  for (int y = height / 4; y < height - height / 4; ++y)
    for (int x = width / 4; x < width - width / 4; ++x, ++count) sum += bgr[(y * width + x) * 3 + 1];
  const double luma = sum / count / 1.164 + 16 - kStripe / 4.0;
  return static_cast<int>(std::lround((luma - kFirstLevel) / kLevelStep));
}

DisplayMatrix TurnMatrix(int degrees) {
  // A point (x, y) is shown at (a x + c y, b x + d y), rows counted downwards.
  const double r = degrees * std::numbers::pi / 180;
  const auto fixed = [](double v) { return static_cast<std::int32_t>(std::lround(v * 65536)); };
  return {fixed(std::cos(r)), fixed(std::sin(r)), 0, fixed(-std::sin(r)), fixed(std::cos(r)), 0,
          0, 0, 1 << 30};
}

DisplayMatrix ScaleMatrix(double sx, double sy) {
  DisplayMatrix m{};
  m[0] = static_cast<std::int32_t>(std::lround(sx * 65536));
  m[4] = static_cast<std::int32_t>(std::lround(sy * 65536));
  m[8] = 1 << 30;
  return m;
}

void WriteMovieFile(const std::string& path, const MovieSpec& shape) {
  AVFormatContext* raw = nullptr;
  Check(avformat_alloc_output_context2(&raw, nullptr, "mov", path.c_str()), "mov muxer");
  OutputPtr out(raw);
  std::unique_ptr<Pictures> video;
  std::unique_ptr<Sound> sound;
  if (shape.video) video = std::make_unique<Pictures>(out.get(), shape);
  if (!shape.sound.empty()) sound = std::make_unique<Sound>(out.get(), shape);
  Check(avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE), "create " + path);
  Check(avformat_write_header(out.get(), nullptr), "movie header");
  for (;;) {
    const bool pictures = video && !video->Done();
    const bool tone = sound && !sound->Done();
    if (!pictures && !tone) break;
    if (pictures && (!tone || video->NextSeconds() <= sound->NextSeconds()))
      video->EncodeNext();
    else
      sound->EncodeNext();
  }
  if (video) video->Send(nullptr);
  if (sound) sound->Send(nullptr);
  Check(av_write_trailer(out.get()), "finish " + path);
  out.reset();
  RenameLeadingFtyp(path);
}

}  // namespace zq48::testing
