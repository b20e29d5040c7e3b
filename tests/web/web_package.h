#pragma once

// Helpers of the web player's tests: packages from zq48enc, the player's
// headless decode under Node.js, and a luma fingerprint that the page also
// reports for every picture it draws.

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "player/player_package.h"
#include "support/test_media.h"

namespace zq48::testing {

inline bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// Encodes a clip into dir/out with zq48enc (extra options after the others); the base name is "clip".
inline std::string EncodeWebPackage(const TempDir& dir, const ClipSpec& clip, int quality, int rangeBegin,
                                    int rangeEnd, const std::string& extra = "") {
  std::string input = dir.File("clip.avi");
  WriteAvi(input, clip);
  std::string out = dir.File("out");
  std::filesystem::create_directories(out);
  CommandResult run = RunCommand(std::string("'") + ZQ48ENC_PATH + "' -o '" + out + "' --quality " +
                                     std::to_string(quality) + " --range-begin " + std::to_string(rangeBegin) +
                                     " --range-end " + std::to_string(rangeEnd) + " " + extra + " '" + input + "'",
                                 dir.File("zq48enc.stderr"));
  EXPECT_EQ(run.status, 0) << run.err;
  return out;
}

// What "node decode.mjs" printed, and its exit status.
struct WebDecode {
  CommandResult run;
  int width = 0;
  int height = 0;
  int pictures = -1;  // -1: no video line
  double perSecond = 0;
};

inline WebDecode RunWebDecode(const std::string& target, const std::string& outDir, long bandwidth = -1) {
  WebDecode result;
  std::string command = std::string("'") + ZQ48_NODE + "' '" + ZQ48_WEB_DIR + "/decode.mjs' " + ShellQuoted(outDir) + " " +
                        ShellQuoted(target) + " --speed" +
                        (bandwidth >= 0 ? " --bandwidth " + std::to_string(bandwidth) : std::string());
  result.run = RunCommand(command, outDir + ".stderr");
  std::istringstream lines(result.run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("video: ", 0) == 0) {
      std::sscanf(line.c_str(), "video: %dx%d %d", &result.width, &result.height, &result.pictures);
    } else if (line.rfind("speed: ", 0) == 0) {
      std::sscanf(line.c_str(), "speed: %lf", &result.perSecond);
    }
  }
  return result;
}

// FNV-1a over a picture's luma plane, as the page computes it.
inline std::uint32_t LumaFingerprint(const Bytes& picture, int width, int height) {
  std::uint32_t h = 0x811c9dc5u;
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) h = (h ^ picture[i]) * 0x01000193u;
  return h;
}

}  // namespace zq48::testing
