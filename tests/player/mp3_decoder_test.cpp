// The player archive's MP3 decoder against FFmpeg's decoder of the same
// LAME stream: every sampling rate family, channel mode, bit rate and coding
// tool the encoder can produce, then damaged streams.

#include <gtest/gtest.h>
#include <lame/lame.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/elementary_decoder.h"
#include "support/test_media.h"

namespace {

using zq48::testing::TempDir;

struct EncodeSetup {
  const char* name;
  int sampleRate;
  int channels;
  MPEG_mode mode;
  int kbps;
  bool abr = false;
  bool crc = false;
  bool forceMs = false;
  bool asStreamFile = true;  // with the 12-byte audio record in front, else a raw .mp3
};

std::ostream& operator<<(std::ostream& out, const EncodeSetup& s) { return out << s.name; }

struct Pcm {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // interleaved
  std::size_t frames() const { return channels ? samples.size() / channels : 0; }
};

// Three seconds that need every tool: a sweep (tonal, long blocks), a steady
// tone with noise bursts (attacks, so short blocks), the channels different
// enough for stereo coding to matter.
std::vector<std::int16_t> TestSignal(int rate, int channels, double seconds = 3.0) {
  const int n = static_cast<int>(rate * seconds);
  std::vector<std::int16_t> pcm(static_cast<std::size_t>(n) * channels);
  std::uint32_t noise = 12345;
  const double nyquist = rate / 2.0;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double sweep = 0.45 * std::sin(2 * M_PI * (80 + 0.4 * nyquist * t / seconds) * t);
    noise = noise * 1664525u + 1013904223u;
    const double burst = std::fmod(t, 0.5) > 0.42 ? (static_cast<int>(noise >> 16) - 32768) / 65536.0 : 0;
    const double tone = 0.3 * std::sin(2 * M_PI * 440 * t);
    if (channels == 1) {
      pcm[i] = static_cast<std::int16_t>(32767 * (0.7 * sweep + 0.5 * burst));
    } else {
      pcm[2 * i] = static_cast<std::int16_t>(32767 * (sweep + 0.3 * burst));
      pcm[2 * i + 1] = static_cast<std::int16_t>(32767 * (tone + 0.6 * burst + 0.2 * sweep));
    }
  }
  return pcm;
}

std::vector<std::uint8_t> EncodeMp3(const EncodeSetup& s) {
  std::vector<std::int16_t> pcm = TestSignal(s.sampleRate, s.channels);
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, s.sampleRate);
  lame_set_out_samplerate(lame, s.sampleRate);
  lame_set_num_channels(lame, s.channels);
  lame_set_mode(lame, s.mode);
  if (s.abr) {
    lame_set_VBR(lame, vbr_abr);
    lame_set_VBR_mean_bitrate_kbps(lame, s.kbps);
  } else {
    lame_set_brate(lame, s.kbps);
  }
  lame_set_error_protection(lame, s.crc ? 1 : 0);
  lame_set_force_ms(lame, s.forceMs ? 1 : 0);
  lame_set_bWriteVbrTag(lame, 0);
  lame_set_write_id3tag_automatic(lame, 0);
  EXPECT_GE(lame_init_params(lame), 0);
  const int frames = static_cast<int>(pcm.size() / s.channels);
  std::vector<std::uint8_t> out(frames * 5 / 4 + 7200 + 16384);
  int bytes = s.channels == 2
                  ? lame_encode_buffer_interleaved(lame, pcm.data(), frames, out.data(), out.size())
                  : lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, out.data(), out.size());
  EXPECT_GE(bytes, 0);
  int tail = lame_encode_flush(lame, out.data() + bytes, out.size() - bytes);
  EXPECT_GE(tail, 0);
  lame_close(lame);
  out.resize(bytes + tail);
  return out;
}

std::int16_t ToPcm16(float v) {
  return static_cast<std::int16_t>(std::clamp(std::lround(v * 32768.0f), -32768L, 32767L));
}

