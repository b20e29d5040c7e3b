#include "audio/audio_encoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <thread>

#include "audio/audio_grabber.h"
#include "audio/audio_test_support.h"
#include "support/elementary_decoder.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::AudioJob;
using testing::Bytes;
using testing::CodecLog;
using testing::TempDir;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

SoundSettings AudioFilter(int channels, int sampleRate, int kbps) {
  return SoundSettings{channels, sampleRate, kbps, 1.0f};
}

// The full-scale values a codec must see for 16-bit PCM, one channel of it.
std::vector<int> FullScale16(const Bytes& pcm, int channels, int channel) {
  std::vector<int> out;
  for (std::size_t i = 2 * channel; i + 1 < pcm.size(); i += 2 * channels) {
    auto s = static_cast<std::int16_t>(pcm[i] | pcm[i + 1] << 8);
    out.push_back(s * 65536);
  }
  return out;
}

// An encoder writing into a fresh audio stream file, over the real codec or
// over a fast stand-in with 1152-sample frames; both record every call.
class EncoderFixture : public ::testing::Test {
 protected:
  explicit EncoderFixture(bool realCodec)
      : encoder_(realCodec ? testing::RecordingLame(log_) : testing::RecordingFake(log_, 1152)) {}
  void SetUp() override { job_.OpenAudioFile(path_); }

  // Feeds `pcm` in chunks of `chunk` bytes; false at the first failed append.
  bool Feed(const Bytes& pcm, std::size_t chunk) {
    for (std::size_t at = 0; at < pcm.size(); at += chunk) {
      if (!encoder_.Append(pcm.data() + at, std::min(chunk, pcm.size() - at))) return false;
    }
    return true;
  }

  Bytes Payload() const {
    Bytes file = testing::ReadFile(path_);
    return Bytes(file.begin() + kHeaderSize, file.end());
  }

  std::uint64_t StoredSampleCount() {
    return job_.variant.streams.audioSamples;
  }

  // Every write to the audio stream file fails from now on.
  static void UseWriteFailingFile(AudioJob& job) {
    job.variant.streams.audio = std::move(*StreamFile::Create("/dev/full"));
  }

  const Message& OnlyMessage() {
    messages_ = job_.notifier.messages();
    EXPECT_EQ(messages_.size(), 1u);
    if (messages_.empty()) messages_.push_back({});
    return messages_.front();
  }

  ScopedEnv noExtraOptions_{"LAMEOPT", nullptr};
  TempDir dir_;
  std::string path_ = dir_.File("clip.audio.zq48");
  AudioJob job_;
  std::vector<Message> messages_;
  std::shared_ptr<CodecLog> log_ = std::make_shared<CodecLog>();
  AudioEncoder encoder_;
};

class AudioEncoderTest : public EncoderFixture {
 protected:
  AudioEncoderTest() : EncoderFixture(true) {}
};

class AudioStaging : public EncoderFixture {
 protected:
  AudioStaging() : EncoderFixture(false) {}
};

const PcmFormat kMono16At8000{1, 8000, 16};

// --- Opening ----------------------------------------------------------------

TEST_F(AudioEncoderTest, OpenFailsWithoutAnAudioFileAndCreatesNoCodec) {
  AudioJob noFile;
  EXPECT_FALSE(encoder_.Open(kMono16At8000, noFile.outputs, AudioFilter(1, 8000, 16)));
  ASSERT_EQ(noFile.notifier.messages().size(), 1u);
  const Message m = noFile.notifier.messages()[0];
  EXPECT_EQ(m.text, "Error handle of file");
  EXPECT_EQ(m.caption, "Error");
  EXPECT_EQ(m.presentation, Presentation::SystemBox);
  EXPECT_EQ(log_->opened, 0);
}

