// Variants of one decode share a sound encode only when their own encodes
// would have written the same bytes. Every field of a variant is changed in
// turn; the sound each variant gets (its range of a tone, encoded with its
// settings) decides whether the two may share.

#include <gtest/gtest.h>

#include <functional>

#include "audio/audio_encoder.h"
#include "audio/audio_test_support.h"
#include "encode/variant_job.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::Bytes;

constexpr int kRate = 22050;
constexpr int kSeconds = 3;

// The sound a variant's own encode writes: its range of a stereo tone through
// the encoder with its settings; empty when it encodes no sound.
Bytes OwnSound(const VariantPlan& plan, const std::string& path) {
  if (!plan.encodeAudio()) return {};
  testing::AudioJob job(plan);
  job.OpenAudioFile(path);
  AudioEncoder encoder;
  EXPECT_TRUE(encoder.Open(PcmFormat{2, kRate, 16}, job.outputs, plan.sound()));
  const Bytes tone = testing::Tone16(2, kRate, kSeconds * kRate);
  const double end = plan.filter.endTime != 0 ? plan.filter.endTime : kSeconds;
  const auto from = static_cast<std::ptrdiff_t>(plan.filter.beginTime * kRate) * 4;
  const auto to = static_cast<std::ptrdiff_t>(end * kRate) * 4;
  EXPECT_TRUE(encoder.Append(tone.data() + from, static_cast<std::size_t>(to - from)));
  EXPECT_TRUE(encoder.Close());
  return testing::ReadFile(path);
}

TEST(SoundSharing, VariantsShareAnEncodeExactlyWhenTheirOwnSoundIsTheSame) {
  // A new field must be listed below: this test then tells whether the
  // sharing rule must look at it.
  static_assert(sizeof(OutputFilter) == 80, "a variant field was added: list it in the changes below");
  VariantPlan base;
  base.sourcePath = "/in/clip.avi";
  base.hasAudio = base.hasVideo = true;
  base.audioFormat = AudioFormat{};
  OutputFilter& f = base.filter;
  f.audioOn = f.videoOn = 1;
  f.endTime = 2;
  f.audioChannels = 1;
  f.audioSampleRate = kRate;
  f.audioBitRate = 32;
  const std::vector<std::pair<const char*, std::function<void(OutputFilter&)>>> changes = {
      {"audioOn", [](OutputFilter& o) { o.audioOn = 0; }},
      {"videoOn", [](OutputFilter& o) { o.videoOn = 0; }},
      {"beginTime", [](OutputFilter& o) { o.beginTime = 1; }},
      {"endTime", [](OutputFilter& o) { o.endTime = 3; }},
      {"cropBottom", [](OutputFilter& o) { o.cropBottom = 8; }},
      {"cropLeft", [](OutputFilter& o) { o.cropLeft = 8; }},
      {"cropRight", [](OutputFilter& o) { o.cropRight = 8; }},
      {"cropTop", [](OutputFilter& o) { o.cropTop = 8; }},
      {"audioChannels", [](OutputFilter& o) { o.audioChannels = 2; }},
      {"audioSampleRate", [](OutputFilter& o) { o.audioSampleRate = 11025; }},
      {"audioBitRate", [](OutputFilter& o) { o.audioBitRate = 48; }},
      {"volume", [](OutputFilter& o) { o.volume = 0.5f; }},
      {"videoBitRate", [](OutputFilter& o) { o.videoBitRate = 300; }},
      {"width", [](OutputFilter& o) { o.width = 320; }},
      {"height", [](OutputFilter& o) { o.height = 240; }},
      {"frameRate", [](OutputFilter& o) { o.frameRate = 25; }},
  };
  testing::TempDir dir;
  const Bytes baseSound = OwnSound(base, dir.File("base.zq48"));
  ASSERT_GT(baseSound.size(), 1000u);
  EXPECT_TRUE(SharesSoundEncode(base, base));
  for (const auto& [field, change] : changes) {
    VariantPlan other = base;
    change(other.filter);
    const bool same = OwnSound(other, dir.File(std::string(field) + ".zq48")) == baseSound;
    EXPECT_EQ(SharesSoundEncode(base, other), same) << field;
    EXPECT_EQ(SharesSoundEncode(other, base), same) << field;
  }
}

}  // namespace
}  // namespace zq48
