#include "encode/pipeline/audio_stream_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "audio/audio_test_support.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::AudioJob;
using testing::Bytes;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(AudioStreamFiles, AreNamedAfterTheOutputBasePath) {
  AudioStreamNames names = AudioStreamNamesFor("/out/clip_1.zq48");
  EXPECT_EQ(names.audio, "/out/clip_1.audio.zq48");
  EXPECT_EQ(names.minimal, "/out/clip_1.min.audio.zq48");
  names = AudioStreamNamesFor("/out/My_Movie__dr40_fr15.00_w128_h96_Ch1_Sr8000_Br8.zq48");
  EXPECT_EQ(names.audio, "/out/My_Movie__dr40_fr15.00_w128_h96_Ch1_Sr8000_Br8.audio.zq48");
  // A path without the extension loses nothing of its own.
  EXPECT_EQ(AudioStreamNamesFor("/out/x").audio, "/out/x.audio.zq48");
}

VariantPlan PlanNamed(const std::string& basePath) {
  VariantPlan plan;
  plan.basePath = basePath;
  return plan;
}

class AudioStreamFilesCreate : public ::testing::Test {
 protected:
  std::string Base() const { return dir_.File("clip_1.zq48"); }
  std::string AudioPath() const { return dir_.File("clip_1.audio.zq48"); }
  std::string MinimalPath() const { return dir_.File("clip_1.min.audio.zq48"); }

  std::pair<bool, bool> OpenHandles() {
    return std::pair{job_.variant.streams.audio.IsOpen(), job_.variant.streams.minimalAudio.IsOpen()};
  }

  TempDir dir_;
  AudioJob job_{PlanNamed(Base())};
};

TEST_F(AudioStreamFilesCreate, TheGeneralSourceMakesBothFilesWithZeroedHeaders) {
  ASSERT_TRUE(CreateGeneralAudioFiles(job_.variant));
  EXPECT_EQ(testing::ReadFile(AudioPath()), Bytes(12, 0));
  EXPECT_EQ(testing::ReadFile(MinimalPath()), Bytes(12, 0));
  EXPECT_EQ(OpenHandles(), (std::pair{true, true}));
  EXPECT_EQ(job_.variant.streams.audioPath, AudioPath());
  EXPECT_EQ(job_.variant.streams.minimalAudioPath, MinimalPath());
  EXPECT_TRUE(job_.notifier.messages().empty());

  // The audio stage appends after the header; a new variant of the same
  // name starts the files again.
  job_.variant.streams.audio.AppendAtEnd("mp3", 3);
  EXPECT_EQ(fs::file_size(AudioPath()), 15u);
  ASSERT_TRUE(CreateGeneralAudioFiles(job_.variant));
  EXPECT_EQ(testing::ReadFile(AudioPath()), Bytes(12, 0));
}

TEST_F(AudioStreamFilesCreate, TheMovieSourceMakesNoMinimalFile) {
  ASSERT_TRUE(CreateMovieAudioFile(job_.variant));
  EXPECT_EQ(testing::ReadFile(AudioPath()), Bytes(12, 0));
  EXPECT_FALSE(fs::exists(MinimalPath()));
  EXPECT_EQ(OpenHandles(), (std::pair{true, false}));
  EXPECT_EQ(job_.variant.streams.minimalAudioPath, MinimalPath());  // named all the same
}

TEST_F(AudioStreamFilesCreate, CreationFailuresShowTheirMessages) {
  struct Case {
    std::string blocked;  // a folder in the way of this file
    bool general;
    Message expected;
  };
  const std::vector<Case> cases = {
      {MinimalPath(), true, {"Error create file audio min out", "Error", Presentation::SystemBox}},
      {AudioPath(), true, {"Error create file audio out", "Error", Presentation::SystemBox}},
      {AudioPath(), false, {"Can't create output file", "Error", Presentation::PlainBox}},
  };
  for (const Case& c : cases) {
    AudioJob job{PlanNamed(Base())};
    fs::create_directory(c.blocked);
    EXPECT_FALSE(c.general ? CreateGeneralAudioFiles(job.variant)
                           : CreateMovieAudioFile(job.variant));
    ASSERT_EQ(job.notifier.messages().size(), 1u) << c.expected.text;
    const Message m = job.notifier.messages()[0];
    EXPECT_EQ(m.text, c.expected.text);
    EXPECT_EQ(m.caption, c.expected.caption);
    EXPECT_EQ(m.presentation, c.expected.presentation);
    EXPECT_EQ(job.variant.streams.audioPath, AudioPath());  // the names stay
    fs::remove(c.blocked);
  }
}

TEST_F(AudioStreamFilesCreate, HeaderWriteFailuresUseTheApplicationsBox) {
  fs::create_symlink("/dev/full", AudioPath());
  EXPECT_FALSE(CreateGeneralAudioFiles(job_.variant));
  EXPECT_FALSE(CreateMovieAudioFile(job_.variant));
  std::vector<Message> messages = job_.notifier.messages();
  ASSERT_EQ(messages.size(), 2u);
  for (const Message& m : messages) {
    EXPECT_EQ(m.text, "Could not write HEADER_AUDIO to file");
    EXPECT_EQ(m.presentation, Presentation::AppBox);
  }

  AudioJob job{PlanNamed(Base())};
  fs::remove(AudioPath());
  fs::remove(MinimalPath());
  fs::create_symlink("/dev/full", MinimalPath());
  EXPECT_FALSE(CreateGeneralAudioFiles(job.variant));
  EXPECT_EQ(job.notifier.texts(),
            std::vector<std::string>{"Could not write HEADER_AUDIO to file min"});
}

// Finishing rewrites the zeroed header in place once the payload is known.
TEST(AudioStreamFilesComplete, TheRewrittenHeaderHoldsVersionBitRateAndPayloadSize) {
  TempDir dir;
  AudioJob job{PlanNamed(dir.File("clip.zq48"))};
  ASSERT_TRUE(CreateMovieAudioFile(job.variant));
  const std::string path = dir.File("clip.audio.zq48");
  const Bytes payload(40000, 0x5A);
  job.variant.streams.audio.AppendAtEnd(payload.data(), payload.size());
  auto header = [&path] {
    HeaderBytes bytes;
    std::copy_n(testing::ReadFile(path).begin(), kHeaderSize, bytes.begin());
    return DecodeAudio(bytes);
  };
  EXPECT_EQ(header(), (AudioHeader{0, 0, 0}));  // while being written

  const std::uint32_t dataSize = 40000, seconds = 20;
  const AudioHeader completed{kStreamVersion, dataSize * 8 / seconds, dataSize};
  ASSERT_TRUE(job.variant.streams.audio.WriteRecordAt(0, Encode(completed)));
  EXPECT_EQ(header(), (AudioHeader{2, 16000, 40000}));
  EXPECT_EQ(fs::file_size(path) - kHeaderSize, dataSize);
}

}  // namespace
}  // namespace zq48
