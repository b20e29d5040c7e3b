#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "catalog/encode_settings.h"
#include "catalog/input_catalog.h"
#include "catalog/variant_fields.h"

namespace zq48 {

// A job file: the list of input files with each file's options and variants,
// and the settings, as both front ends keep and read them. UTF-8 JSON:
//
//   {"version": 1, "destination": DIR, "range_begin_kbps": N, "range_end_kbps": N,
//    "quality": N, "title_image": PATH|null, "end_image": PATH|null, "web_page": true,
//    "files": [{"path": PATH, "volume": X, "begin_s": X, "end_s": X, "crop": "L:R:T:B",
//               "variants": [{"w", "h", "fps", "video", "audio", "rate", "channels",
//                             "volume", "begin", "end", "crop"}]}]}
//
// A file without "variants" gets the simple ladder; a variant's keys are
// those of --variant. Numbers are C notation whatever the locale; keys this
// version does not know are passed over; relative paths are taken from the
// job file's folder. Only "version" and "files" (with each file's "path")
// must be there: a setting left out has its default, a file's option left
// out its value for a new file of the list.

inline constexpr int kJobFileVersion = 1;

// One variant, with the line its object begins on.
struct JobVariant {
  int line = 0;
  VariantFields fields;
};

// One input file with its options, as far as the job file gives them.
struct JobFileEntry {
  int line = 0;
  std::string path;
  std::optional<float> volume;
  std::optional<double> begin;  // seconds
  std::optional<double> end;
  std::optional<Crop> crop;
  std::optional<std::vector<JobVariant>> variants;  // nothing: the simple ladder
};

struct JobFile {
  std::string destination;  // empty: none given
  std::uint32_t rangeBegin = kDefaultRangeBegin;
  std::uint32_t rangeEnd = kDefaultRangeEnd;
  int quality = kDefaultQuality;
  std::string titleImage;  // empty: no title image
  std::string endImage;
  bool webPage = true;
  std::vector<JobFileEntry> files;
};

// Why a job file was refused, and the line that says so (0: the file as a whole).
struct JobFileError {
  int line = 0;
  std::string text;
};

// Reads a job file's text; relative paths are taken from `folder`. Every
// check that needs no input file is made here (the settings' bounds, each
// variant's values, time ranges and crops as the time range dialog checks
// them), so that a job read is one that can be listed.
std::variant<JobFile, JobFileError> ParseJobFile(std::string_view text, const std::string& folder);

// Reads the job file at `path`.
std::variant<JobFile, JobFileError> ReadJobFile(const std::string& path);

// The text of a job file, one key a line, so that a message's line number
// points at the value it names.
std::string JobFileText(const JobFile& job);

// What the catalog holds, as a job file: every listed file with its options,
// its variants when they were edited by hand (else the ladder rebuilds them
// from the same settings), and the settings.
JobFile JobFileOf(const InputCatalog& catalog);

// Writes the catalog's job file to `path` whole (aside, then renamed over
// it); the reason when it could not be written.
std::optional<std::string> WriteJobFile(const std::string& path, const InputCatalog& catalog);

}  // namespace zq48
