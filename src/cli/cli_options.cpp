#include "cli/cli_options.h"

#include <getopt.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/plain_numbers.h"

namespace zq48::cli {

namespace {

ParseResult Just(Command command) {
  CliOptions options;
  options.command = command;
  return {options, {}};
}

ParseResult Usage(std::string error) { return {std::nullopt, std::move(error)}; }

enum LongOnly {
  kRangeBegin = 256,
  kRangeEnd,
  kQuality,
  kProbe,
  kLadder,
  kInspect,
  kTitleImage,
  kEndImage,
  kBegin,
  kEnd,
  kCrop,
  kSequential,
  kVolume,
  kNoWebPage,
  kVariant,
  kJson,
  kProgress,
  kSkipComplete,
  kJob,
  kSaveJob,
  kServe,
  kPort,
};

std::optional<long> WholeArgument(const char* text) { return ParseWhole(text); }

std::optional<double> RealArgument(const char* text) {
  std::optional<double> value = ParseReal(text);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

const option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"verbose", no_argument, nullptr, 'v'},
    {"output", required_argument, nullptr, 'o'},
    {"probe", no_argument, nullptr, kProbe},
    {"ladder", no_argument, nullptr, kLadder},
    {"inspect", no_argument, nullptr, kInspect},
    {"range-begin", required_argument, nullptr, kRangeBegin},
    {"range-end", required_argument, nullptr, kRangeEnd},
    {"quality", required_argument, nullptr, kQuality},
    {"title-image", required_argument, nullptr, kTitleImage},
    {"end-image", required_argument, nullptr, kEndImage},
    {"begin", required_argument, nullptr, kBegin},
    {"end", required_argument, nullptr, kEnd},
    {"crop", required_argument, nullptr, kCrop},
    {"volume", required_argument, nullptr, kVolume},
    {"sequential", no_argument, nullptr, kSequential},
    {"no-web-page", no_argument, nullptr, kNoWebPage},
    {"variant", required_argument, nullptr, kVariant},
    {"json", no_argument, nullptr, kJson},
    {"progress", required_argument, nullptr, kProgress},
    {"skip-complete", no_argument, nullptr, kSkipComplete},
    {"job", required_argument, nullptr, kJob},
    {"save-job", required_argument, nullptr, kSaveJob},
    {"serve", required_argument, nullptr, kServe},
    {"port", required_argument, nullptr, kPort},
    {nullptr, 0, nullptr, 0},
};

// Applies one option with a value; an error text when the value is bad.
std::optional<std::string> TakeValue(int c, const char* value, CliOptions& o) {
  switch (c) {
    case 'o': o.destination = value; return std::nullopt;
    case kTitleImage: o.titleImage = value; return std::nullopt;
    case kEndImage: o.endImage = value; return std::nullopt;
    case kJob: o.jobFile = value; return std::nullopt;
    case kSaveJob: o.saveJob = value; return std::nullopt;
    case kServe:
      if (*value == '\0') return std::string("--serve wants a folder");
      o.serveFolder = value;
      return std::nullopt;
    case kPort: {
      std::optional<long> n = WholeArgument(value);
      if (!n || *n < 0 || *n > 65535) return std::string("the port must be 0..65535, not '") + value + "'";
      o.port = n;
      return std::nullopt;
    }
    case kRangeBegin:
    case kRangeEnd:
    case kQuality: {
      std::optional<long> n = WholeArgument(value);
      if (!n) return std::string("not a whole number: '") + value + "'";
      (c == kRangeBegin ? o.rangeBegin : c == kRangeEnd ? o.rangeEnd : o.quality) = n;
      return std::nullopt;
    }
    case kBegin:
    case kEnd:
    case kVolume: {
      std::optional<double> x = RealArgument(value);
      if (!x) return std::string("not a number: '") + value + "'";
      (c == kBegin ? o.begin : c == kEnd ? o.end : o.volume) = x;
      return std::nullopt;
    }
    case kCrop:
      o.crop = ParseCrop(value, ',');
      if (!o.crop) return std::string("--crop wants LEFT,RIGHT,TOP,BOTTOM in pixels, not '") + value + "'";
      return std::nullopt;
    case kVariant: {
      auto text = ParseVariantFields(value);
      if (auto* error = std::get_if<std::string>(&text)) return "--variant " + std::string(value) + ": " + *error;
      o.variants.push_back(std::get<VariantFields>(text));
      return std::nullopt;
    }
    case kProgress:
      if (std::string(value) != "json") return std::string("--progress knows only 'json', not '") + value + "'";
      o.progressJson = true;
      return std::nullopt;
    default:
      return std::string("unknown option");
  }
}

// --job gives the files and every setting; only how to run the job may be added.
std::optional<std::string> CheckJobOptions(const CliOptions& o, bool commandGiven) {
  if (commandGiven) return "--job goes with -o or alone, not with --probe, --ladder or --inspect";
  if (!o.saveJob.empty()) return "give one of --job and --save-job";
  if (!o.files.empty()) return "--job names the files: give no FILE";
  if (!o.variants.empty() || o.rangeBegin || o.rangeEnd || o.quality || !o.titleImage.empty() ||
      !o.endImage.empty() || o.begin || o.end || o.crop || o.volume || o.noWebPage)
    return "--job gives the settings: leave out --variant, --range-begin, --range-end, --quality, "
           "--title-image, --end-image, --begin, --end, --crop, --volume and --no-web-page";
  return std::nullopt;
}

// --serve stands alone: a folder and perhaps a port.
std::optional<std::string> CheckServeOptions(CliOptions& o, bool commandGiven) {
  if (o.serveFolder.empty()) return "--port goes with --serve";
  const bool encodeOptions = !o.variants.empty() || o.rangeBegin || o.rangeEnd || o.quality ||
                             !o.titleImage.empty() || !o.endImage.empty() || o.begin || o.end || o.crop ||
                             o.volume || o.noWebPage || o.sequential || o.skipComplete || o.progressJson;
  if (commandGiven || encodeOptions || o.json || !o.jobFile.empty() || !o.saveJob.empty() || !o.destination.empty())
    return "--serve goes alone, with --port at most";
  if (!o.files.empty()) return "--serve takes one folder; unexpected argument: '" + o.files.front() + "'";
  o.command = Command::Serve;
  return std::nullopt;
}

std::optional<std::string> CheckOptions(CliOptions& o, bool commandGiven) {
  if (!o.serveFolder.empty() || o.port) return CheckServeOptions(o, commandGiven);
  if (!o.jobFile.empty()) {
    if (auto error = CheckJobOptions(o, commandGiven)) return error;
    o.command = Command::Encode;
    return std::nullopt;
  }
  if (!o.saveJob.empty()) {
    if (commandGiven) return "--save-job goes with the options of an encode, not with --probe, --ladder or --inspect";
    if (o.skipComplete || o.progressJson) return "--save-job encodes nothing: leave out --skip-complete and --progress";
    o.command = Command::SaveJob;
    commandGiven = true;
  }
  if (!commandGiven) {
    if (o.destination.empty()) return "say what to do: -o DEST to encode, --job FILE, or --probe, --ladder or --inspect";
    o.command = Command::Encode;
  }
  if (o.files.empty()) return "no input file given";
  if (o.quality && (*o.quality < 0 || *o.quality > 100)) return "the quality must be 0..100";
  if (o.volume && (*o.volume < 0.5 || *o.volume > 1.5)) return "the volume must be 0.5..1.5";
  const bool encode = o.command == Command::Encode || o.command == Command::SaveJob;
  if (!o.variants.empty() && (o.rangeBegin || o.rangeEnd || o.quality))
    return "--variant replaces the ladder: leave out --range-begin, --range-end and --quality";
  if (!o.variants.empty() && !encode && o.command != Command::Ladder)
    return "--variant goes with -o or --ladder";
  if (o.json && encode) return "--json goes with --probe, --ladder or --inspect (for an encode: --progress=json)";
  if (o.progressJson && !encode) return "--progress=json goes with -o";
  if (o.skipComplete && !encode) return "--skip-complete goes with -o";
  return std::nullopt;
}

}  // namespace

