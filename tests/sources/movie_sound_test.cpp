// Movie-file sound from real movie files: compressed sound descriptions,
// many channels, converter rebuilds, and the sound worker's messages.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>

#include "audio/audio_test_support.h"
#include "container/metafile.h"
#include "sources/ffmpeg_movie_media.h"
#include "encode/pipeline/movie_audio_worker.h"
#include "sources/movie_sound_converter.h"
#include "support/movie_test_media.h"
#include "support/null_job_host.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::MovieSpec;
using testing::TempDir;

MovieSpec Sound(const char* codec, int channels = 1) {
  return MovieSpec{.width = 64, .height = 48, .seconds = 2.0, .sound = codec, .sampleRate = 22050,
                   .channels = channels};
}

TEST(MovieSoundDescription, CompressedSoundDecompressesToSixteenBits) {
  TempDir dir;
  FfmpegMovieMedia media;
  const std::pair<const char*, int> cases[] = {
      {"adpcm_ima_qt", 16}, {"pcm_mulaw", 16}, {"pcm_alaw", 16}, {"pcm_s16be", 16}, {"pcm_u8", 8}};
  for (const auto& [codec, bits] : cases) {
    SCOPED_TRACE(codec);
    std::string path = dir.File("sound.mov");
    testing::WriteMovieFile(path, Sound(codec));
    std::optional<MovieFacts> facts = media.OpenMovie(path);
    ASSERT_TRUE(facts);
    ASSERT_TRUE(facts->sound);
    EXPECT_EQ(facts->sound->sampleSize, bits);
    EXPECT_EQ(facts->sound->channels, 1);
  }
}

// Reads a movie's whole sound converted to `format`.
std::vector<std::uint8_t> ConvertAll(const std::string& path, const PcmFormat& format) {
  int error = 0;
  std::unique_ptr<MovieSoundSource> sound = OpenMovieSound(path, format, 0, 0, &error);
  EXPECT_EQ(error, 0);
  std::vector<std::uint8_t> pcm;
  if (!sound) return pcm;
  std::uint8_t chunk[4096];
  for (int n; (n = sound->Read(chunk, sizeof chunk)) > 0;) pcm.insert(pcm.end(), chunk, chunk + n);
  return pcm;
}

// Root mean square of one channel of interleaved 16-bit PCM.
double Level(const std::vector<std::uint8_t>& pcm, int channels, int channel) {
  double sum = 0;
  const std::size_t frames = pcm.size() / (2 * channels);
  for (std::size_t i = 0; i < frames; ++i) {
    const std::size_t at = (i * channels + channel) * 2;
    const double v = static_cast<std::int16_t>(pcm[at] | pcm[at + 1] << 8);
    sum += v * v;
  }
  return frames ? std::sqrt(sum / frames) : 0;
}

TEST(MovieSoundDescription, CompressedSoundConvertsOverItsWholeLength) {
  TempDir dir;
  for (const char* codec : {"adpcm_ima_qt", "pcm_mulaw", "pcm_alaw"}) {
    SCOPED_TRACE(codec);
    std::string path = dir.File("sound.mov");
    testing::WriteMovieFile(path, Sound(codec));
    std::vector<std::uint8_t> pcm = ConvertAll(path, PcmFormat{1, 22050, 16});
    EXPECT_NEAR(pcm.size() / 2 / 22050.0, 2.0, 0.1);
    EXPECT_NEAR(Level(pcm, 1, 0), 9000 / std::sqrt(2.0), 600);  // the tone, not noise
  }
}

TEST(MovieSoundChannels, ManyChannelsAreMixedDownToStereo) {
  TempDir dir;
  for (int channels : {6, 16}) {
    SCOPED_TRACE(channels);
    std::string path = dir.File("surround.mov");
    testing::WriteMovieFile(path, Sound(channels == 6 ? "pcm_alaw" : "pcm_s16le", channels));
    FfmpegMovieMedia media;
    std::optional<MovieFacts> facts = media.OpenMovie(path);
    ASSERT_TRUE(facts && facts->sound);
    EXPECT_EQ(facts->sound->channels, channels);
    std::vector<std::uint8_t> pcm = ConvertAll(path, PcmFormat{2, 22050, 16});
    EXPECT_NEAR(pcm.size() / 4 / 22050.0, 2.0, 0.1);
    EXPECT_GT(Level(pcm, 2, 0), 500);
    EXPECT_GT(Level(pcm, 2, 1), 500);
  }
}

