#include "support/test_media.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "sources/ffmpeg_handles.h"

namespace zq48::testing {
namespace {

namespace fs = std::filesystem;

using InputPtr = ff::FormatContextPtr;
using ff::CodecContextPtr;
using ff::FramePtr;
using ff::PacketPtr;

// Opens a file the way a player would: no format hint, streams probed.
InputPtr Open(const std::string& path) {
  InputPtr in = ff::OpenInput(path);
  if (!in) return nullptr;
  if (avformat_find_stream_info(in.get(), nullptr) < 0) return nullptr;
  return in;
}

struct StreamInfo {
  AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
  AVCodecID codec = AV_CODEC_ID_NONE;
  int width = 0;
  int height = 0;
  int sampleRate = 0;
  int channels = 0;
  int indexEntries = 0;  // as the demuxer knows them right after opening
  int packets = 0;
  double seconds = 0;  // from the first packet's start to the last packet's end
};

struct MediaInfo {
  std::string format;
  std::vector<StreamInfo> streams;

  const StreamInfo* Find(AVMediaType type) const {
    const auto it = std::find_if(streams.begin(), streams.end(),
                                 [&](const StreamInfo& s) { return s.type == type; });
    return it == streams.end() ? nullptr : &*it;
  }
  const StreamInfo& Video() const { return Get(AVMEDIA_TYPE_VIDEO); }
  const StreamInfo& Audio() const { return Get(AVMEDIA_TYPE_AUDIO); }

 private:
  const StreamInfo& Get(AVMediaType type) const {
    const StreamInfo* s = Find(type);
    if (s == nullptr)
      throw std::runtime_error(std::string("no ") + av_get_media_type_string(type) + " stream");
    return *s;
  }
};

// Demuxes the whole file and describes what is in it.
MediaInfo Inspect(const std::string& path) {
  InputPtr in = Open(path);
  if (!in) throw std::runtime_error("FFmpeg cannot open " + path);
  MediaInfo info{in->iformat->name, {}};
  std::vector<int64_t> first(in->nb_streams, std::numeric_limits<int64_t>::max());
  std::vector<int64_t> last(in->nb_streams, std::numeric_limits<int64_t>::min());
  for (unsigned i = 0; i < in->nb_streams; ++i) {
    const AVStream* st = in->streams[i];
    const AVCodecParameters* par = st->codecpar;
    info.streams.push_back({par->codec_type, par->codec_id, par->width, par->height,
                            par->sample_rate, par->ch_layout.nb_channels,
                            avformat_index_get_entries_count(st), 0, 0.0});
  }
  PacketPtr packet(av_packet_alloc());
  while (av_read_frame(in.get(), packet.get()) >= 0) {
    const int i = packet->stream_index;
    const int64_t start = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    ++info.streams[i].packets;
    first[i] = std::min(first[i], start);
    last[i] = std::max(last[i], start + packet->duration);
    av_packet_unref(packet.get());
  }
  for (unsigned i = 0; i < in->nb_streams; ++i) {
    if (info.streams[i].packets > 0)
      info.streams[i].seconds =
          static_cast<double>(last[i] - first[i]) * av_q2d(in->streams[i]->time_base);
  }
  return info;
}

struct DecodedVideo {
  int frames = 0;
  int width = 0;
  int height = 0;
  int firstLumaMin = 255;  // darkest and brightest luma of the first picture
  int firstLumaMax = 0;
};

void NoteLumaRange(const AVFrame& frame, DecodedVideo& out) {
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* row = frame.data[0] + static_cast<std::ptrdiff_t>(y) * frame.linesize[0];
    const auto [lo, hi] = std::minmax_element(row, row + frame.width);
    out.firstLumaMin = std::min<int>(out.firstLumaMin, *lo);
    out.firstLumaMax = std::max<int>(out.firstLumaMax, *hi);
  }
}

// Decodes every picture of the first video stream, treating any damage in the
// bitstream as an error.
DecodedVideo DecodeVideo(const std::string& path) {
  InputPtr in = Open(path);
  if (!in) throw std::runtime_error("FFmpeg cannot open " + path);
  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (index < 0) throw std::runtime_error("no video in " + path);
  CodecContextPtr ctx(avcodec_alloc_context3(decoder));
  avcodec_parameters_to_context(ctx.get(), in->streams[index]->codecpar);
  ctx->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM;
  if (avcodec_open2(ctx.get(), decoder, nullptr) < 0)
    throw std::runtime_error("cannot open decoder");

  DecodedVideo out;
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  auto drain = [&] {
    while (avcodec_receive_frame(ctx.get(), frame.get()) >= 0) {
      if (out.frames++ == 0) {
        out.width = frame->width;
        out.height = frame->height;
        NoteLumaRange(*frame, out);
      }
      av_frame_unref(frame.get());
    }
  };
  while (av_read_frame(in.get(), packet.get()) >= 0) {
    const bool mine = packet->stream_index == index;
    const int sent = mine ? avcodec_send_packet(ctx.get(), packet.get()) : 0;
    av_packet_unref(packet.get());
    if (sent < 0) throw std::runtime_error("damaged video packet in " + path);
    drain();
  }
  avcodec_send_packet(ctx.get(), nullptr);
  drain();
  return out;
}

// What a demuxer hands out, packet by packet: stream, timestamps and a hash
// of the payload. Two files with equal digests carry the same media.
std::vector<uint64_t> PacketDigest(const std::string& path) {
  InputPtr in = Open(path);
  if (!in) throw std::runtime_error("FFmpeg cannot open " + path);
  std::vector<uint64_t> digest;
  PacketPtr packet(av_packet_alloc());
  while (av_read_frame(in.get(), packet.get()) >= 0) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (int i = 0; i < packet->size; ++i) hash = (hash ^ packet->data[i]) * 1099511628211ull;
    digest.insert(digest.end(),
                  {static_cast<uint64_t>(packet->stream_index), static_cast<uint64_t>(packet->pts),
                   static_cast<uint64_t>(packet->size), hash});
    av_packet_unref(packet.get());
  }
  return digest;
}

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Stream lengths may differ from the clip length by one frame, plus encoder
// delay for AAC.
constexpr double kAudioSlack = 0.1;

