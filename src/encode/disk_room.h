#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/output_filter.h"

namespace zq48 {

// Free bytes for this user in the file system holding `folder`; nothing
// when it cannot be told.
std::optional<std::uint64_t> FreeBytesAvailable(const std::string& folder);

// What a variant will plausibly write: its video and sound bit rates over
// its playing time (the range, else the file's length), with a quarter
// more for rate-control overshoot, headers and the page, and 256 KiB.
std::uint64_t BytesNeeded(const OutputFilter& filter, double fileSeconds);

// The message that skips a variant (or a group of them, `what`) for want of
// room; nothing when there is room or the free space cannot be told.
std::optional<std::string> RoomProblem(const std::string& folder, std::uint64_t needed, const std::string& what);

}  // namespace zq48
