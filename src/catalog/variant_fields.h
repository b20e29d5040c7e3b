#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zq48 {

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

// One explicit variant as the command line's --variant and a job file give
// it, by the keys "w", "h" (pixels), "fps", "video" (kbps, 0: no video),
// "audio" (kbps, 0: no sound), "rate" (Hz), "channels", and optionally
// "volume", "begin", "end" (seconds) and "crop" (L:R:T:B pixels).
struct VariantFields {
  std::string text;  // as given, for messages
  int videoKbps = 0;
  int audioKbps = 0;
  // Needed for a variant with video (video above 0).
  std::optional<int> width;
  std::optional<int> height;
  std::optional<double> frameRate;
  // Needed for a variant with sound (audio above 0).
  std::optional<int> sampleRate;
  std::optional<int> channels;
  // Unset: the file's own value.
  std::optional<double> volume;  // factor
  std::optional<double> begin;   // seconds
  std::optional<double> end;
  std::optional<Crop> crop;
};

// Every key a variant may have.
inline constexpr const char* kVariantKeys[] = {"w",        "h",      "fps",   "video", "audio", "rate",
                                               "channels", "volume", "begin", "end",   "crop"};
bool IsVariantKey(const std::string& key);

// The keys a variant must give: "video" and "audio", the picture's "w",
// "h" and "fps" unless video is 0, the sound's "rate" and "channels" unless
// audio is 0.
std::vector<std::string> RequiredVariantKeys(int videoKbps, int audioKbps);

// The checks that hold for every input file; what is wrong, or nothing.
std::optional<std::string> CheckVariantFields(const VariantFields& v);

}  // namespace zq48
