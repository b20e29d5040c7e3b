#include "cli/variant_fields.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "core/plain_numbers.h"

namespace zq48::cli {

namespace {

// The sample rates the MP3 encoder writes.
const std::set<int> kSampleRates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

// The Expert page offers these audio bit rates.
const std::set<int> kAudioRates = {0, 8, 16, 32};

constexpr int kMaxSide = 4096;  // pixels; the stream header has 16 bits for each side

const char* const kRequired[] = {"w", "h", "fps", "video", "audio", "rate", "channels"};
const char* const kOptional[] = {"volume", "begin", "end", "crop"};

bool Known(const std::string& key) {
  for (const char* k : kRequired)
    if (key == k) return true;
  for (const char* k : kOptional)
    if (key == k) return true;
  return false;
}

using Pairs = std::map<std::string, std::string>;

// Splits "k=v,k=v"; an error text for an empty, unknown or repeated key.
std::variant<Pairs, std::string> SplitPairs(const std::string& text) {
  Pairs pairs;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return "'" + item + "' is not KEY=VALUE";
    const std::string key = item.substr(0, eq);
    if (!Known(key)) return "unknown key '" + key + "'";
    if (!pairs.emplace(key, item.substr(eq + 1)).second) return "'" + key + "' given twice";
    start = comma + 1;
  }
  for (const char* k : kRequired)
    if (!pairs.count(k)) return std::string("'") + k + "' is missing";
  return pairs;
}

std::string Bad(const std::string& key, const std::string& value, const char* wanted) {
  return key + "=" + value + ": " + wanted;
}

// The checks that hold for every input file.
std::optional<std::string> CheckValues(const VariantFields& v) {
  if (v.width < 1 || v.width > kMaxSide || v.height < 1 || v.height > kMaxSide)
    return "the frame size must be 1..4096 pixels each way";
  if (!(v.frameRate > 0)) return "the frame rate must be above 0";
  if (v.videoKbps < 0) return "the video bit rate must be 0 (no video) or more";
  if (!kAudioRates.count(v.audioKbps)) return "the audio bit rate must be 0 (no sound), 8, 16 or 32 kbps";
  if (v.videoKbps == 0 && v.audioKbps == 0) return "a variant needs video or sound";
  if (v.audioKbps == 0) {
    if (v.sampleRate != 0 && !kSampleRates.count(v.sampleRate))
      return "the sample rate must be one of 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100 or 48000 Hz";
    if (v.channels < 0 || v.channels > 2) return "the channels must be 1 or 2";
  } else {
    if (!kSampleRates.count(v.sampleRate))
      return "the sample rate must be one of 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100 or 48000 Hz";
    if (v.channels != 1 && v.channels != 2) return "the channels must be 1 or 2";
    // MPEG-1 sound (32 kHz and up) starts at 32 kbps.
    if (v.sampleRate >= 32000 && v.audioKbps < 32) return "8 and 16 kbps need a sample rate of 24000 Hz or less";
  }
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

std::variant<VariantFields, std::string> ParseVariantFields(const std::string& text) {
  auto split = SplitPairs(text);
  if (auto* error = std::get_if<std::string>(&split)) return *error;
  const Pairs& p = std::get<Pairs>(split);

  VariantFields v;
  v.text = text;
  struct Whole {
    const char* key;
    int* field;
  };
  for (Whole w : {Whole{"w", &v.width}, Whole{"h", &v.height}, Whole{"video", &v.videoKbps},
                  Whole{"audio", &v.audioKbps}, Whole{"rate", &v.sampleRate}, Whole{"channels", &v.channels}}) {
    std::optional<long> n = ParseWhole(p.at(w.key));
    if (!n || *n < -1'000'000 || *n > 1'000'000) return Bad(w.key, p.at(w.key), "not a whole number");
    *w.field = static_cast<int>(*n);
  }
  struct Real {
    const char* key;
    std::optional<double>* field;
  };
  std::optional<double> fps;
  for (Real r : {Real{"fps", &fps}, Real{"volume", &v.volume}, Real{"begin", &v.begin}, Real{"end", &v.end}}) {
    auto found = p.find(r.key);
    if (found == p.end()) continue;
    std::optional<double> x = ParseReal(found->second);
    if (!x || !std::isfinite(*x)) return Bad(r.key, found->second, "not a number");
    *r.field = x;
  }
  v.frameRate = *fps;
  if (auto crop = p.find("crop"); crop != p.end()) {
    v.crop = ParseCrop(crop->second, ':');
    if (!v.crop) return Bad("crop", crop->second, "wants LEFT:RIGHT:TOP:BOTTOM in pixels");
  }
  if (auto error = CheckValues(v)) return *error;
  return v;
}

}  // namespace zq48::cli