Pcm DecodeWithFfmpeg(const std::vector<std::uint8_t>& stream, int* errors) {
  Pcm pcm;
  *errors = zq48::testing::DecodeElementaryStream(AV_CODEC_ID_MP3, stream, nullptr, [&](const AVFrame& f) {
    pcm.sampleRate = f.sample_rate;
    pcm.channels = f.ch_layout.nb_channels;
    for (int i = 0; i < f.nb_samples; ++i) {
      for (int c = 0; c < pcm.channels; ++c) {
        switch (f.format) {
          case AV_SAMPLE_FMT_FLTP: pcm.samples.push_back(ToPcm16(reinterpret_cast<const float*>(f.data[c])[i])); break;
          case AV_SAMPLE_FMT_S16P: pcm.samples.push_back(reinterpret_cast<const std::int16_t*>(f.data[c])[i]); break;
          case AV_SAMPLE_FMT_S16: pcm.samples.push_back(reinterpret_cast<const std::int16_t*>(f.data[0])[i * pcm.channels + c]); break;
          default: ADD_FAILURE() << "unexpected sample format " << f.format; return;
        }
      }
    }
  });
  return pcm;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// What the archive's command line made of a file.
struct JavaDecode {
  int exitCode = -1;
  std::string out;
  std::string err;
  int rate = 0, channels = 0;
  long samples = -1;  // as printed
  Pcm wav;
};

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
         static_cast<std::uint8_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}

JavaDecode RunJavaDecoder(const TempDir& dir, const std::string& input) {
  const std::string wav = dir.File("out.wav");
  const std::string command = std::string("'") + ZQ48_JAVA + "' -cp '" + ZQ48_PLAYER_JAR + "' Mp3FileDecode '" +
                              input + "' '" + wav + "' >'" + dir.File("stdout.txt") + "' 2>'" +
                              dir.File("stderr.txt") + "'";
  JavaDecode r;
  const int status = std::system(command.c_str());
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  r.out = ReadText(dir.File("stdout.txt"));
  r.err = ReadText(dir.File("stderr.txt"));
  std::istringstream line(r.out);
  std::string word;
  if (line >> word && word == "audio:") line >> r.rate >> r.channels >> r.samples;
  const std::string bytes = ReadText(wav);
  if (bytes.size() >= 44 && bytes.compare(0, 4, "RIFF") == 0) {
    r.wav.channels = static_cast<std::uint8_t>(bytes[22]);
    r.wav.sampleRate = static_cast<int>(Le32(bytes, 24));
    const std::size_t dataBytes = std::min<std::size_t>(Le32(bytes, 40), bytes.size() - 44);
    r.wav.samples.resize(dataBytes / 2);
    for (std::size_t i = 0; i < r.wav.samples.size(); ++i) {
      r.wav.samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[44 + 2 * i]) |
                                                   static_cast<std::uint8_t>(bytes[45 + 2 * i]) << 8);
    }
  }
  return r;
}

// The audio stream file the encoder writes: version 2, bit rate, payload bytes, then the frames.
std::vector<std::uint8_t> AsStreamFile(const std::vector<std::uint8_t>& mp3, std::uint32_t bitRate) {
  std::vector<std::uint8_t> file;
  for (std::uint32_t v : {2u, bitRate, static_cast<std::uint32_t>(mp3.size())}) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  file.insert(file.end(), mp3.begin(), mp3.end());
  return file;
}

// Signal-to-noise ratio of `test` against `reference` over their common
// sample instants from `from` on, in dB.
double SnrDb(const Pcm& reference, const Pcm& test, std::size_t from = 0) {
  const std::size_t n = std::min(reference.samples.size(), test.samples.size());
  double signal = 0, noise = 0;
  for (std::size_t i = from * reference.channels; i < n; ++i) {
    const double r = reference.samples[i];
    const double d = r - test.samples[i];
    signal += r * r;
    noise += d * d;
  }
  if (noise == 0) return 200;
  return 10 * std::log10(signal / noise);
}

// The frames of a stream, walked by their headers, for checking what the
// encoder really used.
struct FrameFacts {
  int frames = 0;
  int msFrames = 0;           // joint stereo with mid/side on
  int protectedFrames = 0;    // with a check word
  int shortGranules = 0;      // granule/channel pairs with block type 2
  int samplesPerFrame = 0;
  std::vector<std::size_t> offsets;
};

