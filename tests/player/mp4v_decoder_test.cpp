// The player archive's own MPEG-4 video decoder (Mp4vFileDecode) against
// FFmpeg's decoder of the same streams: streams from the engine's xvidcore
// encoder and from zq48enc, and from FFmpeg's own MPEG-4 encoder for what
// xvidcore never writes here (odd sizes, MPEG quantisation with default and
// loaded matrices, video packets). Damaged streams must end in concealment,
// never in an exception.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

#include "player/player_package.h"
#include "support/elementary_decoder.h"
#include "support/test_media.h"
#include "video/xvid_encoder.h"

namespace zq48::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Planar 4:2:0 pictures with chroma (w+1)/2 x (h+1)/2, each y then u then v.
struct Yuv {
  int width = 0;
  int height = 0;
  std::vector<Bytes> pictures;
};

std::size_t PictureBytes(int w, int h) {
  return static_cast<std::size_t>(w) * h + 2 * static_cast<std::size_t>((w + 1) / 2) * ((h + 1) / 2);
}

// ---------------------------------------------------------------------------
// Pictures with motion: a textured background sliding by a non-integer
// number of pixels per picture (half-pel vectors) and a disc moving against
// it (macroblocks split between two motions, so four-vector ones).

struct Sample {
  int y, u, v;
};

Sample SceneAt(int x, int y, int t) {
  double bx = x + 2.5 * t, by = y + 1.5 * t;
  int checker = ((static_cast<int>(std::floor(bx / 12)) + static_cast<int>(std::floor(by / 10))) & 1) * 70;
  double wave = 40 * std::sin(bx * 0.21) * std::cos(by * 0.17);
  int luma = 60 + checker + static_cast<int>(wave);
  int u = 128 + static_cast<int>(50 * std::sin(bx * 0.05));
  int v = 128 + static_cast<int>(50 * std::cos(by * 0.07));
  double cx = 30 + 3.0 * t, cy = 40 - 1.0 * t;
  if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < 18 * 18) {
    luma = 220 - ((x + y) & 7) * 6;
    u = 90;
    v = 200;
  }
  return {std::clamp(luma, 16, 235), std::clamp(u, 16, 240), std::clamp(v, 16, 240)};
}

// Packed blue-green-red, bottom-up rows, as the xvidcore wrapper takes it.
Bytes SceneBgr(int w, int h, int t) {
  Bytes bgr(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Sample s = SceneAt(x, y, t);
      double c = s.y - 16, d = s.u - 128, e = s.v - 128;
      std::uint8_t* p = &bgr[(static_cast<std::size_t>(h - 1 - y) * w + x) * 3];
      p[0] = static_cast<std::uint8_t>(std::clamp(1.164 * c + 2.018 * d, 0.0, 255.0));
      p[1] = static_cast<std::uint8_t>(std::clamp(1.164 * c - 0.391 * d - 0.813 * e, 0.0, 255.0));
      p[2] = static_cast<std::uint8_t>(std::clamp(1.164 * c + 1.596 * e, 0.0, 255.0));
    }
  }
  return bgr;
}

Bytes XvidStream(int w, int h, int frames, int bitRate) {
  XvidSettings settings;
  settings.width = w;
  settings.height = h;
  settings.frameIncrement = 1;
  settings.timeBase = 25;
  settings.bitRate = bitRate;
  settings.maxKeyInterval = 40;  // a second intra picture within the clip
  int result = 0;
  auto encoder = XvidEncoder::Create(settings, &result);
  EXPECT_TRUE(encoder) << "xvidcore refused " << w << "x" << h << ": " << result;
  Bytes stream;
  Bytes out(static_cast<std::size_t>(w) * h * 4 + 65536);
  for (int t = 0; encoder && t < frames; ++t) {
    Bytes picture = SceneBgr(w, h, t);
    int n = encoder->Encode(picture.data(), out.data(), static_cast<int>(out.size()));
    if (n > 0) stream.insert(stream.end(), out.begin(), out.begin() + n);
  }
  return stream;
}

struct LavcOptions {
  bool mpegQuant = false;
  bool loadedMatrices = false;
  int packetBytes = 0;  // > 0: video packets of about this size
  int qscale = 0;       // > 0: constant quantiser instead of a bit rate
  int bitRate = 400000;
  bool adaptiveQuant = false;  // quantiser changes from macroblock to macroblock
};

