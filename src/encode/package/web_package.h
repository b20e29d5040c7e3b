#pragma once

#include <string>

#include "encode/job_context.h"
#include "encode/package/job_outputs.h"

namespace zq48 {

// The page of one input file (PackageOutputs::WriteWebPage writes it).

// What the page of one input file says. Names are as the files are named;
// the page writers escape them.
struct WebPageFacts {
  std::string baseName;  // of the output files, the film's name on the page
  int width = 0;   // of the player: the largest variant width + 20
  int height = 0;  // the largest variant height + 16
  std::string metafileName;  // without folder
  bool titleImageOn = false;
  std::string titleImageName;  // file name with extension, spaces kept
  bool endImageOn = false;
  std::string endImageName;
};

// The facts of the page of one input file, from the settings and the driver's record.
WebPageFacts WebPageFactsOf(const EncodeSettings& settings, const DriverRecord& record,
                            const std::string& sourcePath);

// The page's five blocks of text, in order: lines 1-8, 9-14, 15, 16-22 and
// 23-30. Lines end with a line feed, except the last.
std::vector<std::string> WebPageBlocks(const WebPageFacts& facts);

}  // namespace zq48
