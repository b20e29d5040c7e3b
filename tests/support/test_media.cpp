#include "support/test_media.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <random>
#include <stdexcept>
#include <system_error>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
}

#include "sources/ffmpeg_handles.h"

namespace zq48::testing {
namespace {

// ---------------------------------------------------------------------------
// Errors and handles

std::string AvError(int err) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, text, sizeof text);
  return text;
}

int Check(int err, const std::string& what) {
  if (err < 0) throw std::runtime_error("test media: " + what + ": " + AvError(err));
  return err;
}

template <typename T>
T* NotNull(T* p, const std::string& what) {
  if (p == nullptr) throw std::runtime_error("test media: " + what);
  return p;
}

struct OutputCloser {
  void operator()(AVFormatContext* out) const {
    if (out->pb != nullptr && !(out->oformat->flags & AVFMT_NOFILE)) avio_closep(&out->pb);
    avformat_free_context(out);
  }
};
using OutputPtr = std::unique_ptr<AVFormatContext, OutputCloser>;
using ff::CodecContextPtr;
using ff::FramePtr;
using ff::PacketPtr;

// Owns the options dictionary handed to avformat_write_header().
class Options {
 public:
  explicit Options(const char* text) {
    if (text != nullptr)
      Check(av_dict_parse_string(&dict_, text, "=", ":", 0), "bad muxer options");
  }
  ~Options() { av_dict_free(&dict_); }
  Options(const Options&) = delete;
  Options& operator=(const Options&) = delete;
  AVDictionary** get() { return &dict_; }

 private:
  AVDictionary* dict_ = nullptr;
};

// ---------------------------------------------------------------------------
// Tracks: one encoder feeding one stream of the output file.

constexpr int64_t kVideoBitRate = 300'000;
constexpr int64_t kAudioBitRate = 64'000;
constexpr int kGopSize = 12;
constexpr int kPcmFrameSamples = 1024;  // block size for encoders that take any size

class Track {
 public:
  Track(AVFormatContext* out, const char* encoderName) : out_(out) {
    codec_ = NotNull(avcodec_find_encoder_by_name(encoderName),
                     std::string("no encoder named ") + encoderName);
    ctx_.reset(NotNull(avcodec_alloc_context3(codec_), "cannot allocate encoder"));
    stream_ = NotNull(avformat_new_stream(out, nullptr), "cannot add stream");
    frame_.reset(NotNull(av_frame_alloc(), "cannot allocate frame"));
    packet_.reset(NotNull(av_packet_alloc(), "cannot allocate packet"));
  }
  virtual ~Track() = default;
  Track(const Track&) = delete;
  Track& operator=(const Track&) = delete;

  bool Done() const { return nextPts_ >= endPts_; }
  // Compares the start times of the next frames of two tracks.
  bool Before(const Track& other) const {
    return av_compare_ts(nextPts_, ctx_->time_base, other.nextPts_, other.ctx_->time_base) <= 0;
  }

  // Makes, encodes and muxes the next picture or block of sound.
  void EncodeNext() {
    Check(av_frame_make_writable(frame_.get()), "frame not writable");
    frame_->pts = nextPts_;
    nextPts_ += Fill(*frame_);
    Send(frame_.get());
  }
  // Drains the packets the encoder still holds.
  void Flush() { Send(nullptr); }