const char* UsageText() {
  return "Usage: zq48enc [OPTION]... -o DEST FILE...\n"
         "       zq48enc --probe FILE...\n"
         "       zq48enc --ladder [--range-begin KBPS] [--range-end KBPS] [--quality Q] FILE...\n"
         "       zq48enc --ladder --variant FIELDS... FILE...\n"
         "       zq48enc --inspect FILE...\n"
         "       zq48enc --job JOBFILE [-o DEST]\n"
         "       zq48enc --save-job JOBFILE [OPTION]... [-o DEST] FILE...\n"
         "       zq48enc --serve DIR [--port N]\n"
         "\n"
         "ZQ48 Encoder, the command-line front end. With -o it encodes every FILE into a\n"
         "ladder of variants in DEST: per variant a video and an audio stream file named\n"
         "after their measured bit rates, per file a page (.html) and a metafile\n"
         "(.meta.zq48), and once the player archive and its button image.\n"
         "\n"
         "Encoding:\n"
         "  -o, --output DEST        destination folder (created when missing)\n"
         "      --range-begin KBPS   lowest total bit rate of the ladder (48..900, default 48)\n"
         "      --range-end KBPS     highest total bit rate of the ladder (48..900, default 350)\n"
         "      --quality Q          quality 0..100 (default 50): higher means more rungs\n"
         "      --title-image FILE   image the player shows before the film\n"
         "      --end-image FILE     image the player shows after the film\n"
         "      --begin S, --end S   encode only this time range of every file (seconds)\n"
         "      --crop L,R,T,B       cut these margins off every picture (pixels)\n"
         "      --volume F           sound volume factor 0.5..1.5 (default 1)\n"
         "      --no-web-page        no page for today's browsers (BASE.play.html, zqmPlayer.js)\n"
         "      --sequential         encode the variants one at a time, each decoding the\n"
         "                           file anew (slower; the same files as the default,\n"
         "                           which decodes each file once for all its variants)\n"
         "      --variant FIELDS     encode this variant instead of the ladder (repeat it for\n"
         "                           more); FIELDS is KEY=VALUE pairs joined by commas:\n"
         "                           w, h (pixels), fps, video (kbps, 0: no video), audio\n"
         "                           (0: no sound, 8, 16 or 32 kbps), rate (Hz), channels\n"
         "                           (1 or 2; mono sound stays mono), and optionally\n"
         "                           volume, begin, end (seconds) and crop=L:R:T:B\n"
         "                           (pixels); w, h and fps may be left out with video=0,\n"
         "                           rate and channels with audio=0. The frame rate is\n"
         "                           kept within 0.1 and the file's own rate; a variant\n"
         "                           equal to an earlier one is refused.\n"
         "      --skip-complete      leave out a file whose package in DEST is complete and\n"
         "                           consistent (it counts as done), so a batch can be rerun\n"
         "      --progress=json      report on standard error in JSON, one object a line:\n"
         "                           progress, finished variants, refused and failed files,\n"
         "                           the end of the job\n"
         "      --job JOBFILE        encode the list of a job file (the desktop program's\n"
         "                           File > Save list...): its files with their options and\n"
         "                           variants, and its settings; -o replaces its folder\n"
         "      --save-job JOBFILE   write the job the other options describe, without\n"
         "                           encoding, for --job or the desktop program\n"
         "  A progress line is shown on standard error. Ctrl-C stops: the variants in\n"
         "  progress are deleted, everything finished before stays. While a file is\n"
         "  encoded its base name is locked in DEST (DEST/.BASE.lock): a second zq48enc\n"
         "  refuses that file.\n"
         "\n"
         "Other commands:\n"
         "  --probe            print the media facts of each FILE, one 'name: value' a line\n"
         "  --ladder           print the output variants of each FILE, one a line\n"
         "  --inspect          print the headers of each stream file (.zq48) or the rates of\n"
         "                     each metafile (.meta.zq48) and check them against the file\n"
         "  --json             with --probe, --ladder or --inspect: one JSON document on\n"
         "                     standard output, every value with its unit in its name\n"
         "  --serve DIR        serve the package folder DIR to this computer's browser on\n"
         "                     127.0.0.1 until interrupted (read-only, no listings, nothing\n"
         "                     outside DIR); prints the folder's address, then that of\n"
         "                     each BASE.play.html page, one a line\n"
         "  --port N           with --serve: the port (0 or none: a free one)\n"
         "  -v, --verbose      also show the media libraries' own diagnostics\n"
         "  -h, --help         show this help and exit\n"
         "  -V, --version      show the version and exit\n"
         "\n"
         "Exit status: 0 when every file was processed (for an encode: every variant of\n"
         "every file finished or was skipped as complete), 1 when a file or a variant was\n"
         "refused or is inconsistent or a variant failed, 2 on a usage error or invalid\n"
         "input, 130 when an encode was stopped with Ctrl-C. --serve ends with 0 when\n"
         "interrupted (Ctrl-C or SIGTERM) and 1 when the folder or the port cannot be had.\n";
}

