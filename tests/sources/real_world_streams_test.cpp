// Files of the kinds people really have, through the whole command-line
// encode: broadcast captures whose sound changes format on the way, DVD
// sound in 5.1, program streams with key pictures far apart encoded over a
// range, and two recordings joined into one transport stream.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "container/stream_headers.h"
#include "support/elementary_decoder.h"
#include "support/stream_test_media.h"
#include "support/test_media.h"
#include "support/video_decode.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::SoundStretch;
using testing::StreamClip;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The package of one encoded file, decoded again with FFmpeg's decoders.
struct Variant {
  VideoHeader video;
  FileOutputHeader file;
  testing::DecodedVideo pictures;
  AudioHeader audio;
  std::vector<float> sound;  // first channel
  int soundRate = 0;
  int soundErrors = 0;
  // LAME puts 1105 samples of delay before the sound and pads the end to a
  // whole frame; what was played in is the rest, to within one frame.
  double soundSeconds() const { return soundRate ? (double(sound.size()) - 1105) / soundRate : 0; }
};

std::vector<Variant> ReadPackage(const std::string& dir) {
  std::vector<fs::path> videos, audios;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name.ends_with("bps.video.zq48")) videos.push_back(e.path());
    if (name.ends_with("bps.audio.zq48")) audios.push_back(e.path());
  }
  std::sort(videos.begin(), videos.end());
  std::sort(audios.begin(), audios.end());
  std::vector<Variant> out(std::max(videos.size(), audios.size()));
  for (std::size_t i = 0; i < videos.size(); ++i) {
    Bytes b = ReadBytes(videos[i]);
    HeaderBytes h1{}, h2{};
    std::copy_n(b.begin(), kHeaderSize, h1.begin());
    std::copy_n(b.begin() + kHeaderSize, kHeaderSize, h2.begin());
    out[i].file = DecodeFileOutput(h1);
    out[i].video = DecodeVideo(h2);
    out[i].pictures = testing::DecodeMpeg4(Bytes(b.begin() + kVideoHeadersSize, b.end()));
  }
  for (std::size_t i = 0; i < audios.size(); ++i) {
    Bytes b = ReadBytes(audios[i]);
    HeaderBytes h{};
    std::copy_n(b.begin(), kHeaderSize, h.begin());
    Variant& v = out[i];
    v.audio = DecodeAudio(h);
    v.soundErrors = testing::DecodeElementaryStream(
        AV_CODEC_ID_MP3, Bytes(b.begin() + kAudioHeadersSize, b.end()), nullptr, [&v](const AVFrame& f) {
          v.soundRate = f.sample_rate;
          const auto* s = reinterpret_cast<const float*>(f.extended_data[0]);
          v.sound.insert(v.sound.end(), s, s + f.nb_samples);
        });
  }
  return out;
}

// The tone's frequency over [from, to) seconds, from its rising zero crossings.
double ToneHz(const std::vector<float>& s, int rate, double from, double to) {
  const auto a = static_cast<std::size_t>(from * rate), b = std::min(s.size(), static_cast<std::size_t>(to * rate));
  int crossings = 0;
  std::size_t first = 0, last = 0;
  for (std::size_t i = a + 1; i < b; ++i)
    if (s[i - 1] < 0 && s[i] >= 0) {
      if (crossings++ == 0) first = i;
      last = i;
    }
  return crossings > 1 ? (crossings - 1) * double(rate) / double(last - first) : 0;
}