// FFmpeg's own MPEG-4 encoder: no B-pictures, four vectors and AC prediction allowed.
Bytes LavcStream(int w, int h, int frames, const LavcOptions& o) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  ctx->width = w;
  ctx->height = h;
  ctx->pix_fmt = AV_PIX_FMT_YUV420P;
  ctx->time_base = AVRational{1, 25};
  ctx->framerate = AVRational{25, 1};
  ctx->gop_size = 30;
  ctx->max_b_frames = 0;
  ctx->thread_count = 1;
  ctx->flags |= AV_CODEC_FLAG_4MV | AV_CODEC_FLAG_AC_PRED;
  if (o.qscale > 0) {
    ctx->flags |= AV_CODEC_FLAG_QSCALE;
    ctx->global_quality = FF_QP2LAMBDA * o.qscale;
  } else {
    ctx->bit_rate = o.bitRate;
  }
  if (o.mpegQuant) av_opt_set_int(ctx, "mpeg_quant", 1, AV_OPT_SEARCH_CHILDREN);
  if (o.packetBytes > 0) av_opt_set_int(ctx, "ps", o.packetBytes, AV_OPT_SEARCH_CHILDREN);
  if (o.adaptiveQuant) {
    av_opt_set_double(ctx, "lumi_mask", 0.3, 0);
    av_opt_set_double(ctx, "p_mask", 0.5, 0);
  }
  if (o.loadedMatrices) {
    // Steeper than the defaults, and not symmetric, so a transposed matrix would show.
    ctx->intra_matrix = static_cast<std::uint16_t*>(av_malloc(64 * sizeof(std::uint16_t)));
    ctx->inter_matrix = static_cast<std::uint16_t*>(av_malloc(64 * sizeof(std::uint16_t)));
    for (int i = 0; i < 64; ++i) {
      ctx->intra_matrix[i] = static_cast<std::uint16_t>(i == 0 ? 8 : 10 + 3 * (i % 8) + (i / 8));
      ctx->inter_matrix[i] = static_cast<std::uint16_t>(14 + (i % 8) + 4 * (i / 8));
    }
  }
  Bytes stream;
  if (avcodec_open2(ctx, codec, nullptr) < 0) {
    ADD_FAILURE() << "FFmpeg's MPEG-4 encoder refused " << w << "x" << h;
    avcodec_free_context(&ctx);
    return stream;
  }
  AVFrame* frame = av_frame_alloc();
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = w;
  frame->height = h;
  av_frame_get_buffer(frame, 0);
  AVPacket* packet = av_packet_alloc();
  auto drain = [&] {
    while (avcodec_receive_packet(ctx, packet) == 0) {
      stream.insert(stream.end(), packet->data, packet->data + packet->size);
      av_packet_unref(packet);
    }
  };
  for (int t = 0; t < frames; ++t) {
    av_frame_make_writable(frame);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        Sample s = SceneAt(x, y, t);
        frame->data[0][y * frame->linesize[0] + x] = static_cast<std::uint8_t>(s.y);
        if (x % 2 == 0 && y % 2 == 0) {
          frame->data[1][y / 2 * frame->linesize[1] + x / 2] = static_cast<std::uint8_t>(s.u);
          frame->data[2][y / 2 * frame->linesize[2] + x / 2] = static_cast<std::uint8_t>(s.v);
        }
      }
    }
    frame->pts = t;
    if (o.qscale > 0) frame->quality = ctx->global_quality;
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

// ---------------------------------------------------------------------------
// The two decoders.

Yuv FfmpegDecode(const Bytes& stream, int* errors) {
  Yuv out;
  *errors = DecodeElementaryStream(AV_CODEC_ID_MPEG4, stream, nullptr, [&out](const AVFrame& f) {
    out.width = f.width;
    out.height = f.height;
    Bytes picture;
    for (int plane = 0; plane < 3; ++plane) {
      int w = plane ? (f.width + 1) / 2 : f.width;
      int h = plane ? (f.height + 1) / 2 : f.height;
      for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = f.data[plane] + y * f.linesize[plane];
        picture.insert(picture.end(), row, row + w);
      }
    }
    out.pictures.push_back(std::move(picture));
  }, ElementaryDecodeOptions{.xvidReference = true});
  return out;
}

