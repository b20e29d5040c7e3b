#pragma once

// Packages for the player's tests, and what FFmpeg makes of their streams:
// packages encoded by zq48enc from test clips, or put together by hand from
// the engine's own codecs where the ladder never goes (odd picture sizes,
// stereo sound at 22 050 and 44 100 Hz), and the player archive run on them.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include <sys/wait.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/motion_vector.h>
}

#include <cstdarg>
#include <cstring>

#include "audio/lame_codec.h"
#include "container/stream_headers.h"
#include "support/elementary_decoder.h"
#include "video/xvid_encoder.h"

namespace zq48::testing {

using Bytes = std::vector<std::uint8_t>;

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One shell word, whatever the text holds (test files may have hostile names).
inline std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a shell command; its standard error goes through errFile.
inline CommandResult RunCommand(const std::string& command, const std::string& errFile) {
  CommandResult result;
  std::string full = "(" + command + ") 2>'" + errFile + "' </dev/null";
  FILE* pipe = popen(full.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  Bytes err = ReadBytes(errFile);
  result.err.assign(err.begin(), err.end());
  return result;
}

inline std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

inline void PutU32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The rates of a metafile: pair i is (video[i], audio[i]); a missing one is 0.
struct VariantRates {
  std::uint32_t video = 0;
  std::uint32_t audio = 0;
  std::uint64_t total() const { return std::uint64_t{video} + audio; }
};

inline std::vector<VariantRates> ReadMetafile(const std::string& path) {
  Bytes meta = ReadBytes(path);
  std::vector<VariantRates> pairs;
  if (meta.size() < 8) return pairs;
  std::uint32_t nv = U32At(meta, 0), na = U32At(meta, 4);
  if (meta.size() != 8 + 4 * (std::size_t{nv} + na)) return pairs;
  pairs.resize(std::max(nv, na));
  for (std::uint32_t i = 0; i < nv; ++i) pairs[i].video = U32At(meta, 8 + 4 * i);
  for (std::uint32_t i = 0; i < na; ++i) pairs[i].audio = U32At(meta, 8 + 4 * (nv + i));
  return pairs;
}

inline std::string VideoStreamName(const std::string& base, std::uint32_t rate) {
  return base + "_" + std::to_string(rate) + "bps.video.zq48";
}

inline std::string AudioStreamName(const std::string& base, std::uint32_t rate) {
  return base + "_" + std::to_string(rate) + "bps.audio.zq48";
}

// The elementary stream of a stream file: as many bytes after the headers as the header says.
inline Bytes StreamPayload(const std::string& path, std::size_t headerBytes) {
  Bytes file = ReadBytes(path);
  if (file.size() < headerBytes) return {};
  std::size_t size = std::min<std::size_t>(U32At(file, 8), file.size() - headerBytes);
  return Bytes(file.begin() + headerBytes, file.begin() + headerBytes + size);
}

// A package put together by hand: one variant, BASE.meta.zq48 and its streams.
struct HandMadeVideo {
  int width = 160;
  int height = 120;
  double fps = 15;
  int frames = 30;
  int bitRate = 400000;
};

struct HandMadeAudio {
  int sampleRate = 22050;
  int channels = 2;
  int kbps = 64;
  double seconds = 2.0;
};

// A moving colour gradient with a bright square crossing it: packed BGR, bottom-up rows.
inline Bytes TestPicture(int width, int height, int t) {
  Bytes bgr(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(height - 1 - y) * width + x) * 3];
      bool square = std::abs(x - (t * 3) % width) < width / 8 && std::abs(y - height / 2) < height / 6;
      p[0] = square ? 240 : static_cast<std::uint8_t>(x * 2 + t * 3);
      p[1] = square ? 240 : static_cast<std::uint8_t>(y * 3 + t);
      p[2] = square ? 240 : static_cast<std::uint8_t>((x + y) / 2 + t * 4);
    }
  }
  return bgr;
}

