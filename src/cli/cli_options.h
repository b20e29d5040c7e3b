#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zq48::cli {

enum class Command { Help, Version, Encode, Probe, Ladder, Inspect };

struct Crop {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

struct CliOptions {
  Command command = Command::Help;
  std::vector<std::string> files;
  std::string destination;         // -o: where an encode writes
  std::optional<long> rangeBegin;  // kbps
  std::optional<long> rangeEnd;    // kbps
  std::optional<long> quality;     // 0..100
  std::string titleImage;
  std::string endImage;
  std::optional<double> begin;  // seconds, for every file
  std::optional<double> end;
  std::optional<Crop> crop;       // pixels, for every file
  std::optional<double> volume;   // factor, for every file with sound
  bool verbose = false;           // let FFmpeg print its own diagnostics
  bool sequential = false;        // one variant at a time, each decoding the file anew
  bool noWebPage = false;         // no BASE.play.html and zqmPlayer.js
};

struct ParseResult {
  std::optional<CliOptions> options;  // nothing on a usage error
  std::string error;                  // what was wrong, for standard error
};

ParseResult ParseCommandLine(int argc, char** argv);

const char* UsageText();

}  // namespace zq48::cli
