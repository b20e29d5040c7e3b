#include "video/codec_setup.h"

#include <charconv>
#include <string_view>

#include "core/plain_numbers.h"

namespace zq48 {

namespace {

// The option texts are our own, but read them as atoi and strtof would (a
// number at the start, 0 when there is none), only without the locale.
std::string_view Trimmed(const char* text) {
  std::string_view s(text);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

long ParseLeadingWhole(const char* text) {
  std::string_view s = Trimmed(text);
  long value = 0;
  std::from_chars(s.data(), s.data() + s.size(), value);
  return value;
}

float ParseLeadingReal(const char* text) {
  std::string_view s = Trimmed(text);
  float value = 0;
  std::from_chars(s.data(), s.data() + s.size(), value);
  return value;
}

}  // namespace

std::vector<std::string> CodecArguments(int width, int height, int kbps, double frameRate) {
  const std::string rate = FixedPoint(frameRate, 3, 10);
  return {"-t", "0", "-w", std::to_string(width), "-h", std::to_string(height),
          "-b", std::to_string(kbps), "-f", rate, "-mt", "0", "-q", "6", "-mv", "0"};
}

CodecOptions ParseCodecArguments(const std::vector<std::string>& arguments) {
  CodecOptions o;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    const char* value = i + 1 < arguments.size() ? arguments[i + 1].c_str() : nullptr;
    int* target = option == "-t"    ? &o.inputKind
                  : option == "-w"  ? &o.width
                  : option == "-h"  ? &o.height
                  : option == "-b"  ? &o.bitRateKbps
                  : option == "-q"  ? &o.quality
                  : option == "-mt" ? &o.mt
                  : option == "-mv" ? &o.motionHints
                                    : nullptr;
    if (target && value) {
      *target = static_cast<int>(ParseLeadingWhole(value));
      ++i;
    } else if (option == "-f" && value) {
      o.frameRate = ParseLeadingReal(value);
      ++i;
    }
  }
  return o;
}

CodecSetup SetupCodec(const CodecOptions& o) {
  CodecSetup setup;
  if (o.width < 1 || o.width > 2047 || o.height < 1 || o.height > 2047) return setup;
  if (o.quality < 0 || o.quality > 6 || (o.bitRateKbps <= 0 && o.fixedQuantizer == 0) ||
      o.frameRate <= 0 || o.maxFrames <= 0)
    return setup;
  // Motion hint files belong to an older codec interface that xvidcore no
  // longer has; nothing here asks for them.
  if (o.motionHints == 1 || o.motionHints == 2) {
    setup.result = -1;
    return setup;
  }
  TimeBase base = CodecTimeBase(o.frameRate);
  XvidSettings s;
  s.width = o.width;
  s.height = o.height;
  s.frameIncrement = base.frameIncrement;
  s.timeBase = base.timeBase;
  s.bitRate = o.bitRateKbps * 1000;
  s.maxKeyInterval = static_cast<int>(o.frameRate) * 10;
  s.minQuantizer = o.minQuantizer;
  s.maxQuantizer = o.maxQuantizer;
  setup.encoder = XvidEncoder::Create(s, &setup.result);
  return setup;
}

}  // namespace zq48