TEST_F(AudioEncoderTest, OpenFailsForAFilterWithoutOneOrTwoChannels) {
  EXPECT_FALSE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(0, 8000, 16)));
  EXPECT_FALSE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(3, 8000, 16)));
  EXPECT_EQ(job_.notifier.texts(),
            (std::vector<std::string>{"Error mono stereo", "Error mono stereo"}));
  EXPECT_EQ(log_->opened, 0);  // no encoder context was created
  // Nothing to encode, nothing appended.
  EXPECT_FALSE(encoder_.Append(Bytes(64).data(), 64));
  EXPECT_EQ(job_.notifier.texts().size(), 2u);
}

TEST_F(AudioEncoderTest, OpenRefusesPcmItCannotRead) {
  for (PcmFormat bad : {PcmFormat{1, 8000, 12}, PcmFormat{1, 8000, 0}, PcmFormat{6, 48000, 16},
                        PcmFormat{0, 8000, 16}, PcmFormat{2, 0, 16}}) {
    EXPECT_FALSE(encoder_.Open(bad, job_.outputs, AudioFilter(1, 8000, 16)));
  }
  EXPECT_EQ(job_.notifier.texts(),
            std::vector<std::string>(5, "Error opening encoding stream audio"));
  EXPECT_EQ(log_->opened, 0);
}

TEST_F(AudioEncoderTest, AnOptionTheParserRejectsInLameoptFailsTheOpen) {
  ScopedEnv extra("LAMEOPT", "-b 32 --vbr-new");
  EXPECT_FALSE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  EXPECT_EQ(OnlyMessage().text, "Error opening encoding stream audio");
  EXPECT_EQ(OnlyMessage().presentation, Presentation::SystemBox);
  EXPECT_EQ(log_->opened, 0);
}

TEST_F(AudioEncoderTest, TheStagesOwnArgumentsOverrideLameopt) {
  ScopedEnv extra("LAMEOPT", "-b 128 -q 9 -m j --resample 44100 --scale 3");
  ASSERT_TRUE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  const LameSettings& s = log_->setup.settings;
  EXPECT_EQ(s.bitRateKbps, 16);
  EXPECT_EQ(s.quality, 0);
  EXPECT_EQ(s.mode, Mp3ChannelMode::Mono);
  EXPECT_EQ(s.outSampleRate, 8000);
  EXPECT_EQ(s.scale, 1.0f);
  EXPECT_EQ(log_->setup.inputChannels, 1);
  EXPECT_EQ(log_->setup.inputSampleRate, 8000);

  ASSERT_TRUE(encoder_.Append(testing::Tone16(1, 8000, 8000).data(), 16000));
  ASSERT_TRUE(encoder_.Close());
  testing::DecodedMp3 mp3 = testing::DecodeMp3(Payload());
  EXPECT_EQ(mp3.errors, 0);
  EXPECT_EQ(mp3.frameKbps, std::set<int>{16});  // what the library really encoded at
}

// --- How the PCM is cut into encode calls ------------------------------------

TEST_F(AudioEncoderTest, PcmEndingOnAFrameBoundaryEndsWithOneWholeFrame) {
  ASSERT_TRUE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  const Bytes pcm = testing::Tone16(1, 8000, 10 * 576);  // 8000 Hz out: 576 samples a frame
  ASSERT_TRUE(Feed(pcm, 1000));
  EXPECT_TRUE(log_->calls.empty()) << "everything fits the staging block";
  ASSERT_TRUE(encoder_.Close());
  EXPECT_EQ(log_->calls, std::vector<int>(10, 576));
  EXPECT_EQ(log_->flushes, 1);
  EXPECT_EQ(log_->left, FullScale16(pcm, 1, 0));  // nothing more, nothing less
  EXPECT_EQ(log_->right, std::vector<int>(pcm.size() / 2, 0));
  EXPECT_EQ(StoredSampleCount(), 5760u);
  EXPECT_EQ(log_->released, 1);
}