int FrameBytes(const std::uint8_t* h, int* samplesPerFrame) {
  static const int kMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static const int kLsf[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  static const int kRates[] = {44100, 48000, 32000};
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || ((h[1] >> 1) & 3) != 1) return 0;
  const int version = (h[1] >> 3) & 3;
  const int rateIndex = (h[2] >> 2) & 3;
  const int brIndex = h[2] >> 4;
  if (version == 1 || rateIndex == 3 || brIndex == 0 || brIndex == 15) return 0;
  const int rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  const bool lsf = version != 3;
  *samplesPerFrame = lsf ? 576 : 1152;
  return (lsf ? 72000 : 144000) * (lsf ? kLsf : kMpeg1)[brIndex] / rate + ((h[2] >> 1) & 1);
}

FrameFacts WalkFrames(const std::vector<std::uint8_t>& s) {
  FrameFacts facts;
  std::size_t at = 0;
  while (at + 40 <= s.size()) {
    const std::uint8_t* h = &s[at];
    const int bytes = FrameBytes(h, &facts.samplesPerFrame);
    if (bytes == 0) break;
    facts.offsets.push_back(at);
    ++facts.frames;
    const bool lsf = facts.samplesPerFrame == 576;
    const int channels = (h[3] >> 6) == 3 ? 1 : 2;
    if ((h[3] >> 6) == 1 && (h[3] & 0x20)) ++facts.msFrames;
    const bool crc = (h[1] & 1) == 0;
    if (crc) ++facts.protectedFrames;
    // Side information: skip to each granule's window switching flag and block type.
    std::size_t bit = (at + 4 + (crc ? 2 : 0)) * 8;
    auto read = [&](int n) {
      int v = 0;
      for (int i = 0; i < n; ++i, ++bit) v = v << 1 | ((s[bit >> 3] >> (7 - (bit & 7))) & 1);
      return v;
    };
    read(lsf ? (channels == 1 ? 9 : 10) : (channels == 1 ? 18 : 20));
    for (int gr = 0; gr < (lsf ? 1 : 2); ++gr) {
      for (int ch = 0; ch < channels; ++ch) {
        read(12 + 9 + 8 + (lsf ? 9 : 4));
        if (read(1)) {
          if (read(2) == 2) ++facts.shortGranules;
          read(1 + 10 + 9);
        } else {
          read(15 + 7);
        }
        read(lsf ? 2 : 3);
      }
    }
    at += bytes;
  }
  return facts;
}

// Frames [from, to) of 1152 samples.
Pcm Slice(const Pcm& pcm, int from, int to) {
  Pcm part;
  part.sampleRate = pcm.sampleRate;
  part.channels = pcm.channels;
  const std::size_t per = 1152u * pcm.channels;
  const std::size_t end = std::min(pcm.samples.size(), to * per);
  if (from * per < end) part.samples.assign(pcm.samples.begin() + from * per, pcm.samples.begin() + end);
  return part;
}

bool IsSilent(const Pcm& pcm) {
  return !pcm.samples.empty() && std::all_of(pcm.samples.begin(), pcm.samples.end(), [](auto v) { return v == 0; });
}

bool HasStackTrace(const std::string& err) {
  return err.find("Exception") != std::string::npos || err.find("\tat ") != std::string::npos;
}

class Mp3DecoderMatchesFfmpeg : public ::testing::TestWithParam<EncodeSetup> {};

