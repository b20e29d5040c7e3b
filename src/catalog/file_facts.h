#pragma once

// Facts about a file that come from the file system, not from its media.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "catalog/media_facts.h"

namespace zq48 {

// The source kind from the 4 bytes at offset 4 (the first atom's type of a
// movie file); the general kind when the file cannot be read.
int DetectSourceKind(const std::string& path);

// The size of a regular file; nothing when it does not exist or is not a regular file.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);

// Bytes up to 10,240 bytes, else whole KiB.
std::string SizeText(std::uint64_t size);

// "%02dh:%02dm:%02d.%03ds" of a duration in 100 ns units.
std::string DurationText(std::int64_t duration100ns);

// "%02d/%02d/%d" as month, day, four-digit year, in local time.
std::string DateText(std::time_t time);

// Stores the last-write time as the modified date and the creation time as
// the created date (the last-write time where the file system keeps no
// creation time). Leaves both untouched when the file cannot be examined.
void StoreFileDates(const std::string& path, MediaFacts& facts);

}  // namespace zq48
