#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "encode/job_context.h"
#include "encode/package/job_outputs.h"
#include "encode/package/web_package.h"

namespace zq48 {

// The page for today's browsers, "BASE.play.html": the same size and
// parameters as the applet page, as data attributes of a canvas that
// zqmPlayer.js plays into.
std::string WebPlayPageText(const WebPageFacts& facts);

// Writes bytes to folder + name through a temporary file in the same folder,
// renamed over the final name, so a reader never sees half a file.
bool WriteFileReplacing(const std::string& folder, const std::string& name,
                        std::span<const std::uint8_t> bytes);

// Writes base name + ".play.html" beside the applet page, when the settings ask for it.
bool WriteWebPlayPage(JobContext& context, const DriverRecord& record, const std::string& sourcePath);

// Writes "zqmPlayer.js" into the destination folder, when the settings ask for it.
bool WriteWebPlayer(JobContext& context);

}  // namespace zq48