TEST_F(AudioEncoderTest, PcmEndingMidFrameEndsWithAShortCall) {
  ASSERT_TRUE(encoder_.Open(PcmFormat{2, 8000, 16}, job_.outputs, AudioFilter(1, 8000, 16)));
  const Bytes pcm = testing::Tone16(2, 8000, 3 * 576 + 100);
  ASSERT_TRUE(Feed(pcm, 4096));
  // A stray byte that makes no whole sample is never encoded.
  const std::uint8_t stray = 0x7F;
  ASSERT_TRUE(encoder_.Append(&stray, 1));
  ASSERT_TRUE(encoder_.Close());
  EXPECT_EQ(log_->calls, (std::vector<int>{576, 576, 576, 100}));
  EXPECT_EQ(log_->left, FullScale16(pcm, 2, 0));
  EXPECT_EQ(log_->right, FullScale16(pcm, 2, 1));
  EXPECT_EQ(encoder_.SampleTotal(), 3u * 576 + 100);
  EXPECT_EQ(StoredSampleCount(), 3u * 576 + 100);
}

TEST_F(AudioStaging, AChunkThatDoesNotFitTriggersABurstAndEveryByteIsEncodedOnce) {
  // 24-bit stereo: 6-byte sample blocks that the 4096-byte chunks cut anywhere.
  const PcmFormat format{2, 44100, 24};
  ASSERT_TRUE(encoder_.Open(format, job_.outputs, AudioFilter(2, 44100, 64)));
  Bytes pcm(3 * PcmStaging::kCapacity + 5);
  for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<std::uint8_t>(i * 7 + i / 251);

  std::size_t firstBurstAt = 0;
  for (std::size_t at = 0; at < pcm.size(); at += 4096) {
    ASSERT_TRUE(encoder_.Append(pcm.data() + at, std::min<std::size_t>(4096, pcm.size() - at)));
    if (firstBurstAt == 0 && !log_->calls.empty()) firstBurstAt = at + 4096;
  }
  // The first burst comes with the chunk that would fill the block.
  EXPECT_GT(firstBurstAt, PcmStaging::kCapacity - 4096);
  EXPECT_LE(firstBurstAt, PcmStaging::kCapacity + 4096);
  ASSERT_TRUE(encoder_.Close());

  const std::size_t samples = pcm.size() / 6;
  ASSERT_EQ(log_->left.size(), samples);
  for (std::size_t i = 0; i < samples; ++i) {
    const std::uint8_t* p = &pcm[i * 6];
    int left = static_cast<int>(std::uint32_t(p[0]) << 8 | std::uint32_t(p[1]) << 16 |
                                std::uint32_t(p[2]) << 24);
    int right = static_cast<int>(std::uint32_t(p[3]) << 8 | std::uint32_t(p[4]) << 16 |
                                 std::uint32_t(p[5]) << 24);
    ASSERT_EQ(log_->left[i], left) << "sample " << i;
    ASSERT_EQ(log_->right[i], right) << "sample " << i;
  }
  for (std::size_t i = 0; i + 1 < log_->calls.size(); ++i) ASSERT_EQ(log_->calls[i], 1152);
  EXPECT_EQ(StoredSampleCount(), samples);
  // One byte per call and one for the flush, after the zeroed header.
  EXPECT_EQ(Payload().size(), log_->calls.size() + 1);
}

TEST_F(AudioStaging, AChunkAlmostAsLargeAsTheBlockStillFitsAfterABurst) {
  ASSERT_TRUE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  Bytes small(3000, 0x11), huge(PcmStaging::kCapacity - 1, 0x22);
  ASSERT_TRUE(encoder_.Append(small.data(), small.size()));
  ASSERT_TRUE(encoder_.Append(huge.data(), huge.size()));
  ASSERT_TRUE(encoder_.Close());
  ASSERT_EQ(log_->left.size(), (small.size() + huge.size()) / 2);
  EXPECT_EQ(log_->left.front(), 0x1111 * 65536);
  EXPECT_EQ(log_->left[1499], 0x1111 * 65536);
  EXPECT_EQ(log_->left[1500], 0x2222 * 65536);
  EXPECT_EQ(log_->left.back(), 0x2222 * 65536);
}

