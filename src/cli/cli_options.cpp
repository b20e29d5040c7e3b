#include "cli/cli_options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>

namespace zq48::cli {

namespace {

ParseResult Just(Command command) {
  CliOptions options;
  options.command = command;
  return {options, {}};
}

enum LongOnly { kRangeBegin = 256, kRangeEnd, kQuality, kProbe, kLadder, kInspect };

std::optional<long> ParseNumber(const char* text) {
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0') return std::nullopt;
  return value;
}

}  // namespace

const char* UsageText() {
  return "Usage: zq48enc --probe FILE...\n"
         "       zq48enc --ladder [--range-begin KBPS] [--range-end KBPS] [--quality Q] FILE...\n"
         "       zq48enc --inspect FILE...\n"
         "\n"
         "ZQ48 Encoder, the command-line front end.\n"
         "\n"
         "  --probe            print the media facts of each FILE, one 'name: value' a line\n"
         "  --ladder           print the output variants of each FILE, one a line\n"
         "      --range-begin KBPS  lowest total bit rate of the ladder (48..900, default 48)\n"
         "      --range-end KBPS    highest total bit rate of the ladder (48..900, default 350)\n"
         "      --quality Q         quality 0..100 (default 50)\n"
         "  --inspect          print the headers of each stream file (.zq48) or the rates of\n"
         "                     each metafile (.meta.zq48) and check them against the file\n"
         "  -v, --verbose      also show the media libraries' own diagnostics\n"
         "  -h, --help         show this help and exit\n"
         "  -V, --version      show the version and exit\n"
         "\n"
         "Exit status: 0 when every file was processed, 1 when a file was refused\n"
         "or is inconsistent, 2 on a usage error.\n";
}

ParseResult ParseCommandLine(int argc, char** argv) {
  static const option kOptions[] = {
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, 'V'},
      {"verbose", no_argument, nullptr, 'v'},
      {"probe", no_argument, nullptr, kProbe},
      {"ladder", no_argument, nullptr, kLadder},
      {"inspect", no_argument, nullptr, kInspect},
      {"range-begin", required_argument, nullptr, kRangeBegin},
      {"range-end", required_argument, nullptr, kRangeEnd},
      {"quality", required_argument, nullptr, kQuality},
      {nullptr, 0, nullptr, 0},
  };
  CliOptions opts;
  bool commandGiven = false;
  optind = 0;  // full re-initialisation, so the parser can run more than once
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, ":hVv", kOptions, nullptr)) != -1;) {
    switch (c) {
      case 'h': return Just(Command::Help);
      case 'V': return Just(Command::Version);
      case 'v': opts.verbose = true; break;
      case kProbe:
      case kLadder:
      case kInspect: {
        Command command = c == kProbe    ? Command::Probe
                          : c == kLadder ? Command::Ladder
                                         : Command::Inspect;
        if (commandGiven && opts.command != command)
          return {std::nullopt, "give one of --probe, --ladder and --inspect"};
        opts.command = command;
        commandGiven = true;
        break;
      }
      case kRangeBegin:
      case kRangeEnd:
      case kQuality: {
        std::optional<long> value = ParseNumber(optarg);
        if (!value) return {std::nullopt, std::string("not a whole number: '") + optarg + "'"};
        (c == kRangeBegin ? opts.rangeBegin : c == kRangeEnd ? opts.rangeEnd : opts.quality) = value;
        break;
      }
      case ':': return {std::nullopt, std::string("option needs a value: ") + argv[optind - 1]};
      default: return {std::nullopt, std::string("unknown option: ") + argv[optind - 1]};
    }
  }
  for (int i = optind; i < argc; ++i) opts.files.emplace_back(argv[i]);
  if (!commandGiven) return {std::nullopt, "say what to do: --probe, --ladder or --inspect"};
  if (opts.files.empty()) return {std::nullopt, "no input file given"};
  if (opts.quality && (*opts.quality < 0 || *opts.quality > 100))
    return {std::nullopt, "the quality must be 0..100"};
  return {opts, {}};
}

}  // namespace zq48::cli