struct PlayerRun {
  int status = -1;
  std::string out;
  std::string err;
  int width = 0;
  int height = 0;
  int count = -1;  // -1: no "video:" line
  Bytes yuv;
};

// Runs "java -cp zqmPlayer.jar Mp4vFileDecode IN OUT" on the file `in`.
PlayerRun RunFileDecode(const TempDir& dir, const std::string& in) {
  PlayerRun run;
  std::string yuv = dir.File("out.yuv");
  std::string errFile = dir.File("stderr.txt");
  std::filesystem::remove(yuv);
  std::string command = std::string("'") + ZQ48_JAVA + "' -cp '" + ZQ48_PLAYER_JAR + "' Mp4vFileDecode '" + in +
                        "' '" + yuv + "' 2>'" + errFile + "' </dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  Bytes err = ReadFile(errFile);
  run.err.assign(err.begin(), err.end());
  std::sscanf(run.out.c_str(), "video: %dx%d %d", &run.width, &run.height, &run.count);
  run.yuv = ReadFile(yuv);
  return run;
}

PlayerRun DecodeStream(const TempDir& dir, const Bytes& stream) {
  std::string in = dir.File("in.m4v");
  WriteFile(in, stream);
  return RunFileDecode(dir, in);
}

bool HasStackTrace(const std::string& err) {
  return err.find("Exception") != std::string::npos || err.find("\tat ") != std::string::npos ||
         err.find("Error:") != std::string::npos;
}

// Decodes `stream` with both decoders and expects the same pictures, pixel
// for pixel: FFmpeg decodes with the same integer inverse transform, so any
// difference is a fault (a prediction, rounding or clipping rule), however
// small; a decoder that ignored the rounding control of half-pel
// prediction would be off by one here and there, well above 40 dB.
void ExpectSameAsFfmpeg(const Bytes& stream, int expectWidth, int expectHeight) {
  ASSERT_FALSE(stream.empty());
  int errors = 0;
  Yuv reference = FfmpegDecode(stream, &errors);
  ASSERT_EQ(errors, 0) << "FFmpeg itself found the stream damaged";
  ASSERT_EQ(reference.width, expectWidth);
  ASSERT_EQ(reference.height, expectHeight);
  TempDir dir;
  PlayerRun run = DecodeStream(dir, stream);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(HasStackTrace(run.err)) << run.err;
  EXPECT_EQ(run.width, expectWidth);
  EXPECT_EQ(run.height, expectHeight);
  ASSERT_EQ(run.count, static_cast<int>(reference.pictures.size()));
  const std::size_t size = PictureBytes(expectWidth, expectHeight);
  ASSERT_EQ(run.yuv.size(), size * reference.pictures.size());
  int differing = 0;
  std::string first;
  for (std::size_t i = 0; i < reference.pictures.size(); ++i) {
    std::string difference =
        PictureDifference(reference.pictures[i].data(), run.yuv.data() + i * size, expectWidth, expectHeight);
    if (difference.empty()) continue;
    if (differing++ == 0) first = "picture " + std::to_string(i) + ", " + difference;
  }
  EXPECT_EQ(differing, 0) << "pictures unlike FFmpeg's; the first: " << first;
}

// Start code positions (of the 00 00 01 prefix) whose fourth byte is `code`.
std::vector<std::size_t> StartCodes(const Bytes& s, std::uint8_t code) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i + 3 < s.size(); ++i)
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1 && s[i + 3] == code) at.push_back(i);
  return at;
}

constexpr std::uint8_t kVop = 0xb6;

// ---------------------------------------------------------------------------

TEST(Mp4vDecoder, XvidStreamsOfSeveralSizesMatchFfmpeg) {
  struct Case {
    int w, h, bitRate;
  };
  for (Case c : {Case{128, 96, 150000}, Case{176, 144, 250000}, Case{320, 240, 300000},
                 Case{448, 336, 1500000}}) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    Bytes stream = XvidStream(c.w, c.h, 50, c.bitRate);
    ASSERT_GE(StartCodes(stream, kVop).size(), 50u);
    ExpectUsesHalfPelAndFourVectors(stream);
    ExpectSameAsFfmpeg(stream, c.w, c.h);
  }
}