TEST_F(AudioStaging, NullAndOversizedChunksAreRefusedAndTheEncoderGoesOn) {
  ASSERT_TRUE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  Bytes tooBig(PcmStaging::kCapacity);
  EXPECT_FALSE(encoder_.Append(nullptr, 10));
  EXPECT_FALSE(encoder_.Append(tooBig.data(), tooBig.size()));
  for (const Message& m : job_.notifier.messages()) {
    EXPECT_EQ(m.caption, "Error");
    EXPECT_EQ(m.presentation, Presentation::SystemBox);
  }
  EXPECT_EQ(job_.notifier.texts(),
            (std::vector<std::string>{"Error encoder audio", "Error encoder audio, no memory"}));
  EXPECT_TRUE(encoder_.Append(tooBig.data(), 2000));
  EXPECT_TRUE(encoder_.Close());
  EXPECT_EQ(StoredSampleCount(), 1000u);
}

TEST_F(AudioStaging, NothingAppendedMeansNothingEncodedOrFlushed) {
  ASSERT_TRUE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  EXPECT_TRUE(encoder_.Close());
  EXPECT_EQ(log_->flushes, 0);
  EXPECT_TRUE(Payload().empty());
  EXPECT_EQ(log_->released, 1);
}

// --- Failures -----------------------------------------------------------------

TEST_F(AudioStaging, AFailedEncodeReleasesTheCodecOnceAndEndsStreaming) {
  log_->failAtCall = 2;
  ASSERT_TRUE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  Bytes pcm(PcmStaging::kCapacity - 10);
  ASSERT_TRUE(encoder_.Append(pcm.data(), pcm.size()));
  EXPECT_FALSE(encoder_.Append(pcm.data(), 100));  // the burst fails at its third frame
  EXPECT_EQ(OnlyMessage().text, "encoder audio failed");
  EXPECT_EQ(log_->released, 1);
  EXPECT_FALSE(encoder_.Append(pcm.data(), 100));  // quietly: the failure was reported
  EXPECT_EQ(job_.notifier.messages().size(), 1u);
  EXPECT_TRUE(encoder_.Close());
  EXPECT_EQ(log_->released, 1);
  EXPECT_EQ(log_->flushes, 0);
  EXPECT_EQ(StoredSampleCount(), 3u * 1152);  // handed to the codec, the failed call included
}

TEST_F(AudioStaging, AFailedWriteWhileStreamingReleasesTheCodec) {
  ASSERT_TRUE(encoder_.Open(kMono16At8000, job_.outputs, AudioFilter(1, 8000, 16)));
  UseWriteFailingFile(job_);
  Bytes pcm(PcmStaging::kCapacity - 10);
  ASSERT_TRUE(encoder_.Append(pcm.data(), pcm.size()));
  EXPECT_FALSE(encoder_.Append(pcm.data(), 100));
  EXPECT_EQ(OnlyMessage().text, "Output audio file write error 01");
  EXPECT_EQ(log_->released, 1);
}