// Xvid takes even sizes only; FFmpeg's own MPEG-4 encoder (no B-pictures) makes the odd ones.
inline Bytes LavcMpeg4Stream(const HandMadeVideo& v) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  ctx->width = v.width;
  ctx->height = v.height;
  ctx->pix_fmt = AV_PIX_FMT_YUV420P;
  ctx->time_base = AVRational{1, static_cast<int>(v.fps)};
  ctx->framerate = AVRational{static_cast<int>(v.fps), 1};
  ctx->bit_rate = v.bitRate;
  ctx->gop_size = static_cast<int>(v.fps) * 10;
  ctx->max_b_frames = 0;
  ctx->thread_count = 1;
  Bytes stream;
  if (avcodec_open2(ctx, codec, nullptr) < 0) {
    ADD_FAILURE() << "FFmpeg's MPEG-4 encoder refused " << v.width << "x" << v.height;
    avcodec_free_context(&ctx);
    return stream;
  }
  AVFrame* frame = av_frame_alloc();
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = v.width;
  frame->height = v.height;
  av_frame_get_buffer(frame, 0);
  AVPacket* packet = av_packet_alloc();
  auto drain = [&] {
    while (avcodec_receive_packet(ctx, packet) == 0) {
      stream.insert(stream.end(), packet->data, packet->data + packet->size);
      av_packet_unref(packet);
    }
  };
  for (int i = 0; i < v.frames; ++i) {
    av_frame_make_writable(frame);
    Bytes bgr = TestPicture(v.width, v.height, i);
    for (int y = 0; y < v.height; ++y) {
      for (int x = 0; x < v.width; ++x) {
        const std::uint8_t* p = &bgr[(static_cast<std::size_t>(v.height - 1 - y) * v.width + x) * 3];
        int b = p[0], g = p[1], r = p[2];
        frame->data[0][y * frame->linesize[0] + x] = static_cast<std::uint8_t>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
        if (x % 2 == 0 && y % 2 == 0) {
          frame->data[1][y / 2 * frame->linesize[1] + x / 2] =
              static_cast<std::uint8_t>(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
          frame->data[2][y / 2 * frame->linesize[2] + x / 2] =
              static_cast<std::uint8_t>(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
        }
      }
    }
    frame->pts = i;
    avcodec_send_frame(ctx, frame);
    drain();
  }
  avcodec_send_frame(ctx, nullptr);
  drain();
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&ctx);
  return stream;
}

inline Bytes HandMadeVideoStream(const HandMadeVideo& v) {
  if (v.width % 2 || v.height % 2) return LavcMpeg4Stream(v);
  TimeBase base = CodecTimeBase(static_cast<float>(v.fps));
  XvidSettings settings;
  settings.width = v.width;
  settings.height = v.height;
  settings.frameIncrement = base.frameIncrement;
  settings.timeBase = base.timeBase;
  settings.bitRate = v.bitRate;
  settings.maxKeyInterval = static_cast<int>(v.fps) * 10;
  int result = 0;
  auto encoder = XvidEncoder::Create(settings, &result);
  if (!encoder) ADD_FAILURE() << "xvid refused the settings: " << result;
  Bytes stream;
  Bytes out(static_cast<std::size_t>(v.width) * v.height * 4 + 65536);
  for (int i = 0; encoder && i < v.frames; ++i) {
    Bytes picture = TestPicture(v.width, v.height, i);
    int n = encoder->Encode(picture.data(), out.data(), static_cast<int>(out.size()));
    if (n > 0) stream.insert(stream.end(), out.begin(), out.begin() + n);
  }
  return stream;
}

// Two tones, one per channel, so that swapped or mixed channels show.
inline Bytes HandMadeAudioStream(const HandMadeAudio& a) {
  Mp3CodecSetup setup;
  setup.settings.bitRateKbps = a.kbps;
  setup.settings.mode = a.channels == 2 ? Mp3ChannelMode::Stereo : Mp3ChannelMode::Mono;
  setup.settings.outSampleRate = a.sampleRate;
  setup.settings.quality = 2;
  setup.inputChannels = a.channels;
  setup.inputSampleRate = a.sampleRate;
  auto codec = OpenLameCodec(setup);
  if (!codec) {
    ADD_FAILURE() << "LAME refused " << a.sampleRate << " Hz " << a.kbps << " kbps";
    return {};
  }
  const int total = static_cast<int>(a.seconds * a.sampleRate);
  const int block = codec->FrameSize();
  std::vector<int> left(block), right(block);
  Bytes stream;
  Bytes out(1 << 16);
  for (int at = 0; at < total; at += block) {
    int n = std::min(block, total - at);
    for (int i = 0; i < n; ++i) {
      double t = static_cast<double>(at + i) / a.sampleRate;
      left[i] = static_cast<int>(0.4 * std::sin(2 * M_PI * 440 * t) * 2147483647.0);
      right[i] = static_cast<int>(0.3 * std::sin(2 * M_PI * 660 * t) * 2147483647.0);
    }
    int got = codec->Encode(left.data(), right.data(), n, out.data(), static_cast<int>(out.size()));
    if (got > 0) stream.insert(stream.end(), out.begin(), out.begin() + got);
  }
  int got = codec->Flush(out.data(), static_cast<int>(out.size()));
  if (got > 0) stream.insert(stream.end(), out.begin(), out.begin() + got);
  return stream;
}

