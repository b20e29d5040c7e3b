#pragma once

#include <string>

#include "encode/job_context.h"
#include "encode/package/job_outputs.h"
#include "encode/package/web_package.h"

namespace zq48 {

// The page for today's browsers, "BASE.play.html": the same size and
// parameters as the applet page, as data attributes of a canvas that
// zqmPlayer.js plays into.
std::string WebPlayPageText(const WebPageFacts& facts);

// Writes PlayPageName(sourcePath) beside the applet page, when the settings ask for it.
bool WriteWebPlayPage(JobContext& context, const DriverRecord& record, const std::string& sourcePath);

// Writes "zqmPlayer.js" into the destination folder, when the settings ask for it.
bool WriteWebPlayer(JobContext& context);

}  // namespace zq48