TEST_F(AudioStaging, FailuresWhileFinishingNameTheirStepAndAreReportedByClose) {
  struct Case {
    std::size_t samples;
    int failAtCall;  // -1: the encode calls succeed
    bool fullDisk;
    const char* text;
  };
  // 3 whole frames and a short one: calls 0..2 are whole, call 3 is the last.
  const std::size_t kSome = 3 * 1152 + 7;
  for (Case c : {Case{kSome, 1, false, "Error encoder audio my_lame_encode_buffer_int2"},
                 Case{kSome, 3, false, "Error encoder audio my_encode_buffer_int3"},
                 Case{kSome, -1, true, "Output audio file write error 02"},
                 Case{500, -1, true, "Output audio file write error 03"}}) {
    auto log = std::make_shared<CodecLog>();
    log->failAtCall = c.failAtCall;
    AudioJob job;
    job.OpenAudioFile(path_);
    AudioEncoder encoder(testing::RecordingFake(log, 1152));
    ASSERT_TRUE(encoder.Open(kMono16At8000, job.outputs, AudioFilter(1, 8000, 16)));
    if (c.fullDisk) UseWriteFailingFile(job);
    Bytes pcm(c.samples * 2);
    ASSERT_TRUE(encoder.Append(pcm.data(), pcm.size()));
    EXPECT_FALSE(encoder.Close());
    EXPECT_EQ(job.notifier.texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(log->released, 1);
    EXPECT_EQ(log->flushes, 0);
  }
}

// --- Real MP3 out ---------------------------------------------------------------

// Decoded length against input length, both in seconds. LAME's stream starts
// with the encoder delay (576 samples of the output rate) plus the synthesis
// filter's 529, and the last frame is padded; what remains must be within
// one frame of the input.
void ExpectDurationWithinAFrame(const testing::DecodedMp3& mp3, double inputSeconds) {
  const int frame = mp3.sampleRate >= 32000 ? 1152 : 576;
  const double decoded = static_cast<double>(mp3.samples - 576 - 529) / mp3.sampleRate;
  EXPECT_NEAR(decoded, inputSeconds, static_cast<double>(frame) / mp3.sampleRate)
      << mp3.samples << " samples decoded at " << mp3.sampleRate << " Hz";
}

TEST_F(AudioEncoderTest, StereoInputIntoAMonoFilterDecodesAsMonoAtTheFiltersRate) {
  const PcmFormat input{2, 22050, 16};
  ASSERT_TRUE(encoder_.Open(input, job_.outputs, AudioFilter(1, 8000, 16)));
  EXPECT_EQ(log_->setup.inputChannels, 2);  // the codec downmixes, not us
  EXPECT_EQ(log_->setup.settings.mode, Mp3ChannelMode::Mono);
  const int samples = 2 * 22050 + 333;
  ASSERT_TRUE(Feed(testing::Tone16(2, 22050, samples), 4096));
  ASSERT_TRUE(encoder_.Close());

  testing::DecodedMp3 mp3 = testing::DecodeMp3(Payload());
  EXPECT_EQ(mp3.errors, 0);
  EXPECT_EQ(mp3.sampleRate, 8000);
  EXPECT_EQ(mp3.channels, 1);
  ExpectDurationWithinAFrame(mp3, static_cast<double>(samples) / 22050);
  EXPECT_EQ(encoder_.SampleTotal(), static_cast<std::uint64_t>(samples));
  EXPECT_EQ(StoredSampleCount(), static_cast<std::uint64_t>(samples));
}

TEST_F(AudioEncoderTest, EightBitStereoIntoAStereoFilterDecodesAsStereo) {
  const PcmFormat input{2, 11025, 8};
  ASSERT_TRUE(encoder_.Open(input, job_.outputs, AudioFilter(2, 22000, 32)));
  EXPECT_EQ(log_->setup.settings.outSampleRate, 22050);
  Bytes pcm(2 * 3 * 11025);
  for (std::size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<std::uint8_t>(128 + 60 * std::sin((i / 2) * (i % 2 ? 0.2 : 0.3)));
  ASSERT_TRUE(Feed(pcm, 4096));
  ASSERT_TRUE(encoder_.Close());

  testing::DecodedMp3 mp3 = testing::DecodeMp3(Payload());
  EXPECT_EQ(mp3.errors, 0);
  EXPECT_EQ(mp3.sampleRate, 22050);
  EXPECT_EQ(mp3.channels, 2);
  EXPECT_EQ(mp3.frameKbps, std::set<int>{32});
  ExpectDurationWithinAFrame(mp3, 3.0);
  EXPECT_EQ(StoredSampleCount(), 3u * 11025);
}

// The filter's volume reaches the sound: a quarter volume decodes at a
// quarter of the amplitude (a 440 Hz tone of amplitude 12000 has RMS 8485).
TEST_F(AudioEncoderTest, TheVolumeFactorScalesTheEncodedSound) {
  const PcmFormat input{1, 22050, 16};
  SoundSettings f = AudioFilter(1, 22050, 64);
  f.volume = 0.25f;
  ASSERT_TRUE(encoder_.Open(input, job_.outputs, f));
  ASSERT_TRUE(Feed(testing::Tone16(1, 22050, 2 * 22050), 4096));
  ASSERT_TRUE(encoder_.Close());
  double sum = 0;
  std::int64_t count = 0;
  testing::DecodeElementaryStream(AV_CODEC_ID_MP3, Payload(), nullptr, [&](const AVFrame& frame) {
    const auto* s = reinterpret_cast<const float*>(frame.extended_data[0]);
    for (int i = 0; i < frame.nb_samples; ++i, ++count)
      if (count > 22050 / 2 && count < 3 * 22050 / 2) sum += double(s[i]) * s[i] * 32768.0 * 32768.0;
  });
  const double rms = std::sqrt(sum / (22050.0));
  EXPECT_NEAR(rms, 8485.0 * 0.25, 8485.0 * 0.03);
}

// --- The general source's sound sink ---------------------------------------------

TEST_F(AudioEncoderTest, GrabberPublishesThePositionAndFeedsTheEncoder) {
  AudioGrabber grabber(testing::RecordingFake(log_, 576));
  EXPECT_EQ(grabber.BufferCB(0.0, Bytes(4).data(), 4), CallbackResult::Fail);  // before Init

  WaveFormat format{1, 2, 8000, 32000, 4, 16, 0};
  ASSERT_TRUE(grabber.Init(format, job_.outputs, AudioFilter(1, 8000, 16)));
  EXPECT_EQ(log_->setup.inputChannels, 2);
  EXPECT_EQ(log_->setup.inputSampleRate, 8000);

  const Bytes pcm = testing::Tone16(2, 8000, 4000);
  EXPECT_EQ(grabber.BufferCB(0.25, pcm.data(), static_cast<long>(pcm.size())), CallbackResult::Ok);
  EXPECT_EQ(job_.AudioProgress(), 0.25);
  EXPECT_EQ(grabber.BufferCB(0.5, nullptr, 16), CallbackResult::Fail);
  EXPECT_EQ(static_cast<std::uint32_t>(CallbackResult::Fail), 0x80004005u);
  EXPECT_EQ(job_.notifier.texts(), std::vector<std::string>{"Error encoder audio"});
  EXPECT_EQ(job_.AudioProgress(), 0.5);

  EXPECT_TRUE(grabber.Close());
  EXPECT_EQ(StoredSampleCount(), 4000u);
  EXPECT_EQ(log_->left, FullScale16(pcm, 2, 0));
}

// The sound callback runs on the pipeline's thread while the progress view
// reads the position: appends land whole at the end, and the position is
// read under its lock.
TEST_F(AudioStaging, AppendsLandAtTheEndWhileTheFrontEndReadsTheProgress) {
  AudioGrabber grabber(testing::RecordingFake(log_, 1152));
  ASSERT_TRUE(grabber.Init(WaveFormat{1, 1, 8000, 16000, 2, 16, 0}, job_.outputs,
                           AudioFilter(1, 8000, 16)));
  const Bytes chunk(4096, 0x01);
  const int chunks = 3 * static_cast<int>(PcmStaging::kCapacity / chunk.size());
  std::atomic<bool> done = false;
  std::thread driver([&] {
    while (!done) job_.AudioProgress();
  });
  for (int i = 0; i < chunks; ++i) {
    ASSERT_EQ(grabber.BufferCB(i * 0.25, chunk.data(), static_cast<long>(chunk.size())),
              CallbackResult::Ok);
  }
  done = true;
  driver.join();
  ASSERT_TRUE(grabber.Close());

  Bytes file = testing::ReadFile(path_);
  ASSERT_EQ(file.size(), kHeaderSize + log_->calls.size() + 1);  // one byte a call, and the flush
  EXPECT_EQ(Bytes(file.begin() + kHeaderSize, file.end()), Bytes(file.size() - kHeaderSize, 0xFF));
  EXPECT_EQ(StoredSampleCount(), static_cast<std::uint64_t>(chunks) * chunk.size() / 2);
}

}  // namespace
}  // namespace zq48