TEST(Mp4vDecoder, StreamFilesFromTheEncoderMatchFfmpeg) {
  TempDir dir;
  std::string clip = dir.File("clip.avi");
  ClipSpec settings;
  settings.width = 320;
  settings.height = 240;
  settings.seconds = 2.0;
  WriteAvi(clip, settings);
  std::string out = dir.File("out");
  std::string command = std::string("'") + ZQ48ENC_PATH + "' -o '" + out +
                        "' --range-begin 100 --range-end 300 '" + clip + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    std::string name = entry.path().filename().string();
    if (name.size() < 11 || name.compare(name.size() - 11, 11, ".video.zq48") != 0) continue;
    SCOPED_TRACE(name);
    ++files;
    Bytes file = ReadFile(entry.path().string());
    ASSERT_GT(file.size(), 24u);
    int width = file[16] | file[17] << 8;
    int height = file[18] | file[19] << 8;
    Bytes payload(file.begin() + 24, file.end());
    ExpectUsesHalfPelAndFourVectors(payload);
    int errors = 0;
    Yuv reference = FfmpegDecode(payload, &errors);
    ASSERT_EQ(errors, 0);
    TempDir work;
    PlayerRun run = RunFileDecode(work, entry.path().string());  // the file itself, headers and all
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.width, width);
    EXPECT_EQ(run.height, height);
    ASSERT_EQ(run.count, static_cast<int>(reference.pictures.size()));
    const std::size_t size = PictureBytes(width, height);
    ASSERT_EQ(run.yuv.size(), size * reference.pictures.size());
    for (std::size_t i = 0; i < reference.pictures.size(); ++i)
      EXPECT_EQ(PictureDifference(reference.pictures[i].data(), run.yuv.data() + i * size, width, height), "")
          << "picture " << i;
  }
  EXPECT_GE(files, 1);
}