 protected:
  // Opens the encoder once the subclass has set it up and copies its
  // parameters to the stream.
  void Open(int64_t endPts) {
    if (out_->oformat->flags & AVFMT_GLOBALHEADER) ctx_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(ctx_.get(), codec_, nullptr),
          std::string("cannot open encoder ") + codec_->name);
    Check(avcodec_parameters_from_context(stream_->codecpar, ctx_.get()),
          "cannot copy encoder parameters");
    // Stream-level side data such as the VBV buffer size, which the MPEG
    // program stream muxer sizes its buffers from.
    for (int i = 0; i < ctx_->nb_coded_side_data; ++i) {
      const AVPacketSideData& side = ctx_->coded_side_data[i];
      uint8_t* copy =
          NotNull(av_stream_new_side_data(stream_, side.type, side.size), "cannot add side data");
      std::memcpy(copy, side.data, side.size);
    }
    stream_->time_base = ctx_->time_base;
    endPts_ = endPts;
  }
  // Fills the frame for timestamp frame.pts; returns how far it advances pts.
  virtual int64_t Fill(AVFrame& frame) = 0;
  int64_t EndPts() const { return endPts_; }

  const AVCodec* codec_ = nullptr;
  CodecContextPtr ctx_;
  FramePtr frame_;

 private:
  void Send(const AVFrame* frame) {
    Check(avcodec_send_frame(ctx_.get(), frame), std::string("cannot encode with ") + codec_->name);
    for (;;) {
      const int err = avcodec_receive_packet(ctx_.get(), packet_.get());
      if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
      Check(err, std::string("encoder failed: ") + codec_->name);
      // Every picture lasts one frame; without a duration the movie muxer's
      // edit list would end before the last picture and hide it.
      if (packet_->duration == 0 && ctx_->codec_type == AVMEDIA_TYPE_VIDEO) packet_->duration = 1;
      av_packet_rescale_ts(packet_.get(), ctx_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      Check(av_interleaved_write_frame(out_, packet_.get()), "cannot write packet");
    }
  }

  AVFormatContext* out_;
  AVStream* stream_ = nullptr;
  PacketPtr packet_;
  int64_t nextPts_ = 0;
  int64_t endPts_ = 0;
};

// Pictures: diagonal luma bands and chroma ramps that drift with the frame
// index, so successive frames differ and motion search has work to do.
class VideoTrack final : public Track {
 public:
  VideoTrack(AVFormatContext* out, const char* encoderName, const ClipSpec& clip)
      : Track(out, encoderName) {
    ctx_->width = clip.width;
    ctx_->height = clip.height;
    ctx_->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx_->time_base = AVRational{clip.fpsDen, clip.fpsNum};
    ctx_->framerate = AVRational{clip.fpsNum, clip.fpsDen};
    ctx_->bit_rate = kVideoBitRate;
    ctx_->gop_size = kGopSize;
    // A declared decoder buffer, so the MPEG program stream muxer need not guess.
    ctx_->rc_max_rate = 2 * kVideoBitRate;
    ctx_->rc_buffer_size = static_cast<int>(kVideoBitRate);
    ctx_->max_b_frames = 0;
    // MPEG-1 video only takes 15 fps and other low rates at this level.
    ctx_->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    Open(std::llround(clip.seconds * clip.fpsNum / clip.fpsDen));

    frame_->format = ctx_->pix_fmt;
    frame_->width = ctx_->width;
    frame_->height = ctx_->height;
    Check(av_frame_get_buffer(frame_.get(), 0), "cannot allocate picture");
  }

 private:
  int64_t Fill(AVFrame& frame) override {
    const int shift = static_cast<int>(frame.pts * 3);
    for (int y = 0; y < frame.height; ++y) {
      uint8_t* row = frame.data[0] + static_cast<std::ptrdiff_t>(y) * frame.linesize[0];
      for (int x = 0; x < frame.width; ++x)
        row[x] = static_cast<uint8_t>((x + y * 2 + shift) & 0xff);
    }
    for (int y = 0; y < frame.height / 2; ++y) {
      uint8_t* u = frame.data[1] + static_cast<std::ptrdiff_t>(y) * frame.linesize[1];
      uint8_t* v = frame.data[2] + static_cast<std::ptrdiff_t>(y) * frame.linesize[2];
      for (int x = 0; x < frame.width / 2; ++x) {
        u[x] = static_cast<uint8_t>(64 + ((x * 4 + shift) & 0x7f));
        v[x] = static_cast<uint8_t>(64 + ((y * 4 + shift) & 0x7f));
      }
    }
    return 1;
  }
};

