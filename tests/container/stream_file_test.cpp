#include "container/stream_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "container/stream_file_reader.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TempDir;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes ToBytes(const HeaderBytes& h) { return Bytes(h.begin(), h.end()); }

TEST(StreamHeaders, LittleEndianLayouts) {
  EXPECT_EQ(ToBytes(Encode(VideoHeader{FrameRateX1e6(25.0), 640, 480, 0})),
            (Bytes{0x40, 0x78, 0x7D, 0x01, 0x80, 0x02, 0xE0, 0x01, 0, 0, 0, 0}));
  EXPECT_EQ(ToBytes(Encode(FileOutputHeader{2, 10'000'000, 100'000})),
            (Bytes{0x02, 0, 0, 0, 0x80, 0x96, 0x98, 0x00, 0xA0, 0x86, 0x01, 0x00}));
  EXPECT_EQ(ToBytes(Encode(AudioHeader{2, 16000, 0x01020304})),
            (Bytes{0x02, 0, 0, 0, 0x80, 0x3E, 0, 0, 0x04, 0x03, 0x02, 0x01}));
  // Width and height keep their low 16 bits; decoding gives every field back.
  VideoHeader video{29970000, 0xFFFF, 0x1234, 0xDEADBEEF};
  EXPECT_EQ(DecodeVideo(Encode(video)), video);
  FileOutputHeader file{2, 0xFFFFFFFF, 7};
  EXPECT_EQ(DecodeFileOutput(Encode(file)), file);
  AudioHeader audio{2, 8000, 9};
  EXPECT_EQ(DecodeAudio(Encode(audio)), audio);
}

TEST(StreamHeaders, FrameRateTimesAMillionIsTruncated) {
  EXPECT_EQ(FrameRateX1e6(25.0), 25'000'000u);
  EXPECT_EQ(FrameRateX1e6(29.97), 29'970'000u);
  EXPECT_EQ(FrameRateX1e6(12.5), 12'500'000u);
  EXPECT_EQ(FrameRateX1e6(15.0000004), 15'000'000u);
  // 8.03 x 1e6 is just below 8030000 in binary floating point: rounded, not truncated.
  EXPECT_EQ(FrameRateX1e6(8.03), 8'030'000u);
  EXPECT_EQ(FrameRateX1e6(7.0 / 3.0), 2'333'333u);
  EXPECT_EQ(FrameRateX1e6(0.0), 0u);
  EXPECT_EQ(FrameRateX1e6(-3.0), 0u);
  EXPECT_EQ(FrameRateX1e6(1e9), 0xFFFFFFFFu);  // saturates instead of wrapping
}

TEST(StreamFile, EmptyFilesKeepTheirPlaceholders) {
  TempDir dir;
  std::string video = dir.File("clip.zq48");
  std::string audio = dir.File("clip.audio.zq48");
  {
    auto v = StreamFile::Create(video);
    ASSERT_TRUE(v);
    EXPECT_TRUE(v->WritePlaceholder(HeaderKind::FileOutput));
    EXPECT_TRUE(v->WritePlaceholder(HeaderKind::Video));
    auto a = StreamFile::Create(audio);
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->WritePlaceholder(HeaderKind::Audio));
  }  // closed by the destructors
  Bytes expectedVideo(24, 0);
  expectedVideo[0] = 2;
  EXPECT_EQ(ReadAll(video), expectedVideo);
  EXPECT_EQ(ReadAll(audio), Bytes(12, 0));
}

TEST(StreamFile, PayloadAppendsAndHeadersAreRewrittenInPlace) {
  TempDir dir;
  std::string path = dir.File("clip.audio.zq48");
  std::ofstream(path) << "an older file of the same name that is longer than the new one";
  auto file = StreamFile::Create(path);  // truncates
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->WritePlaceholder(HeaderKind::Audio));
  const Bytes payload{1, 2, 3, 4, 5};
  ASSERT_TRUE(file->AppendAtEnd(payload.data(), 3));
  ASSERT_TRUE(file->WriteRecordAt(0, Encode(AudioHeader{2, 24, 3})));
  // After a rewrite at the start, an append still goes to the end.
  ASSERT_TRUE(file->AppendAtEnd(payload.data() + 3, 2));
  EXPECT_EQ(file->Size(), 17u);
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(file->IsOpen());
  EXPECT_TRUE(file->Close());  // closing twice is harmless
  EXPECT_FALSE(file->Size());

  Bytes expected = ToBytes(Encode(AudioHeader{2, 24, 3}));
  expected.insert(expected.end(), payload.begin(), payload.end());
  EXPECT_EQ(ReadAll(path), expected);

  EXPECT_FALSE(StreamFile::Create(dir.File("no/such/folder/x.zq48")));
  StreamFile closed;
  EXPECT_FALSE(closed.Write(payload.data(), 1));
  EXPECT_FALSE(closed.WriteRecordAt(0, HeaderBytes{}));
}

TEST(StreamFile, MovingHandsTheFileOver) {
  TempDir dir;
  auto created = StreamFile::Create(dir.File("a.zq48"));
  ASSERT_TRUE(created);
  StreamFile slot;
  slot = std::move(*created);
  EXPECT_FALSE(created->IsOpen());
  EXPECT_TRUE(slot.IsOpen());
  StreamFile other(std::move(slot));
  EXPECT_TRUE(other.IsOpen());
  EXPECT_TRUE(other.WritePlaceholder(HeaderKind::Audio));
  EXPECT_EQ(other.Size(), 12u);
}

// Writes a stream file from raw records and payload.
std::string WriteStream(const TempDir& dir, const std::string& name, std::vector<HeaderBytes> records,
                        std::size_t payload) {
  std::string path = dir.File(name);
  std::ofstream out(path, std::ios::binary);
  for (const HeaderBytes& r : records) out.write(reinterpret_cast<const char*>(r.data()), r.size());
  out << std::string(payload, '\x55');
  return path;
}

TEST(StreamFileReader, ChecksHeadersAgainstTheFile) {
  TempDir dir;
  const VideoHeader video{25'000'000, 640, 480, 80'000};
  struct Case {
    std::string name;
    std::vector<HeaderBytes> records;
    std::size_t payload;
    std::vector<std::string> problems;
    bool placeholders;
  };
  const std::vector<Case> cases = {
      {"good_100bps.video.zq48", {Encode(FileOutputHeader{2, 10'000'000, 100}), Encode(video)}, 100, {}, false},
      {"short_data.zq48",
       {Encode(FileOutputHeader{2, 10'000'000, 90}), Encode(video)},
       100,
       {"data_size says 90 bytes but the file holds 100 payload bytes"},
       false},
      {"version.zq48",
       {Encode(FileOutputHeader{3, 1, 4}), Encode(video)},
       4,
       {"version is 3, not 2"},
       false},
      {"empty.zq48", {Placeholder(HeaderKind::FileOutput), Placeholder(HeaderKind::Video)}, 0, {}, true},
      {"unfinished.zq48",
       {Placeholder(HeaderKind::FileOutput), Placeholder(HeaderKind::Video)},
       10,
       {"the headers still hold placeholders: the file was never finished"},
       true},
      {"good_8000bps.audio.zq48", {Encode(AudioHeader{2, 8000, 50})}, 50, {}, false},
      {"x.min.audio.zq48", {Placeholder(HeaderKind::Audio)}, 0, {}, true},
      {"unfinished.audio.zq48",
       {Placeholder(HeaderKind::Audio)},
       5,
       {"the header still holds placeholders: the file was never finished"},
       true},
      {"cut.zq48", {Encode(FileOutputHeader{})}, 0, {"the file is shorter than its headers (12 bytes)"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = WriteStream(dir, c.name, c.records, c.payload);
    auto report = InspectStreamFile(path, StreamFileKindOfName(path), nullptr);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->problems, c.problems);
    EXPECT_EQ(report->placeholders, c.placeholders);
  }
  auto good = InspectStreamFile(dir.File("good_100bps.video.zq48"), StreamFileKind::Video, nullptr);
  EXPECT_EQ(good->payloadOffset, 24u);
  EXPECT_EQ(good->payloadSize, 100u);
  EXPECT_EQ(good->video, video);
  std::string error;
  EXPECT_FALSE(InspectStreamFile(dir.File("missing.zq48"), StreamFileKind::Video, &error));
  EXPECT_FALSE(error.empty());
}

TEST(StreamFileReader, KindFollowsTheName) {
  EXPECT_EQ(StreamFileKindOfName("/o/My_Movie_16000bps.audio.zq48"), StreamFileKind::Audio);
  EXPECT_EQ(StreamFileKindOfName("/o/clip.min.audio.zq48"), StreamFileKind::Audio);
  EXPECT_EQ(StreamFileKindOfName("/o/My_Movie_201836bps.video.zq48"), StreamFileKind::Video);
  EXPECT_EQ(StreamFileKindOfName("/o/My_Movie__dr40_fr15.00_w128_h96_Ch1_Sr8000_Br8.zq48"),
            StreamFileKind::Video);
}

}  // namespace
}  // namespace zq48