void ExpectVideo(const MediaInfo& info, AVCodecID codec, const ClipSpec& clip) {
  const StreamInfo& v = info.Video();
  EXPECT_EQ(v.codec, codec) << avcodec_get_name(v.codec);
  EXPECT_EQ(v.width, clip.width);
  EXPECT_EQ(v.height, clip.height);
  const double frames = clip.seconds * clip.fpsNum / clip.fpsDen;
  EXPECT_EQ(v.packets, std::lround(frames));
  EXPECT_NEAR(v.seconds, clip.seconds, 1.0 * clip.fpsDen / clip.fpsNum);
}

void ExpectAudio(const MediaInfo& info, AVCodecID codec, const ClipSpec& clip) {
  const StreamInfo& a = info.Audio();
  EXPECT_EQ(a.codec, codec) << avcodec_get_name(a.codec);
  EXPECT_EQ(a.sampleRate, clip.sampleRate);
  EXPECT_EQ(a.channels, clip.channels);
  EXPECT_NEAR(a.seconds, clip.seconds, kAudioSlack);
}

class TestMediaTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(TestMediaTest, AviCarriesMpeg4VideoAndPcmAudio) {
  const ClipSpec clip;
  WriteAvi(dir_.File("clip.avi"), clip);
  const MediaInfo info = Inspect(dir_.File("clip.avi"));
  EXPECT_EQ(info.format, "avi");
  ASSERT_EQ(info.streams.size(), 2u);
  ExpectVideo(info, AV_CODEC_ID_MPEG4, clip);
  ExpectAudio(info, AV_CODEC_ID_PCM_S16LE, clip);
}

TEST_F(TestMediaTest, ClipLengthFollowsSecondsAndFractionalFrameRate) {
  ClipSpec clip;
  clip.fpsNum = 30000;
  clip.fpsDen = 1001;
  clip.seconds = 4.0;  // 119.88 frames, so 120
  clip.sampleRate = 48000;
  clip.channels = 2;
  WriteAvi(dir_.File("ntsc.avi"), clip);
  const MediaInfo info = Inspect(dir_.File("ntsc.avi"));
  ExpectVideo(info, AV_CODEC_ID_MPEG4, clip);
  EXPECT_EQ(info.Video().indexEntries, 120);
  ExpectAudio(info, AV_CODEC_ID_PCM_S16LE, clip);
}

