#include "audio/lame_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/plain_numbers.h"

namespace zq48 {

namespace {

// The whole word must be the number; "128k" or "" is no number.
std::optional<int> WholeInt(const std::string& word) {
  int value = 0;
  auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

std::optional<double> WholeNumber(const std::string& word) {
  double value = 0.0;
  auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<Mp3ChannelMode> ModeNamed(const std::string& word) {
  if (word == "m" || word == "mono") return Mp3ChannelMode::Mono;
  if (word == "s" || word == "stereo") return Mp3ChannelMode::Stereo;
  if (word == "j" || word == "joint") return Mp3ChannelMode::JointStereo;
  return std::nullopt;
}

// Applies the option at `words[i]` (with its value) and moves `i` past it.
bool ApplyOption(const std::vector<std::string>& words, std::size_t& i, LameSettings& s) {
  const std::string& name = words[i];
  if (i + 1 >= words.size()) return false;  // every option we honour takes a value
  const std::string& value = words[i + 1];
  i += 2;
  if (name == "-b") {
    auto kbps = WholeInt(value);
    if (!kbps || *kbps < 0) return false;
    s.bitRateKbps = *kbps;
  } else if (name == "-m") {
    auto mode = ModeNamed(value);
    if (!mode) return false;
    s.mode = *mode;
  } else if (name == "--resample") {
    auto rate = WholeNumber(value);
    if (!rate || *rate < 0.0) return false;  // 0 lets the encoder choose
    s.outSampleRate = ResampleRate(*rate);
  } else if (name == "--scale") {
    auto gain = WholeNumber(value);
    if (!gain) return false;
    s.scale = static_cast<float>(*gain);
  } else if (name == "-q") {
    auto quality = WholeInt(value);
    if (!quality) return false;
    s.quality = std::clamp(*quality, 0, 9);
  } else {
    return false;
  }
  return true;
}

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

std::string Unsigned(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
  return text;
}

}  // namespace

std::optional<std::vector<std::string>> LameArguments(int channels, int sampleRate, int kbps,
                                                      float volume) {
  if (channels != 1 && channels != 2) return std::nullopt;
  const std::string gain = FixedPoint(static_cast<double>(volume), 6);
  // clang-format off
  return std::vector<std::string>{
      "ZQ48.exe",
      "-b", Unsigned(kbps),
      "-m", channels == 1 ? "mono" : "stereo",
      "--resample", Unsigned(sampleRate),
      "--scale", gain,
      "-q", "0",
      "myin.wav", "myout.mp3"};  // placeholders: no file is opened
  // clang-format on
}

int ResampleRate(double rate) {
  if (rate >= 1000.0) rate /= 1000.0;
  if (!(rate > 0.0 && rate < 1000.0)) return 0;  // also keeps the cast below defined
  switch (static_cast<int>(rate)) {
    case 8: return 8000;
    case 11: return 11025;
    case 12: return 12000;
    case 16: return 16000;
    case 22: return 22050;
    case 24: return 24000;
    case 32: return 32000;
    case 44: return 44100;
    case 48: return 48000;
    default: return 0;
  }
}

std::vector<std::string> SplitOptionText(const std::string& text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool ParseLameCommandLine(const std::vector<std::string>& arguments, LameSettings& settings) {
  int names = 0;  // input and output name: they only have to be there, nothing is opened
  for (std::size_t i = 1; i < arguments.size();) {
    if (IsOption(arguments[i])) {
      if (!ApplyOption(arguments, i, settings)) return false;
    } else if (++names > 2) {
      return false;
    } else {
      ++i;
    }
  }
  return true;
}

bool ParseLameOptions(const std::vector<std::string>& options, LameSettings& settings) {
  for (std::size_t i = 0; i < options.size();) {
    if (!IsOption(options[i]) || !ApplyOption(options, i, settings)) return false;
  }
  return true;
}

}  // namespace zq48
