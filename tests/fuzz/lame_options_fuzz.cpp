// The LAMEOPT option parser on any text.
#include <string>

#include "audio/lame_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  zq48::LameSettings settings;
  zq48::ParseLameOptions(zq48::SplitOptionText(text), settings);
  std::vector<std::string> line = zq48::SplitOptionText(text);
  line.insert(line.begin(), "zq48");
  zq48::ParseLameCommandLine(line, settings);
  return 0;
}