inline void WriteHandMadePackage(const std::string& dir, const std::string& base, const HandMadeVideo* video,
                                 const HandMadeAudio* audio) {
  Bytes meta;
  std::uint32_t videoRate = 0, audioRate = 0;
  if (video) {
    Bytes stream = HandMadeVideoStream(*video);
    double seconds = video->frames / video->fps;
    videoRate = static_cast<std::uint32_t>(stream.size() * 8 / seconds);
    Bytes file;
    for (auto header : {Encode(FileOutputHeader{2, static_cast<std::uint32_t>(seconds * 1e6),
                                                static_cast<std::uint32_t>(stream.size())}),
                        Encode(VideoHeader{FrameRateX1e6(video->fps), static_cast<std::uint16_t>(video->width),
                                           static_cast<std::uint16_t>(video->height), videoRate})})
      file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), stream.begin(), stream.end());
    WriteBytes(dir + "/" + VideoStreamName(base, videoRate), file);
  }
  if (audio) {
    Bytes stream = HandMadeAudioStream(*audio);
    audioRate = static_cast<std::uint32_t>(stream.size() * 8 / audio->seconds);
    auto header = Encode(AudioHeader{2, audioRate, static_cast<std::uint32_t>(stream.size())});
    Bytes file(header.begin(), header.end());
    file.insert(file.end(), stream.begin(), stream.end());
    WriteBytes(dir + "/" + AudioStreamName(base, audioRate), file);
  }
  PutU32(meta, video ? 1 : 0);
  PutU32(meta, audio ? 1 : 0);
  if (video) PutU32(meta, videoRate);
  if (audio) PutU32(meta, audioRate);
  WriteBytes(dir + "/" + base + ".meta.zq48", meta);
}

// Planar 4:2:0 pictures, chroma (w+1)/2 x (h+1)/2, each picture y then u then v.
struct YuvPictures {
  int width = 0;
  int height = 0;
  std::vector<Bytes> pictures;
};

inline std::size_t YuvBytes(int width, int height) {
  return static_cast<std::size_t>(width) * height + 2 * static_cast<std::size_t>((width + 1) / 2) * ((height + 1) / 2);
}

// FFmpeg's pictures as the player's decoders must reproduce them exactly
// (DecodeElementaryStream's xvid reference).
inline YuvPictures FfmpegVideo(const Bytes& stream, int* errors = nullptr) {
  YuvPictures out;
  int bad = DecodeElementaryStream(AV_CODEC_ID_MPEG4, stream, nullptr, [&out](const AVFrame& f) {
    out.width = f.width;
    out.height = f.height;
    Bytes picture;
    for (int plane = 0; plane < 3; ++plane) {
      int w = plane ? (f.width + 1) / 2 : f.width;
      int h = plane ? (f.height + 1) / 2 : f.height;
      for (int y = 0; y < h; ++y)
        picture.insert(picture.end(), f.data[plane] + y * f.linesize[plane], f.data[plane] + y * f.linesize[plane] + w);
    }
    out.pictures.push_back(std::move(picture));
  }, ElementaryDecodeOptions{.xvidReference = true});
  if (errors) *errors = bad;
  return out;
}

// What a stream's pictures use, as FFmpeg reads them: predicted pictures
// and how many of those round half-pel averages down (rounding control 1),
// motion vectors, those with a half-pel part, and those of single 8 x 8
// blocks (four vectors in a macroblock). Tests of exact decoding check that
// their streams hold what they are meant to test.
struct VideoCensus {
  int predicted = 0;
  int roundingDown = 0;
  long vectors = 0;
  long halfPel = 0;
  long blockVectors = 0;
};

