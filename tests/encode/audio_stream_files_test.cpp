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

class AudioStreamFilesCreate : public ::testing::Test {
 protected:
  std::string Base() const { return dir_.File("clip_1.zq48"); }
  std::string AudioPath() const { return dir_.File("clip_1.audio.zq48"); }
  std::string MinimalPath() const { return dir_.File("clip_1.min.audio.zq48"); }

  std::pair<bool, bool> OpenHandles() {
    return job_.state.audioFile.With([](const AudioFileSlot& s) {
      return std::pair{s.file.IsOpen(), s.minimal.IsOpen()};
    });
  }

  TempDir dir_;
  AudioJob job_;
};

TEST_F(AudioStreamFilesCreate, TheGeneralSourceMakesBothFilesWithZeroedHeaders) {
  ASSERT_TRUE(CreateGeneralAudioFiles(job_.context, Base()));
  EXPECT_EQ(testing::ReadFile(AudioPath()), Bytes(12, 0));
  EXPECT_EQ(testing::ReadFile(MinimalPath()), Bytes(12, 0));
  EXPECT_EQ(OpenHandles(), (std::pair{true, true}));
  VariantState v = job_.state.variant.Get();
  EXPECT_EQ(v.audioTempPath, AudioPath());
  EXPECT_EQ(v.minAudioTempPath, MinimalPath());
  EXPECT_TRUE(job_.notifier.messages().empty());

  // The audio stage appends after the header; a new variant of the same
  // name starts the files again.
  job_.state.audioFile.With([](AudioFileSlot& s) { return s.file.AppendAtEnd("mp3", 3); });
  EXPECT_EQ(fs::file_size(AudioPath()), 15u);
  ASSERT_TRUE(CreateGeneralAudioFiles(job_.context, Base()));
  EXPECT_EQ(testing::ReadFile(AudioPath()), Bytes(12, 0));
}

TEST_F(AudioStreamFilesCreate, TheMovieSourceMakesNoMinimalFile) {
  ASSERT_TRUE(CreateMovieAudioFile(job_.context, Base()));
  EXPECT_EQ(testing::ReadFile(AudioPath()), Bytes(12, 0));
  EXPECT_FALSE(fs::exists(MinimalPath()));
  EXPECT_EQ(OpenHandles(), (std::pair{true, false}));
  EXPECT_EQ(job_.state.variant.Get().minAudioTempPath, MinimalPath());  // named all the same
}

TEST_F(AudioStreamFilesCreate, AVariantWithoutAudioHoldsNoAudioFile) {
  ASSERT_TRUE(CreateGeneralAudioFiles(job_.context, Base()));
  ClearAudioStreamFile(job_.state);
  EXPECT_FALSE(OpenHandles().first);
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
    AudioJob job;
    fs::create_directory(c.blocked);
    EXPECT_FALSE(c.general ? CreateGeneralAudioFiles(job.context, Base())
                           : CreateMovieAudioFile(job.context, Base()));
    ASSERT_EQ(job.notifier.messages().size(), 1u) << c.expected.text;
    const Message m = job.notifier.messages()[0];
    EXPECT_EQ(m.text, c.expected.text);
    EXPECT_EQ(m.caption, c.expected.caption);
    EXPECT_EQ(m.presentation, c.expected.presentation);
    EXPECT_EQ(job.state.variant.Get().audioTempPath, AudioPath());  // the names stay
    fs::remove(c.blocked);
  }
}

TEST_F(AudioStreamFilesCreate, HeaderWriteFailuresUseTheApplicationsBox) {
  fs::create_symlink("/dev/full", AudioPath());
  EXPECT_FALSE(CreateGeneralAudioFiles(job_.context, Base()));
  EXPECT_FALSE(CreateMovieAudioFile(job_.context, Base()));
  std::vector<Message> messages = job_.notifier.messages();
  ASSERT_EQ(messages.size(), 2u);
  for (const Message& m : messages) {
    EXPECT_EQ(m.text, "Could not write HEADER_AUDIO to file");
    EXPECT_EQ(m.presentation, Presentation::AppBox);
  }

  AudioJob job;
  fs::remove(AudioPath());
  fs::remove(MinimalPath());
  fs::create_symlink("/dev/full", MinimalPath());
  EXPECT_FALSE(CreateGeneralAudioFiles(job.context, Base()));
  EXPECT_EQ(job.notifier.texts(),
            std::vector<std::string>{"Could not write HEADER_AUDIO to file min"});
}

// Finishing rewrites the zeroed header in place once the payload is known.
TEST(AudioStreamFilesComplete, TheRewrittenHeaderHoldsVersionBitRateAndPayloadSize) {
  TempDir dir;
  AudioJob job;
  ASSERT_TRUE(CreateMovieAudioFile(job.context, dir.File("clip.zq48")));
  const std::string path = dir.File("clip.audio.zq48");
  const Bytes payload(40000, 0x5A);
  job.state.audioFile.With(
      [&](AudioFileSlot& s) { s.file.AppendAtEnd(payload.data(), payload.size()); });
  auto header = [&path] {
    HeaderBytes bytes;
    std::copy_n(testing::ReadFile(path).begin(), kHeaderSize, bytes.begin());
    return DecodeAudio(bytes);
  };
  EXPECT_EQ(header(), (AudioHeader{0, 0, 0}));  // while being written

  const std::uint32_t dataSize = 40000, seconds = 20;
  const AudioHeader completed{kStreamVersion, dataSize * 8 / seconds, dataSize};
  ASSERT_TRUE(job.state.audioFile.With(
      [&](AudioFileSlot& s) { return s.file.WriteRecordAt(0, Encode(completed)); }));
  EXPECT_EQ(header(), (AudioHeader{2, 16000, 40000}));
  EXPECT_EQ(fs::file_size(path) - kHeaderSize, dataSize);
}

}  // namespace
}  // namespace zq48
