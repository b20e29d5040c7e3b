#pragma once

#include <optional>
#include <string>
#include <variant>

namespace zq48::cli {

// Margins cut off every picture, in pixels.
struct Crop {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

// "LEFT,RIGHT,TOP,BOTTOM" with `separator` between the four, and nothing
// after them; nothing when the text is not that.
std::optional<Crop> ParseCrop(const std::string& text, char separator);

// One explicit variant of --variant: what the Expert page's fields say,
// plus the sound format, which the page leaves at its default.
struct VariantFields {
  std::string text;  // as given, for messages
  int width = 0;     // pixels
  int height = 0;
  double frameRate = 0;  // frames per second; brought into 0.1..source rate per file
  int videoKbps = 0;     // 0: no video stream
  int audioKbps = 0;     // 0: no audio stream
  int sampleRate = 0;    // Hz
  int channels = 0;
  // Unset: the file's own value (from --volume, --begin, --end, --crop).
  std::optional<double> volume;  // factor
  std::optional<double> begin;   // seconds
  std::optional<double> end;
  std::optional<Crop> crop;
};

// Parses "w=320,h=240,fps=15,video=200,audio=16,rate=8000,channels=1"
// (optionally with volume=, begin=, end= and crop=L:R:T:B). The values that
// do not depend on the input file are checked here; the error says what is wrong.
std::variant<VariantFields, std::string> ParseVariantFields(const std::string& text);

}  // namespace zq48::cli