TEST_P(Mp3DecoderMatchesFfmpeg, SameSamplesAndLength) {
  const EncodeSetup& s = GetParam();
  const std::vector<std::uint8_t> mp3 = EncodeMp3(s);
  ASSERT_FALSE(mp3.empty());
  const FrameFacts facts = WalkFrames(mp3);
  ASSERT_GT(facts.frames, 10);
  // The stream really holds what this case is meant to exercise.
  if (s.forceMs) {
    EXPECT_EQ(facts.msFrames, facts.frames);
  }
  if (s.crc) {
    EXPECT_EQ(facts.protectedFrames, facts.frames);
  }
  EXPECT_GT(facts.shortGranules, 0) << "the noise bursts should switch to short blocks";

  int ffmpegErrors = 0;
  const Pcm reference = DecodeWithFfmpeg(mp3, &ffmpegErrors);
  ASSERT_EQ(ffmpegErrors, 0);
  ASSERT_EQ(reference.sampleRate, s.sampleRate);

  TempDir dir;
  const std::string input = dir.File(s.asStreamFile ? "in.audio.zq48" : "in.mp3");
  WriteBytes(input, s.asStreamFile ? AsStreamFile(mp3, s.kbps * 1000) : mp3);
  const JavaDecode decoded = RunJavaDecoder(dir, input);
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  EXPECT_EQ(decoded.rate, s.sampleRate);
  EXPECT_EQ(decoded.channels, s.channels);
  EXPECT_EQ(decoded.wav.sampleRate, s.sampleRate);
  EXPECT_EQ(decoded.wav.channels, s.channels);
  EXPECT_EQ(static_cast<std::size_t>(decoded.samples), decoded.wav.frames());
  EXPECT_LE(std::abs(static_cast<long>(decoded.wav.frames()) - static_cast<long>(reference.frames())),
            facts.samplesPerFrame);
  EXPECT_GE(SnrDb(reference, decoded.wav), 30.0);
}

INSTANTIATE_TEST_SUITE_P(
    Mp3Streams, Mp3DecoderMatchesFfmpeg,
    ::testing::Values(
        EncodeSetup{"Mono8000At8", 8000, 1, MONO, 8},
        EncodeSetup{"Mono8000At16Raw", 8000, 1, MONO, 16, false, false, false, false},
        EncodeSetup{"Stereo11025At32", 11025, 2, STEREO, 32},
        EncodeSetup{"Mono16000Abr24", 16000, 1, MONO, 24, true},
        EncodeSetup{"Stereo22050At32", 22050, 2, STEREO, 32},
        EncodeSetup{"Joint22050At64", 22050, 2, JOINT_STEREO, 64},
        EncodeSetup{"ForcedMs22050At48", 22050, 2, JOINT_STEREO, 48, false, false, true},
        EncodeSetup{"Stereo32000At96Crc", 32000, 2, STEREO, 96, false, true},
        EncodeSetup{"Stereo44100At32", 44100, 2, STEREO, 32},
        EncodeSetup{"Stereo44100At64", 44100, 2, STEREO, 64},
        EncodeSetup{"Joint44100At128", 44100, 2, JOINT_STEREO, 128},
        EncodeSetup{"ForcedMs44100At128Raw", 44100, 2, JOINT_STEREO, 128, false, false, true, false},
        EncodeSetup{"Stereo44100At192Crc", 44100, 2, STEREO, 192, false, true},
        EncodeSetup{"JointAbr44100At160", 44100, 2, JOINT_STEREO, 160, true},
        EncodeSetup{"Stereo48000At320", 48000, 2, STEREO, 320}),
    [](const auto& info) { return std::string(info.param.name); });

// Damaged streams: the decoder never throws, keeps the timing with silence and reports the damage.
class Mp3DecoderDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    mp3_ = EncodeMp3(EncodeSetup{"", 44100, 2, JOINT_STEREO, 128});
    facts_ = WalkFrames(mp3_);
    ASSERT_GT(facts_.frames, 100);
    WriteBytes(dir_.File("clean.mp3"), mp3_);
    clean_ = RunJavaDecoder(dir_, dir_.File("clean.mp3"));
    ASSERT_EQ(clean_.exitCode, 0) << clean_.err;
  }

  JavaDecode Decode(const std::vector<std::uint8_t>& bytes) {
    WriteBytes(dir_.File("damaged.mp3"), bytes);
    return RunJavaDecoder(dir_, dir_.File("damaged.mp3"));
  }

  TempDir dir_;
  std::vector<std::uint8_t> mp3_;
  FrameFacts facts_;
  JavaDecode clean_;
};

TEST_F(Mp3DecoderDamage, TruncatedStreamEndsWithOneSilentFrame) {
  const std::size_t cut = facts_.offsets[60] + 100;  // inside frame 60
  const JavaDecode r = Decode(std::vector<std::uint8_t>(mp3_.begin(), mp3_.begin() + cut));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(r.err.empty());
  EXPECT_FALSE(HasStackTrace(r.err)) << r.err;
  ASSERT_EQ(r.wav.frames(), 61u * 1152);
  // Everything before the cut is intact; the frame it cut is silent.
  EXPECT_GE(SnrDb(Slice(clean_.wav, 0, 60), Slice(r.wav, 0, 60)), 60.0);
  EXPECT_TRUE(IsSilent(Slice(r.wav, 60, 61)));
}