inline VideoCensus CensusOf(const Bytes& stream) {
  static VideoCensus* counting = nullptr;  // where the log callback counts
  VideoCensus census;
  counting = &census;
  // The picture header's facts reach us only as the decoder's debug lines.
  av_log_set_callback([](void*, int, const char* format, va_list args) {
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    if (std::strncmp(line, "qp:", 3) != 0 || std::strstr(line, " P ") == nullptr) return;
    counting->predicted++;
    if (std::strstr(line, " rnd:1 ") != nullptr) counting->roundingDown++;
  });
  ElementaryDecodeOptions options;
  options.setUp = [](AVCodecContext& c) {
    c.debug |= FF_DEBUG_PICT_INFO;
    c.flags2 |= AV_CODEC_FLAG2_EXPORT_MVS;
  };
  DecodeElementaryStream(AV_CODEC_ID_MPEG4, stream, nullptr, [&census](const AVFrame& f) {
    const AVFrameSideData* side = av_frame_get_side_data(&f, AV_FRAME_DATA_MOTION_VECTORS);
    if (side == nullptr) return;
    const auto* vectors = reinterpret_cast<const AVMotionVector*>(side->data);
    for (std::size_t i = 0; i < side->size / sizeof(AVMotionVector); ++i) {
      const AVMotionVector& v = vectors[i];
      census.vectors++;
      census.halfPel += (v.motion_x | v.motion_y) & 1;  // half pels: motion_scale 2
      census.blockVectors += v.w == 8;
    }
  }, options);
  av_log_set_callback(av_log_default_callback);
  counting = nullptr;
  return census;
}

// Expects a stream to exercise what exact decoding has to get right.
inline void ExpectUsesHalfPelAndFourVectors(const Bytes& stream) {
  VideoCensus c = CensusOf(stream);
  EXPECT_GT(c.predicted, 0);
  EXPECT_GT(c.roundingDown, 0) << "of " << c.predicted << " predicted pictures";
  EXPECT_LT(c.roundingDown, c.predicted);
  EXPECT_GT(c.halfPel, 0) << "of " << c.vectors << " vectors";
  EXPECT_GT(c.blockVectors, 0) << "of " << c.vectors << " vectors";
  std::printf("[ census   ] %d predicted pictures, %d rounding down; %ld vectors, %ld half-pel, %ld of 8x8 blocks\n",
              c.predicted, c.roundingDown, c.vectors, c.halfPel, c.blockVectors);
}

// Where picture b first differs from picture a (planar 4:2:0, w x h): the
// plane, the position and both values; "" when they are the same.
inline std::string PictureDifference(const std::uint8_t* a, const std::uint8_t* b, int w, int h) {
  const int cw = (w + 1) / 2, ch = (h + 1) / 2;
  const struct {
    const char* name;
    int width, height;
  } planes[] = {{"Y", w, h}, {"U", cw, ch}, {"V", cw, ch}};
  std::size_t at = 0;
  for (const auto& p : planes) {
    for (int i = 0; i < p.width * p.height; ++i, ++at) {
      if (a[at] == b[at]) continue;
      return std::string(p.name) + " at (" + std::to_string(i % p.width) + ", " + std::to_string(i / p.width) +
             "): " + std::to_string(a[at]) + " against " + std::to_string(b[at]);
    }
  }
  return "";
}

// How many of `mine` differ from the reference pictures, and where the first
// does ("" when all are the same); both lists as long, pictures w x h.
struct PicturesCompared {
  int differing = 0;
  std::string first;
};

inline PicturesCompared ComparePictures(const YuvPictures& reference, const YuvPictures& mine) {
  PicturesCompared result;
  for (std::size_t i = 0; i < reference.pictures.size() && i < mine.pictures.size(); ++i) {
    std::string difference = PictureDifference(reference.pictures[i].data(), mine.pictures[i].data(),
                                               reference.width, reference.height);
    if (difference.empty()) continue;
    if (result.differing++ == 0) result.first = "picture " + std::to_string(i) + ", " + difference;
  }
  return result;
}

inline YuvPictures ReadYuvFile(const std::string& path, int width, int height) {
  YuvPictures out;
  out.width = width;
  out.height = height;
  Bytes file = ReadBytes(path);
  std::size_t size = YuvBytes(width, height);
  for (std::size_t at = 0; size && at + size <= file.size(); at += size)
    out.pictures.emplace_back(file.begin() + at, file.begin() + at + size);
  return out;
}

