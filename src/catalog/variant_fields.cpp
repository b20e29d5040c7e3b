#include "catalog/variant_fields.h"

#include <cstdio>
#include <set>

namespace zq48 {

namespace {

// The sample rates the MP3 encoder writes.
const std::set<int> kSampleRates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

// The Expert page offers these audio bit rates.
const std::set<int> kAudioRates = {0, 8, 16, 32};

constexpr int kMaxSide = 4096;  // pixels; the stream header has 16 bits for each side

constexpr const char* kSampleRateText =
    "the sample rate must be one of 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100 or 48000 Hz";

std::optional<std::string> CheckPicture(const VariantFields& v) {
  auto outside = [](const std::optional<int>& side) { return side && (*side < 1 || *side > kMaxSide); };
  if (outside(v.width) || outside(v.height)) return "the frame size must be 1..4096 pixels each way";
  if (v.frameRate && !(*v.frameRate > 0)) return "the frame rate must be above 0";
  if (v.videoKbps < 0) return "the video bit rate must be 0 (no video) or more";
  return std::nullopt;
}

std::optional<std::string> CheckSound(const VariantFields& v) {
  if (!kAudioRates.count(v.audioKbps)) return "the audio bit rate must be 0 (no sound), 8, 16 or 32 kbps";
  const int rate = v.sampleRate.value_or(0);
  const int channels = v.channels.value_or(0);
  if (v.audioKbps == 0) {
    // Without sound the format is not used; given, it must still be one.
    if (rate != 0 && !kSampleRates.count(rate)) return kSampleRateText;
    if (channels < 0 || channels > 2) return "the channels must be 1 or 2";
    return std::nullopt;
  }
  if (!kSampleRates.count(rate)) return kSampleRateText;
  if (channels != 1 && channels != 2) return "the channels must be 1 or 2";
  // MPEG-1 sound (32 kHz and up) starts at 32 kbps.
  if (rate >= 32000 && v.audioKbps < 32) return "8 and 16 kbps need a sample rate of 24000 Hz or less";
  // A file without sound keeps volume 0; any sound is scaled by 0.5..1.5.
  if (v.volume && (*v.volume < 0.5 || *v.volume > 1.5)) return "the volume must be 0.5..1.5";
  return std::nullopt;
}

}  // namespace

std::optional<Crop> ParseCrop(const std::string& text, char separator) {
  const std::string s(1, separator);
  const std::string format = "%d" + s + "%d" + s + "%d" + s + "%d%c";
  Crop c;
  char tail = 0;
  if (std::sscanf(text.c_str(), format.c_str(), &c.left, &c.right, &c.top, &c.bottom, &tail) != 4)
    return std::nullopt;
  return c;
}

bool IsVariantKey(const std::string& key) {
  for (const char* k : kVariantKeys)
    if (key == k) return true;
  return false;
}

std::vector<std::string> RequiredVariantKeys(int videoKbps, int audioKbps) {
  std::vector<std::string> keys = {"video", "audio"};
  if (videoKbps != 0) keys.insert(keys.end(), {"w", "h", "fps"});
  if (audioKbps != 0) keys.insert(keys.end(), {"rate", "channels"});
  return keys;
}

std::optional<std::string> CheckVariantFields(const VariantFields& v) {
  if (auto problem = CheckPicture(v)) return problem;
  if (auto problem = CheckSound(v)) return problem;
  if (v.videoKbps == 0 && v.audioKbps == 0) return "a variant needs video or sound";
  return std::nullopt;
}

}  // namespace zq48