TEST_F(TestMediaTest, MpegPsCarriesMpeg1VideoAndMp2Audio) {
  ClipSpec clip;
  clip.sampleRate = 44100;
  clip.channels = 2;
  WriteMpegPs(dir_.File("clip.mpg"), clip);
  const MediaInfo info = Inspect(dir_.File("clip.mpg"));
  EXPECT_EQ(info.format, "mpeg");
  ASSERT_EQ(info.streams.size(), 2u);
  ExpectVideo(info, AV_CODEC_ID_MPEG1VIDEO, clip);
  ExpectAudio(info, AV_CODEC_ID_MP2, clip);
  EXPECT_EQ(DecodeVideo(dir_.File("clip.mpg")).frames, 30);
}

TEST_F(TestMediaTest, Mp4StartsWithFtypAndCarriesAac) {
  ClipSpec clip;
  clip.sampleRate = 44100;
  clip.channels = 2;
  WriteMp4(dir_.File("clip.mp4"), clip);
  EXPECT_EQ(FirstAtomType(dir_.File("clip.mp4")), "ftyp");
  const MediaInfo info = Inspect(dir_.File("clip.mp4"));
  EXPECT_NE(info.format.find("mp4"), std::string::npos) << info.format;
  ASSERT_EQ(info.streams.size(), 2u);
  ExpectVideo(info, AV_CODEC_ID_MPEG4, clip);
  ExpectAudio(info, AV_CODEC_ID_AAC, clip);
}

TEST_F(TestMediaTest, WavHoldsOnlyPcmAudioEvenWhenVideoIsAskedFor) {
  ClipSpec clip;
  clip.seconds = 1.5;
  ASSERT_TRUE(clip.video);
  WriteWav(dir_.File("tone.wav"), clip);
  const MediaInfo info = Inspect(dir_.File("tone.wav"));
  EXPECT_EQ(info.format, "wav");
  ASSERT_EQ(info.streams.size(), 1u);
  ExpectAudio(info, AV_CODEC_ID_PCM_S16LE, clip);
}

TEST_F(TestMediaTest, EveryContainerCanLeaveOutEitherStream) {
  using Writer = void (*)(const std::string&, const ClipSpec&);
  const std::pair<const char*, Writer> writers[] = {
      {"avi", WriteAvi},
      {"mpg", WriteMpegPs},
      {"mp4", WriteMp4},
      {"mov", [](const std::string& path, const ClipSpec& clip) { WriteMovie(path, clip); }},
  };
  for (const auto& [extension, write] : writers) {
    SCOPED_TRACE(extension);
    ClipSpec silent;
    silent.audio = false;
    write(dir_.File(std::string("silent.") + extension), silent);
    const MediaInfo pictures = Inspect(dir_.File(std::string("silent.") + extension));
    ASSERT_EQ(pictures.streams.size(), 1u);
    EXPECT_EQ(pictures.streams[0].type, AVMEDIA_TYPE_VIDEO);
    EXPECT_NEAR(pictures.streams[0].seconds, silent.seconds, 0.1);

    ClipSpec blind;
    blind.video = false;
    write(dir_.File(std::string("blind.") + extension), blind);
    const MediaInfo sound = Inspect(dir_.File(std::string("blind.") + extension));
    ASSERT_EQ(sound.streams.size(), 1u);
    EXPECT_EQ(sound.streams[0].type, AVMEDIA_TYPE_AUDIO);
    EXPECT_NEAR(sound.streams[0].seconds, blind.seconds, kAudioSlack);
  }
}

TEST_F(TestMediaTest, WritersFailLoudly) {
  ClipSpec phone;
  phone.sampleRate = 8000;  // MP2 has no 8 kHz mode
  EXPECT_THROW(WriteMpegPs(dir_.File("phone.mpg"), phone), std::runtime_error);
  EXPECT_THROW(WriteMovie(dir_.File("odd.mov"), {}, "ftyp"), std::invalid_argument);
  ClipSpec empty;
  empty.video = false;
  empty.audio = false;
  EXPECT_THROW(WriteAvi(dir_.File("empty.avi"), empty), std::invalid_argument);
  EXPECT_THROW(WriteAvi(dir_.File("missing/clip.avi")), std::runtime_error);
}

// Movies whose first atom is not ftyp, as older QuickTime writers made them.
class MovieFirstAtomTest : public TestMediaTest, public ::testing::WithParamInterface<const char*> {
 protected:
  static ClipSpec Shape() {
    ClipSpec clip;
    clip.width = 64;
    clip.height = 48;
    clip.fpsNum = 30;
    clip.seconds = 10.5;
    clip.sampleRate = 8000;
    return clip;
  }
};