// Sound: a 440 Hz tone, a fifth higher on every other channel.
class AudioTrack final : public Track {
 public:
  AudioTrack(AVFormatContext* out, const char* encoderName, const ClipSpec& clip)
      : Track(out, encoderName) {
    ctx_->sample_fmt = NotNull(codec_->sample_fmts, "encoder lists no sample format")[0];
    ctx_->sample_rate = clip.sampleRate;
    av_channel_layout_default(&ctx_->ch_layout, clip.channels);
    ctx_->time_base = AVRational{1, clip.sampleRate};
    ctx_->bit_rate = kAudioBitRate;
    Open(std::llround(clip.seconds * clip.sampleRate));

    // Encoders with a fixed frame size get exactly that; the last frame is
    // padded with silence unless the encoder accepts a short one.
    const bool anySize =
        (codec_->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || ctx_->frame_size == 0;
    blockSamples_ = anySize ? kPcmFrameSamples : ctx_->frame_size;
    shortLastBlock_ = anySize || (codec_->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);

    frame_->format = ctx_->sample_fmt;
    frame_->sample_rate = ctx_->sample_rate;
    frame_->nb_samples = blockSamples_;
    Check(av_channel_layout_copy(&frame_->ch_layout, &ctx_->ch_layout),
          "cannot copy channel layout");
    Check(av_frame_get_buffer(frame_.get(), 0), "cannot allocate sound buffer");
  }

 private:
  int64_t Fill(AVFrame& frame) override {
    const int64_t left = EndPts() - frame.pts;
    const int tone = static_cast<int>(std::min<int64_t>(left, blockSamples_));
    frame.nb_samples = shortLastBlock_ ? tone : blockSamples_;
    const int channels = ctx_->ch_layout.nb_channels;
    for (int c = 0; c < channels; ++c) {
      const double hz = (c % 2 == 0) ? 440.0 : 660.0;
      for (int i = 0; i < frame.nb_samples; ++i) {
        const double t = static_cast<double>(frame.pts + i) / ctx_->sample_rate;
        const double value = i < tone ? 0.3 * std::sin(2 * std::numbers::pi * hz * t) : 0.0;
        Store(frame, c, i, value);
      }
    }
    return frame.nb_samples;
  }

  void Store(AVFrame& frame, int channel, int index, double value) const {
    const bool planar = av_sample_fmt_is_planar(ctx_->sample_fmt);
    const int channels = ctx_->ch_layout.nb_channels;
    uint8_t* base = frame.extended_data[planar ? channel : 0];
    const int slot = planar ? index : index * channels + channel;
    switch (av_get_packed_sample_fmt(ctx_->sample_fmt)) {
      case AV_SAMPLE_FMT_S16:
        reinterpret_cast<int16_t*>(base)[slot] = static_cast<int16_t>(std::lround(value * 32767));
        break;
      case AV_SAMPLE_FMT_FLT:
        reinterpret_cast<float*>(base)[slot] = static_cast<float>(value);
        break;
      default:
        throw std::runtime_error(std::string("test media: unsupported sample format ") +
                                 av_get_sample_fmt_name(ctx_->sample_fmt));
    }
  }

  int blockSamples_ = 0;
  bool shortLastBlock_ = false;
};

// ---------------------------------------------------------------------------
// The writer every format shares.

struct Recipe {
  const char* muxer;
  const char* videoEncoder;  // nullptr: the format carries no pictures
  const char* audioEncoder;
  const char* muxerOptions = nullptr;  // "key=value:key=value"
};

void WriteClip(const std::string& path, const ClipSpec& clip, const Recipe& recipe) {
  if (!(clip.seconds > 0)) throw std::invalid_argument("test media: clip length must be positive");
  AVFormatContext* raw = nullptr;
  Check(avformat_alloc_output_context2(&raw, nullptr, recipe.muxer, path.c_str()),
        std::string("no muxer named ") + recipe.muxer);
  OutputPtr out(raw);

  std::unique_ptr<Track> video;
  std::unique_ptr<Track> audio;
  if (clip.video && recipe.videoEncoder != nullptr)
    video = std::make_unique<VideoTrack>(out.get(), recipe.videoEncoder, clip);
  if (clip.audio) audio = std::make_unique<AudioTrack>(out.get(), recipe.audioEncoder, clip);
  if (!video && !audio)
    throw std::invalid_argument("test media: clip for " + path + " has no streams");

  Check(avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE), "cannot create " + path);
  Options options(recipe.muxerOptions);
  Check(avformat_write_header(out.get(), options.get()), "cannot write header of " + path);
  if (av_dict_count(*options.get()) > 0)
    throw std::runtime_error(std::string("test media: ") + recipe.muxer + " ignored its options");