ParseResult ParseCommandLine(int argc, char** argv) {
  CliOptions opts;
  bool commandGiven = false;
  optind = 0;  // full re-initialisation, so the parser can run more than once
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, ":hVvo:", kOptions, nullptr)) != -1;) {
    switch (c) {
      case 'h': return Just(Command::Help);
      case 'V': return Just(Command::Version);
      case 'v': opts.verbose = true; break;
      case kSequential: opts.sequential = true; break;
      case kNoWebPage: opts.noWebPage = true; break;
      case kJson: opts.json = true; break;
      case kSkipComplete: opts.skipComplete = true; break;
      case kProbe:
      case kLadder:
      case kInspect: {
        Command command = c == kProbe    ? Command::Probe
                          : c == kLadder ? Command::Ladder
                                         : Command::Inspect;
        if (commandGiven && opts.command != command)
          return Usage("give one of --probe, --ladder and --inspect");
        opts.command = command;
        commandGiven = true;
        break;
      }
      case ':': return Usage(std::string("option needs a value: ") + argv[optind - 1]);
      case '?': return Usage(std::string("unknown option: ") + argv[optind - 1]);
      default:
        if (auto error = TakeValue(c, optarg, opts)) return Usage(*error);
    }
  }
  for (int i = optind; i < argc; ++i) opts.files.emplace_back(argv[i]);
  if (auto error = CheckOptions(opts, commandGiven)) return Usage(*error);
  return {opts, {}};
}

}  // namespace zq48::cli