TEST_P(MovieFirstAtomTest, StartsWithTheAtomAndStillPlays) {
  const std::string path = dir_.File("clip.mov");
  WriteMovie(path, Shape(), GetParam());
  EXPECT_EQ(FirstAtomType(path), GetParam());

  const MediaInfo info = Inspect(path);
  EXPECT_EQ(info.format.substr(0, 4), "mov,") << info.format;
  ASSERT_EQ(info.streams.size(), 2u);
  ExpectVideo(info, AV_CODEC_ID_MPEG4, Shape());
  EXPECT_EQ(info.Video().indexEntries, 315);
  ExpectAudio(info, AV_CODEC_ID_PCM_S16BE, Shape());

  const DecodedVideo video = DecodeVideo(path);
  EXPECT_EQ(video.frames, 315);
  EXPECT_EQ(video.width, 64);
  EXPECT_EQ(video.height, 48);
  EXPECT_GT(video.firstLumaMax - video.firstLumaMin, 100) << "first picture is flat";
}

TEST_P(MovieFirstAtomTest, CarriesTheSamePacketsAsAMovieWithOnlyItsFtypRenamed) {
  // "free" is made by renaming ftyp in place, so nothing in it moved; the
  // other layouts cut or reorder atoms and must fix every chunk offset.
  WriteMovie(dir_.File("reference.mov"), Shape(), "free");
  WriteMovie(dir_.File("clip.mov"), Shape(), GetParam());
  const std::vector<uint64_t> reference = PacketDigest(dir_.File("reference.mov"));
  EXPECT_GT(reference.size(), 4u * 315);
  EXPECT_EQ(PacketDigest(dir_.File("clip.mov")), reference);
}

INSTANTIATE_TEST_SUITE_P(TestMedia, MovieFirstAtomTest,
                         ::testing::Values("mdat", "moov", "free", "wide", "skip", "pnot"));

TEST_F(TestMediaTest, NonMediaFilesHaveTheAskedForBytes) {
  WriteZeroByte(dir_.File("empty.avi"));
  EXPECT_TRUE(fs::is_regular_file(dir_.File("empty.avi")));
  EXPECT_EQ(fs::file_size(dir_.File("empty.avi")), 0u);

  WriteGarbage(dir_.File("a.avi"), 5000, 7);
  WriteGarbage(dir_.File("b.avi"), 5000, 7);
  WriteGarbage(dir_.File("c.avi"), 5000, 8);
  EXPECT_EQ(fs::file_size(dir_.File("a.avi")), 5000u);
  EXPECT_EQ(ReadAll(dir_.File("a.avi")), ReadAll(dir_.File("b.avi")));
  EXPECT_NE(ReadAll(dir_.File("a.avi")), ReadAll(dir_.File("c.avi")));
  EXPECT_FALSE(Open(dir_.File("a.avi"))) << "garbage opened as media";

  WriteAvi(dir_.File("whole.avi"));
  WriteTruncated(dir_.File("whole.avi"), dir_.File("half.avi"), 3000);
  const std::vector<char> whole = ReadAll(dir_.File("whole.avi"));
  const std::vector<char> half = ReadAll(dir_.File("half.avi"));
  ASSERT_EQ(half.size(), 3000u);
  EXPECT_TRUE(std::equal(half.begin(), half.end(), whole.begin()));
  EXPECT_THROW(WriteTruncated(dir_.File("half.avi"), dir_.File("more.avi"), 3001),
               std::invalid_argument);
}

TEST(TestMediaTempDirTest, IsAFreshFolderRemovedWithItsContents) {
  std::string kept;
  {
    TempDir a;
    TempDir b;
    kept = a.path();
    EXPECT_NE(a.path(), b.path());
    EXPECT_TRUE(fs::is_directory(a.path()));
    EXPECT_TRUE(fs::is_empty(a.path()));
    EXPECT_TRUE(fs::equivalent(fs::path(a.path()).parent_path(), fs::temp_directory_path()));
    EXPECT_EQ(a.File("x.avi"), a.path() + "/x.avi");
    fs::create_directory(a.File("sub"));
    WriteZeroByte(a.File("sub/x.avi"));
  }
  EXPECT_FALSE(fs::exists(kept));
}

}  // namespace
}  // namespace zq48::testing
