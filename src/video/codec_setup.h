#pragma once

#include <memory>
#include <string>
#include <vector>

#include "video/xvid_encoder.h"

namespace zq48 {

// The encoder's options as its argument list sets them; the defaults are
// those of an empty list.
struct CodecOptions {
  int inputKind = 0;      // "-t": the codec front end's input kind; unused here
  int width = 0;          // "-w"
  int height = 0;         // "-h"
  int bitRateKbps = 900;  // "-b"
  float frameRate = 25.0f;  // "-f", read back into a 32-bit float
  int quality = 6;        // "-q": preset 0..6
  int mt = 0;             // "-mt": unused here
  int motionHints = 0;    // "-mv": 0 none, 1 write, 2 read
  int fixedQuantizer = 0;  // 0: rate control chooses
  int maxFrames = 9999;
  int minQuantizer = 1;
  int maxQuantizer = 31;
};

// The 16-entry argument list for an output size, bit rate and frame rate:
// "-t" "0" "-w" W "-h" H "-b" kbps "-f" "%10.3f" "-mt" "0" "-q" "6" "-mv" "0".
std::vector<std::string> CodecArguments(int width, int height, int kbps, double frameRate);

// Reads an argument list; each option takes the next entry as its value
// (an option in last position takes none). Unknown entries are skipped.
CodecOptions ParseCodecArguments(const std::vector<std::string>& arguments);

struct CodecSetup {
  int result = 0;                         // 0 on success
  std::unique_ptr<XvidEncoder> encoder;   // null unless an instance was created
};

// Checks the options and creates the encoder instance. Options the encoder
// cannot work with (a size outside 1..2047, a preset outside 0..6, no bit
// rate, no frame rate, no frames) give no instance; so do motion hint files,
// which this encoder does not support.
CodecSetup SetupCodec(const CodecOptions& options);

}  // namespace zq48