TEST_F(Mp3DecoderDamage, BrokenHeadersAndFlippedBytesKeepTheTiming) {
  std::vector<std::uint8_t> damaged = mp3_;
  for (int f : {20, 21, 50, 90}) damaged[facts_.offsets[f]] ^= 0xFF;  // sync destroyed: frame lost
  std::uint32_t seed = 7;
  for (int i = 0; i < 40; ++i) {  // noise in side information and main data, headers left alone
    seed = seed * 1664525u + 1013904223u;
    const int frame = 100 + static_cast<int>(seed % (facts_.frames - 101));
    const std::size_t at = facts_.offsets[frame] + 4 + (seed >> 8) % (facts_.offsets[frame + 1] - facts_.offsets[frame] - 4);
    damaged[at] ^= static_cast<std::uint8_t>(1 + (seed >> 24) % 255);
  }
  const JavaDecode r = Decode(damaged);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(HasStackTrace(r.err)) << r.err;
  EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
  // Every lost frame was replaced by silence of its length.
  ASSERT_EQ(r.wav.frames(), clean_.wav.frames());
  // A frame whose successor has no header counts as lost too, so frame 19 is the first one gone.
  EXPECT_GE(SnrDb(Slice(clean_.wav, 0, 18), Slice(r.wav, 0, 18)), 60.0) << "frames before the damage stay intact";
  EXPECT_TRUE(IsSilent(Slice(r.wav, 19, 22))) << "lost frames are silence";
  // A few frames after the lost ones (once the bit reservoir has refilled) the sound is back.
  EXPECT_GE(SnrDb(Slice(clean_.wav, 28, 48), Slice(r.wav, 28, 48)), 60.0);
}

TEST_F(Mp3DecoderDamage, JunkBetweenFramesIsSkipped) {
  std::vector<std::uint8_t> damaged(mp3_.begin(), mp3_.begin() + facts_.offsets[30]);
  // Junk that even starts like a header: resynchronisation must not take it for a frame.
  const std::uint8_t junk[] = {0xFF, 0xFB, 0x90, 0x64, 0x00, 0x12, 0x34, 0xFF, 0xE0, 0x55, 0xAA};
  for (int i = 0; i < 4; ++i) damaged.insert(damaged.end(), std::begin(junk), std::end(junk));
  damaged.insert(damaged.end(), mp3_.begin() + facts_.offsets[30], mp3_.end());
  const JavaDecode r = Decode(damaged);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("skipped"), std::string::npos) << r.err;
  EXPECT_FALSE(HasStackTrace(r.err)) << r.err;
  ASSERT_EQ(r.wav.frames(), clean_.wav.frames()) << "44 bytes of junk are no lost frame";
  const int frames = static_cast<int>(clean_.wav.frames() / 1152);
  EXPECT_GE(SnrDb(Slice(clean_.wav, 0, 29), Slice(r.wav, 0, 29)), 60.0);
  EXPECT_GE(SnrDb(Slice(clean_.wav, 34, frames), Slice(r.wav, 34, frames)), 60.0);
}

TEST_F(Mp3DecoderDamage, GarbageAndMissingFilesFailWithoutAStackTrace) {
  std::vector<std::uint8_t> garbage(20000);
  std::uint32_t seed = 99;
  for (auto& b : garbage) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(seed >> 24);
  }
  // Sprinkle sync words so that the decoder tries (and rejects) plausible headers.
  for (std::size_t i = 0; i + 1 < garbage.size(); i += 97) {
    garbage[i] = 0xFF;
    garbage[i + 1] = 0xFB;
  }
  const JavaDecode r = Decode(garbage);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(HasStackTrace(r.err)) << r.err;

  const JavaDecode missing = RunJavaDecoder(dir_, dir_.File("no-such-file.mp3"));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_FALSE(missing.err.empty());
  EXPECT_FALSE(HasStackTrace(missing.err)) << missing.err;
}

}  // namespace