  // Feed the muxer in time order so it never has to buffer much.
  Track* const tracks[] = {video.get(), audio.get()};
  for (;;) {
    Track* next = nullptr;
    for (Track* track : tracks) {
      if (track != nullptr && !track->Done() && (next == nullptr || track->Before(*next)))
        next = track;
    }
    if (next == nullptr) break;
    next->EncodeNext();
  }
  for (Track* track : tracks) {
    if (track != nullptr) track->Flush();
  }
  Check(av_write_trailer(out.get()), "cannot finish " + path);
}

// ---------------------------------------------------------------------------
// Whole-file helpers

using Bytes = std::vector<char>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("test media: cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const char* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw std::runtime_error("test media: cannot write " + path);
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  WriteAll(path, bytes.data(), bytes.size());
}

// ---------------------------------------------------------------------------
// Movie atom surgery

uint64_t ReadBig(const Bytes& b, std::size_t at, int width) {
  uint64_t value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | static_cast<uint8_t>(b[at + i]);
  return value;
}

void WriteBig(Bytes& b, std::size_t at, int width, uint64_t value) {
  for (int i = width - 1; i >= 0; --i, value >>= 8) b[at + i] = static_cast<char>(value & 0xff);
}

struct Atom {
  std::size_t offset;
  std::size_t header;  // 8, or 16 with a 64-bit size
  std::size_t size;    // header included
  std::string type;
  std::size_t body() const { return offset + header; }
  std::size_t end() const { return offset + size; }
};

// The atoms laid end to end in [begin, end).
std::vector<Atom> Atoms(const Bytes& b, std::size_t begin, std::size_t end) {
  std::vector<Atom> atoms;
  for (std::size_t at = begin; at + 8 <= end;) {
    Atom atom{at, 8, ReadBig(b, at, 4), std::string(&b[at + 4], 4)};
    if (atom.size == 1 && at + 16 <= end) {
      atom.header = 16;
      atom.size = ReadBig(b, at + 8, 8);
    } else if (atom.size == 0) {
      atom.size = end - at;  // runs to the end of its parent
    }
    if (atom.size < atom.header || atom.size > end - at)
      throw std::runtime_error("test media: malformed atom '" + atom.type + "'");
    atoms.push_back(atom);
    at += atom.size;
  }
  return atoms;
}

// Subtracts `removed` from every chunk offset (stco/co64) under `parent`,
// for when that many bytes go from in front of the sample data.
void ShiftChunkOffsets(Bytes& b, const Atom& parent, uint64_t removed) {
  for (const Atom& atom : Atoms(b, parent.body(), parent.end())) {
    if (atom.type == "trak" || atom.type == "mdia" || atom.type == "minf" || atom.type == "stbl") {
      ShiftChunkOffsets(b, atom, removed);
      continue;
    }
    const int width = atom.type == "stco" ? 4 : atom.type == "co64" ? 8 : 0;
    if (width == 0) continue;
    const std::size_t count = ReadBig(b, atom.body() + 4, 4);
    const std::size_t first = atom.body() + 8;
    if (first + count * width > atom.end())
      throw std::runtime_error("test media: malformed " + atom.type);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = first + i * width;
      WriteBig(b, at, width, ReadBig(b, at, width) - removed);
    }
  }
}

// Cuts every top-level atom in front of the first `type` atom.
void DropAtomsBefore(Bytes& b, const std::string& type) {
  const std::vector<Atom> top = Atoms(b, 0, b.size());
  const auto target =
      std::find_if(top.begin(), top.end(), [&](const Atom& a) { return a.type == type; });
  if (target == top.end()) throw std::runtime_error("test media: movie has no '" + type + "' atom");
  const std::size_t removed = target->offset;
  for (const Atom& atom : top) {
    if (atom.type == "moov") ShiftChunkOffsets(b, atom, removed);
  }
  b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(removed));
}

