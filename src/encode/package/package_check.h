#pragma once

#include <optional>
#include <string>

namespace zq48 {

// Whether the package a finished job left for `sourcePath` in `folder` (which
// ends with "/") is complete and consistent: its metafile reads back and
// lists at least one stream, every listed stream exists under its final name
// with headers that agree with the file and with the listed rate, and the
// page exists. Nothing when it is; otherwise the first thing missing or wrong.
std::optional<std::string> PackageProblem(const std::string& folder, const std::string& sourcePath);

}  // namespace zq48