// A frame of `channels` channels whose every sample is `value`.
ff::FramePtr Frame(AVSampleFormat format, int channels, int rate, int samples, float value) {
  ff::FramePtr frame(av_frame_alloc());
  frame->format = format;
  frame->sample_rate = rate;
  frame->nb_samples = samples;
  av_channel_layout_default(&frame->ch_layout, channels);
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  const bool planar = av_sample_fmt_is_planar(format);
  for (int c = 0; c < (planar ? channels : 1); ++c)
    for (int i = 0; i < samples * (planar ? 1 : channels); ++i) {
      if (av_get_packed_sample_fmt(format) == AV_SAMPLE_FMT_FLT)
        reinterpret_cast<float*>(frame->extended_data[c])[i] = value;
      else
        reinterpret_cast<std::int16_t*>(frame->extended_data[c])[i] = static_cast<std::int16_t>(value * 32767);
    }
  return frame;
}

TEST(MovieSoundChannels, TheConverterFollowsFormatChangesAndKeepsItsOwn) {
  MovieSoundConverter converter(PcmFormat{2, 8000, 16});
  std::vector<std::uint8_t> out;
  // Mono 16-bit at 8 kHz, then 5.1 floats at 16 kHz, then 16 planes of 16-bit at 8 kHz.
  ASSERT_TRUE(converter.Convert(*Frame(AV_SAMPLE_FMT_S16, 1, 8000, 800, 0.25f), 0, 800, out));
  ASSERT_TRUE(converter.Convert(*Frame(AV_SAMPLE_FMT_FLTP, 6, 16000, 1600, 0.25f), 0, 1600, out));
  ASSERT_TRUE(converter.Convert(*Frame(AV_SAMPLE_FMT_S16P, 16, 8000, 800, 0.25f), 200, 600, out));
  converter.Drain(out);
  EXPECT_EQ(out.size() % 4, 0u);
  // 800 + 800 + 600 stereo frames, give or take the resampler's filter.
  EXPECT_NEAR(static_cast<double>(out.size()) / 4, 2200, 40);
  for (int c = 0; c < 2; ++c) EXPECT_GT(Level(out, 2, c), 2000);
}

// A sound source that has four chunks of silence.
class Silence : public MovieSoundSource {
 public:
  int Read(std::uint8_t* out, int capacity) override {
    if (left_ == 0) return 0;
    --left_;
    std::fill(out, out + capacity, 0);
    return capacity;
  }
  std::int64_t CurrentSeconds() const override { return 0; }

 private:
  int left_ = 4;
};

TEST(MovieSoundMessages, AFailedAppendShowsOnlyItsOwnMessage) {
  testing::AudioJob job;
  AudioEncoder never;  // never opened: every append fails
  Silence sound;
  EXPECT_EQ(ConvertMovieSound(sound, {{&never, &job.notifier}}, job.state, [](double) {}), 0);
  EXPECT_EQ(job.notifier.texts(), std::vector<std::string>{"Error encode audio 2"});
}

int RunCli(const std::string& args) {
  int raw = std::system((std::string(ZQ48ENC_PATH) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(MovieSoundJob, CompressedAndSurroundSoundIsEncodedInEveryVariant) {
  TempDir dir;
  const std::pair<const char*, MovieSpec> movies[] = {
      {"ima4", Sound("adpcm_ima_qt")}, {"ulaw", Sound("pcm_mulaw")}, {"surround", Sound("pcm_alaw", 6)}};
  std::string args = "-o '" + dir.File("out") + "'";
  for (const auto& [name, movie] : movies) {
    testing::WriteMovieFile(dir.File(std::string(name) + ".mov"), movie);
    args += " '" + dir.File(std::string(name) + ".mov") + "'";
  }
  ASSERT_EQ(RunCli(args), 0);
  for (const auto& [name, movie] : movies) {
    SCOPED_TRACE(name);
    const std::string base = dir.File("out") + "/" + name;
    std::optional<Metafile> meta = ReadMetafile(base + ".meta.zq48", nullptr);
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->videoRates.size(), 3u);
    ASSERT_EQ(meta->audioRates.size(), meta->videoRates.size());
    for (std::uint32_t rate : meta->audioRates) {
      testing::Bytes bytes = testing::ReadFile(base + "_" + std::to_string(rate) + "bps.audio.zq48");
      testing::DecodedMp3 mp3 = testing::DecodeMp3({bytes.begin() + 12, bytes.end()});
      EXPECT_EQ(mp3.errors, 0);
      // The encoder adds its own delay and pads the last frame: about 0.15 s.
      EXPECT_NEAR(static_cast<double>(mp3.samples) / mp3.sampleRate, 2.0 + 0.15, 0.15);
    }
  }
}

}  // namespace
}  // namespace zq48