// Turns the leading ftyp into an atom of another type and the same size, so
// nothing behind it moves. Free-space atoms get an empty body; a preview atom
// gets a header pointing at picture 1 (modification date 0, version 0).
void ReplaceLeadingFtyp(Bytes& b, const std::string& type) {
  const std::vector<Atom> top = Atoms(b, 0, b.size());
  if (top.empty() || top.front().type != "ftyp")
    throw std::runtime_error("test media: movie does not start with 'ftyp'");
  const Atom& ftyp = top.front();
  std::memcpy(&b[ftyp.offset + 4], type.data(), 4);
  std::fill(b.begin() + static_cast<std::ptrdiff_t>(ftyp.body()),
            b.begin() + static_cast<std::ptrdiff_t>(ftyp.end()), '\0');
  if (type == "pnot" && ftyp.size - ftyp.header >= 12) {
    std::memcpy(&b[ftyp.body() + 6], "PICT", 4);
    WriteBig(b, ftyp.body() + 10, 2, 1);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Public writers

void WriteAvi(const std::string& path, const ClipSpec& clip) {
  WriteClip(path, clip, {"avi", "mpeg4", "pcm_s16le"});
}

void WriteMpegPs(const std::string& path, const ClipSpec& clip) {
  WriteClip(path, clip, {"mpeg", "mpeg1video", "mp2"});
}

void WriteMp4(const std::string& path, const ClipSpec& clip) {
  WriteClip(path, clip, {"mp4", "mpeg4", "aac"});
}

void WriteMovie(const std::string& path, const ClipSpec& clip, const std::string& firstAtom) {
  const bool moovFirst = firstAtom == "moov";
  const bool renamed =
      firstAtom == "free" || firstAtom == "wide" || firstAtom == "skip" || firstAtom == "pnot";
  if (!moovFirst && !renamed && firstAtom != "mdat")
    throw std::invalid_argument("test media: cannot make a movie starting with '" + firstAtom +
                                "'");

  // The mov muxer lays out ftyp, wide, mdat, moov; with faststart it puts
  // moov right after ftyp instead.
  WriteClip(path, clip, {"mov", "mpeg4", "pcm_s16be", moovFirst ? "movflags=+faststart" : nullptr});
  Bytes bytes = ReadAll(path);
  if (renamed) {
    ReplaceLeadingFtyp(bytes, firstAtom);
  } else {
    DropAtomsBefore(bytes, firstAtom);
  }
  WriteAll(path, bytes);
}

void WriteWav(const std::string& path, const ClipSpec& clip) {
  if (!clip.audio) throw std::invalid_argument("test media: a WAV file needs audio");
  WriteClip(path, clip, {"wav", nullptr, "pcm_s16le"});
}

void WriteZeroByte(const std::string& path) { WriteAll(path, nullptr, 0); }

void WriteGarbage(const std::string& path, std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);  // the standard fixes its output sequence
  Bytes bytes(size);
  for (char& byte : bytes) byte = static_cast<char>(random() >> 24);
  WriteAll(path, bytes);
}

void WriteTruncated(const std::string& source, const std::string& path, std::size_t keep) {
  const Bytes bytes = ReadAll(source);
  if (keep > bytes.size())
    throw std::invalid_argument("test media: " + source + " is shorter than " +
                                std::to_string(keep) + " bytes");
  WriteAll(path, bytes.data(), keep);
}

std::string FirstAtomType(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("test media: cannot read " + path);
  char type[4] = {};
  in.seekg(4);
  in.read(type, sizeof type);
  return std::string(type, static_cast<std::size_t>(in.gcount()));
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zq48-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::system_error(errno, std::generic_category(),
                            "test media: cannot create a folder like " + pattern);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const { return path_ + "/" + name; }

}  // namespace zq48::testing
