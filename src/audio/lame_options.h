#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zq48 {

enum class Mp3ChannelMode { Mono, Stereo, JointStereo };

// What a command line for the MP3 encoder amounts to. A field left empty
// keeps the library's default; a later option overrides an earlier one.
struct LameSettings {
  std::optional<int> bitRateKbps;      // "-b": constant bit rate
  std::optional<Mp3ChannelMode> mode;  // "-m"
  std::optional<int> outSampleRate;    // "--resample", in Hz; 0 lets the encoder choose
  std::optional<float> scale;          // "--scale": input samples are multiplied by it
  std::optional<int> quality;          // "-q": 0 (best, slowest) .. 9

  bool operator==(const LameSettings&) const = default;
};

// The audio stage's own command line: program name, "-b" kbps, "-m"
// mono|stereo, "--resample" Hz, "--scale" gain ("%f"), "-q" "0" and two
// placeholder file names that are never opened. Nothing when the channel
// count is neither 1 nor 2.
std::optional<std::vector<std::string>> LameArguments(int channels, int sampleRate, int kbps,
                                                      float volume);

// The output rate "--resample" selects: values of 1000 and more are taken as
// Hz and turned into kHz, the whole kHz pick one of the MPEG audio rates
// (22 gives 22050); anything else gives 0, which lets the encoder choose.
int ResampleRate(double rate);

// The words of an option text such as the LAMEOPT variable, split at blanks.
// Runs of blanks and blanks at either end make no empty words.
std::vector<std::string> SplitOptionText(const std::string& text);

// Applies a full command line (program name, options, at most an input and
// an output name) on top of `settings`. False, with `settings` partly
// changed, on an option this parser does not know or a bad value.
bool ParseLameCommandLine(const std::vector<std::string>& arguments, LameSettings& settings);

// Applies options only (no program name, no file names), as they come from
// the environment. False on anything it does not honour.
bool ParseLameOptions(const std::vector<std::string>& options, LameSettings& settings);

}  // namespace zq48