TEST(Mp4vDecoder, OddSizesAreDecodedWholeAndCropped) {
  for (auto [w, h] : {std::pair{161, 121}, std::pair{97, 75}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    LavcOptions o;
    o.bitRate = 300000;
    ExpectSameAsFfmpeg(LavcStream(w, h, 40, o), w, h);
  }
}

TEST(Mp4vDecoder, MpegQuantisationWithDefaultAndLoadedMatrices) {
  LavcOptions o;
  o.mpegQuant = true;
  o.qscale = 4;
  {
    SCOPED_TRACE("default matrices");
    ExpectSameAsFfmpeg(LavcStream(176, 144, 40, o), 176, 144);
  }
  o.loadedMatrices = true;
  {
    SCOPED_TRACE("loaded matrices");
    ExpectSameAsFfmpeg(LavcStream(176, 144, 40, o), 176, 144);
  }
}

TEST(Mp4vDecoder, VideoPacketsAfterResyncMarkers) {
  LavcOptions o;
  o.packetBytes = 200;
  o.qscale = 3;
  {
    SCOPED_TRACE("H.263 quantisation");
    ExpectSameAsFfmpeg(LavcStream(320, 240, 40, o), 320, 240);
  }
  o.mpegQuant = true;
  {
    SCOPED_TRACE("MPEG quantisation, odd size");
    ExpectSameAsFfmpeg(LavcStream(161, 121, 30, o), 161, 121);
  }
}

TEST(Mp4vDecoder, QuantiserChangesFromMacroblockToMacroblock) {
  // DQUANT in intra and inter macroblocks; AC prediction between intra
  // blocks of different quantisers rescales the predicted levels.
  LavcOptions o;
  o.adaptiveQuant = true;
  o.bitRate = 200000;
  {
    SCOPED_TRACE("H.263 quantisation");
    ExpectSameAsFfmpeg(LavcStream(176, 144, 40, o), 176, 144);
  }
  o.mpegQuant = true;
  o.packetBytes = 300;
  {
    SCOPED_TRACE("MPEG quantisation, video packets");
    ExpectSameAsFfmpeg(LavcStream(161, 121, 40, o), 161, 121);
  }
}

TEST(Mp4vDecoder, ExtremeQuantisersUseEveryEscape) {
  // Quantiser 1 needs the long escape for large levels and 12-bit DC sizes;
  // 31 leaves blocks nearly empty and DC through the AC table (threshold).
  for (int q : {1, 31}) {
    SCOPED_TRACE("quantiser " + std::to_string(q));
    LavcOptions o;
    o.qscale = q;
    ExpectSameAsFfmpeg(LavcStream(176, 144, 20, o), 176, 144);
  }
}

// A not-coded picture: P type, no time base change, increment 7 in 5 bits, vop_coded 0, stuffing.
Bytes NotCodedVop() {
  std::string bits = "01" "0" "1" "00111" "1" "0";
  bits += "0";
  while (bits.size() % 8) bits += "1";
  Bytes vop = {0, 0, 1, kVop};
  for (std::size_t i = 0; i < bits.size(); i += 8)
    vop.push_back(static_cast<std::uint8_t>(std::stoi(bits.substr(i, 8), nullptr, 2)));
  return vop;
}

TEST(Mp4vDecoder, NotCodedPicturesCountAsFfmpegCountsThem) {
  Bytes stream = XvidStream(176, 144, 20, 250000);  // time base 25: 5-bit time increments
  std::vector<std::size_t> vops = StartCodes(stream, kVop);
  ASSERT_GE(vops.size(), 10u);
  Bytes skip = NotCodedVop();
  Bytes edited(stream.begin(), stream.begin() + vops[6]);
  for (int i = 0; i < 3; ++i) edited.insert(edited.end(), skip.begin(), skip.end());
  edited.insert(edited.end(), stream.begin() + vops[6], stream.end());
  ExpectSameAsFfmpeg(edited, 176, 144);
}

// ---------------------------------------------------------------------------
// Damage: concealed, reported, never an exception.

TEST(Mp4vDecoder, TruncatedStreamEndsWithAConcealedPicture) {
  Bytes stream = XvidStream(320, 240, 30, 400000);
  std::vector<std::size_t> vops = StartCodes(stream, kVop);
  ASSERT_GE(vops.size(), 30u);
  // Cut in the middle of picture 20's data.
  Bytes cut(stream.begin(), stream.begin() + (vops[20] + vops[21]) / 2);
  TempDir dir;
  PlayerRun run = DecodeStream(dir, cut);
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(HasStackTrace(run.err)) << run.err;
  EXPECT_NE(run.err.find("concealed"), std::string::npos) << run.err;
  EXPECT_EQ(run.count, 21);
  EXPECT_EQ(run.yuv.size(), PictureBytes(320, 240) * 21);
  // The pictures before the cut are whole.
  int errors = 0;
  Yuv reference = FfmpegDecode(stream, &errors);
  ASSERT_GE(reference.pictures.size(), 20u);
  const std::size_t size = PictureBytes(320, 240);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(PictureDifference(reference.pictures[i].data(), run.yuv.data() + i * size, 320, 240), "")
        << "picture " << i;
}

TEST(Mp4vDecoder, FlippedBytesAndGarbageAreConcealedWithoutAnException) {
  Bytes stream = XvidStream(176, 144, 40, 250000);
  const std::size_t firstVop = StartCodes(stream, kVop).at(0);
  std::mt19937 random(7);
  for (int trial = 0; trial < 4; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    Bytes damaged = stream;
    for (int i = 0; i < 60; ++i) {
      std::size_t at = firstVop + 4 + random() % (damaged.size() - firstVop - 4);
      damaged[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    }
    TempDir dir;
    PlayerRun run = DecodeStream(dir, damaged);
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(HasStackTrace(run.err)) << run.err;
    EXPECT_NE(run.err.find("concealed"), std::string::npos) << run.err;
    EXPECT_GT(run.count, 20);
    EXPECT_EQ(run.yuv.size(), PictureBytes(176, 144) * run.count);
  }
  {
    SCOPED_TRACE("garbage after the headers");
    Bytes garbage(stream.begin(), stream.begin() + firstVop + 4);
    for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<std::uint8_t>(random()));
    TempDir dir;
    PlayerRun run = DecodeStream(dir, garbage);
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(HasStackTrace(run.err)) << run.err;
  }
}

TEST(Mp4vDecoder, MissingAndEmptyInputsFailWithAReason) {
  TempDir dir;
  PlayerRun missing = RunFileDecode(dir, dir.File("no-such-file.m4v"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no-such-file.m4v"), std::string::npos) << missing.err;
  EXPECT_FALSE(HasStackTrace(missing.err)) << missing.err;
  PlayerRun empty = DecodeStream(dir, Bytes{});
  EXPECT_EQ(empty.status, 1);
  EXPECT_FALSE(empty.err.empty());
  EXPECT_FALSE(HasStackTrace(empty.err)) << empty.err;
}

}  // namespace
}  // namespace zq48::testing