class RealWorldStreams : public ::testing::Test {
 protected:
  // Encodes `input` into out/ with a single rung of 350 kbps (15 fps, the
  // source's size when it is a multiple of 16).
  int Encode(const std::string& input, const std::string& extra = "") {
    fs::create_directories(out());
    const std::string command = std::string(ZQ48ENC_PATH) + " --range-begin 350 --range-end 350 " + extra +
                                " -o '" + out() + "' '" + input + "' 2>'" + dir_.File("stderr.txt") + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Errors() {
    std::ifstream in(dir_.File("stderr.txt"));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string out() const { return dir_.File("out"); }
  TempDir dir_;
};

// Stereo turning mono halfway, and 44.1 kHz turning 48 kHz: no crash, the
// sound as long as the film, at the right pitch all the way.
TEST_F(RealWorldStreams, SoundThatChangesFormatMidStreamEncodesInFullAtItsPitch) {
  const std::vector<std::vector<SoundStretch>> cases = {
      {{2.0, 44100, 2}, {2.0, 44100, 1}},
      {{2.0, 44100, 2}, {2.0, 48000, 2}},
      {{2.0, 48000, 1}, {2.0, 22050, 2}},
  };
  for (const auto& sound : cases) {
    SCOPED_TRACE(::testing::Message() << sound[0].sampleRate << "/" << sound[0].channels << " then "
                                    << sound[1].sampleRate << "/" << sound[1].channels);
    StreamClip clip;
    clip.sound = sound;
    const std::string input = dir_.File("changing.ts");
    testing::WriteStreamClip(input, clip);
    fs::remove_all(out());
    ASSERT_EQ(Encode(input), 0) << Errors();
    std::vector<Variant> package = ReadPackage(out());
    ASSERT_EQ(package.size(), 1u);
    const Variant& v = package[0];
    EXPECT_EQ(v.soundErrors, 0);
    EXPECT_NEAR(v.soundSeconds(), 4.0, 0.1);
    EXPECT_NEAR(ToneHz(v.sound, v.soundRate, 0.3, 1.7), 440.0, 5.0);
    EXPECT_NEAR(ToneHz(v.sound, v.soundRate, 2.3, 3.7), 440.0, 5.0);
    EXPECT_NEAR(v.pictures.pictures.size(), 60.0, 2.0);
  }
}

// 5.1 AC-3 in a program stream, as on a DVD: probed as stereo, encoded with sound.
TEST_F(RealWorldStreams, FiveOneSoundIsMixedDownAndEncoded) {
  StreamClip clip;
  clip.format = "mpeg";
  clip.soundCodec = AV_CODEC_ID_AC3;
  clip.sound = {{3.0, 48000, 6}};
  const std::string input = dir_.File("dvd.mpg");
  testing::WriteStreamClip(input, clip);
  ASSERT_EQ(Encode(input), 0) << Errors();
  std::vector<Variant> package = ReadPackage(out());
  ASSERT_EQ(package.size(), 1u);
  EXPECT_GT(package[0].audio.dataSize, 0u);
  EXPECT_GT(package[0].audio.bitRate, 0u);
  EXPECT_NEAR(package[0].soundSeconds(), 3.0, 0.1);
  EXPECT_NEAR(ToneHz(package[0].sound, package[0].soundRate, 0.5, 2.5), 440.0, 5.0);
  EXPECT_TRUE(fs::exists(fs::path(out()) / "dvd.meta.zq48"));

  const std::string probe = std::string(ZQ48ENC_PATH) + " --probe '" + input + "' > '" + dir_.File("probe.txt") + "'";
  ASSERT_EQ(std::system(probe.c_str()), 0);
  std::ifstream facts(dir_.File("probe.txt"));
  std::string text(std::istreambuf_iterator<char>(facts), {});
  EXPECT_NE(text.find("audio channels: 2\n"), std::string::npos) << text;
}

// A program stream with a key picture every 12 pictures, encoded from 5 to
// 10 s: 75 pictures at 15 fps, the first the source's picture at 5.00 s,
// exactly 5 s of sound, and the rates measured over those 5 s.
TEST_F(RealWorldStreams, RangeOfAProgramStreamStartsAtItsBeginPicture) {
  StreamClip clip;
  clip.format = "mpeg";
  clip.videoCodec = AV_CODEC_ID_MPEG1VIDEO;
  clip.bFrames = 0;  // a picture at every 1/25 s from the start of the file, one of them at 5.00 s
  clip.sound = {{12.0, 44100, 2}};
  const std::string input = dir_.File("gop12.mpg");
  testing::WriteStreamClip(input, clip);
  ASSERT_EQ(Encode(input, "--begin 5 --end 10"), 0) << Errors();
  std::vector<Variant> package = ReadPackage(out());
  ASSERT_EQ(package.size(), 1u);
  const Variant& v = package[0];
  ASSERT_EQ(v.pictures.pictures.size(), 75u);
  EXPECT_NEAR(v.soundSeconds(), 5.0, 1152.0 * 2 / v.soundRate);
  EXPECT_EQ(v.file.durationUs, 5'000'000u);

  // The first encoded picture looks most like the source's picture at 5.00 s.
  std::vector<testing::TimedPicture> source = testing::DecodePictures(input);
  const testing::TimedPicture* best = nullptr;
  double bestPsnr = 0;
  for (const testing::TimedPicture& p : source) {
    double psnr = testing::Psnr(v.pictures.pictures[0], p.bgr);
    if (psnr > bestPsnr) bestPsnr = psnr, best = &p;
  }
  ASSERT_NE(best, nullptr);
  EXPECT_NEAR(best->time, 5.0, 0.001);

  // Rates over the 5 seconds the payload holds (whole seconds of sound S = 5).
  std::uintmax_t audioBytes = 0, videoBytes = 0;
  for (const auto& e : fs::directory_iterator(out())) {
    const std::string name = e.path().filename().string();
    if (name.ends_with("bps.audio.zq48")) audioBytes = e.file_size() - kAudioHeadersSize;
    if (name.ends_with("bps.video.zq48")) videoBytes = e.file_size() - kVideoHeadersSize;
  }
  EXPECT_EQ(v.audio.bitRate, static_cast<std::uint32_t>(audioBytes * 8 / 5));
  EXPECT_EQ(v.video.bitRate, static_cast<std::uint32_t>(videoBytes * 8 / 5));
}

// A one-second range keeps its sound.
TEST_F(RealWorldStreams, OneSecondRangeKeepsItsSound) {
  const std::string input = dir_.File("clip.avi");
  testing::WriteAvi(input, testing::ClipSpec{.seconds = 4.0});
  ASSERT_EQ(Encode(input, "--begin 1 --end 2"), 0) << Errors();
  std::vector<Variant> package = ReadPackage(out());
  ASSERT_EQ(package.size(), 1u);
  EXPECT_GT(package[0].audio.bitRate, 0u);
  EXPECT_EQ(package[0].file.durationUs, 1'000'000u);
  EXPECT_EQ(package[0].pictures.pictures.size(), 15u);
}

// Two recordings joined into one transport stream: the time stamps start
// again at the join, and the pictures still cover the whole length.
TEST_F(RealWorldStreams, JoinedRecordingsKeepPicturesForTheirWholeLength) {
  StreamClip clip;
  clip.sound = {{3.0, 48000, 2}};
  const std::string first = dir_.File("first.ts"), second = dir_.File("second.ts"), joined = dir_.File("joined.ts");
  testing::WriteStreamClip(first, clip);
  testing::WriteStreamClip(second, clip);
  testing::JoinFiles(first, second, joined);
  ASSERT_EQ(Encode(joined), 0) << Errors();
  std::vector<Variant> package = ReadPackage(out());
  ASSERT_EQ(package.size(), 1u);
  EXPECT_NEAR(package[0].soundSeconds(), 6.0, 0.15);
  EXPECT_NEAR(static_cast<double>(package[0].pictures.pictures.size()), 90.0, 3.0);
}

}  // namespace
}  // namespace zq48