struct Pcm {
  int rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // interleaved
  std::size_t frames() const { return channels ? samples.size() / channels : 0; }
};

inline std::int16_t ToS16(double v) {
  return static_cast<std::int16_t>(std::clamp(std::lround(v * 32768.0), -32768L, 32767L));
}

inline Pcm FfmpegAudio(const Bytes& stream, int* errors = nullptr) {
  Pcm out;
  int bad = DecodeElementaryStream(AV_CODEC_ID_MP3, stream, nullptr, [&out](const AVFrame& f) {
    out.rate = f.sample_rate;
    out.channels = f.ch_layout.nb_channels;
    for (int i = 0; i < f.nb_samples; ++i) {
      for (int c = 0; c < out.channels; ++c) {
        switch (f.format) {
          case AV_SAMPLE_FMT_FLTP: out.samples.push_back(ToS16(reinterpret_cast<const float*>(f.data[c])[i])); break;
          case AV_SAMPLE_FMT_FLT:
            out.samples.push_back(ToS16(reinterpret_cast<const float*>(f.data[0])[i * out.channels + c]));
            break;
          case AV_SAMPLE_FMT_S16P: out.samples.push_back(reinterpret_cast<const std::int16_t*>(f.data[c])[i]); break;
          default: out.samples.push_back(reinterpret_cast<const std::int16_t*>(f.data[0])[i * out.channels + c]);
        }
      }
    }
  });
  if (errors) *errors = bad;
  return out;
}

inline Pcm ReadWavFile(const std::string& path) {
  Pcm out;
  Bytes file = ReadBytes(path);
  if (file.size() < 44 || std::string(file.begin(), file.begin() + 4) != "RIFF") return out;
  out.channels = file[22] | file[23] << 8;
  out.rate = static_cast<int>(U32At(file, 24));
  std::size_t data = std::min<std::size_t>(U32At(file, 40), file.size() - 44);
  for (std::size_t at = 44; at + 1 < 44 + data; at += 2)
    out.samples.push_back(static_cast<std::int16_t>(file[at] | file[at + 1] << 8));
  return out;
}

// PSNR over all three planes of one picture.
inline double PicturePsnr(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  return sum == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * a.size() / sum);
}

// Signal (a) to difference (a - b) ratio over the common length, in dB.
inline double SoundSnr(const Pcm& a, const Pcm& b) {
  std::size_t n = std::min(a.samples.size(), b.samples.size());
  double signal = 0, noise = 0;
  for (std::size_t i = 0; i < n; ++i) {
    double d = static_cast<double>(a.samples[i]) - b.samples[i];
    signal += static_cast<double>(a.samples[i]) * a.samples[i];
    noise += d * d;
  }
  if (signal == 0) return 0.0;
  return noise == 0 ? 99.0 : 10.0 * std::log10(signal / noise);
}

// What "java -jar zqmPlayer.jar --decode" printed, and its exit status.
struct PlayerDecode {
  CommandResult run;
  int width = 0;
  int height = 0;
  int pictures = -1;  // -1: no video line
  int rate = 0;
  int channels = 0;
  long samples = -1;  // -1: no audio line
};

inline PlayerDecode RunPlayerDecode(const std::string& target, const std::string& outDir, long bandwidth = -1) {
  PlayerDecode result;
  std::string command = std::string("'") + ZQ48_JAVA + "' -Djava.awt.headless=true -jar '" + ZQ48_PLAYER_JAR +
                        "' --decode " + ShellQuoted(outDir) +
                        (bandwidth >= 0 ? " --bandwidth " + std::to_string(bandwidth) : std::string()) + " " +
                        ShellQuoted(target);
  result.run = RunCommand(command, outDir + ".stderr");
  std::istringstream lines(result.run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("video: ", 0) == 0) {
      std::sscanf(line.c_str(), "video: %dx%d %d", &result.width, &result.height, &result.pictures);
    } else if (line.rfind("audio: ", 0) == 0) {
      std::sscanf(line.c_str(), "audio: %d %d %ld", &result.rate, &result.channels, &result.samples);
    }
  }
  return result;
}

}  // namespace zq48::testing
