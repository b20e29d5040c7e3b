#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zq48::cli {

enum class Command { Help, Version, Probe, Ladder, Inspect };

struct CliOptions {
  Command command = Command::Help;
  std::vector<std::string> files;
  std::optional<long> rangeBegin;  // kbps
  std::optional<long> rangeEnd;    // kbps
  std::optional<long> quality;     // 0..100
  bool verbose = false;            // let FFmpeg print its own diagnostics
};

struct ParseResult {
  std::optional<CliOptions> options;  // nothing on a usage error
  std::string error;                  // what was wrong, for standard error
};

ParseResult ParseCommandLine(int argc, char** argv);

const char* UsageText();

}  // namespace zq48::cli
