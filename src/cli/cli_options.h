#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/variant_option.h"

namespace zq48::cli {

enum class Command { Help, Version, Encode, SaveJob, Probe, Ladder, Inspect, Serve };

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
  std::vector<VariantFields> variants;  // --variant: replaces the simple ladder of every file
  bool json = false;                  // --json: one JSON document on standard output
  bool progressJson = false;          // --progress=json: JSON lines on standard error
  bool skipComplete = false;          // --skip-complete: a complete package counts as done
  std::string jobFile;                // --job: the files and settings come from this job file
  std::string saveJob;                // --save-job: write the job the options describe here instead
  std::string serveFolder;            // --serve: the folder served on 127.0.0.1
  std::optional<long> port;           // --port: its port (0 or none: a free one)
};

struct ParseResult {
  std::optional<CliOptions> options;  // nothing on a usage error
  std::string error;                  // what was wrong, for standard error
};

ParseResult ParseCommandLine(int argc, char** argv);

const char* UsageText();

}  // namespace zq48::cli
