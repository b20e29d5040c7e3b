// The metafile reader on any bytes.
#include "container/metafile.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zq48::fuzz::InputFile file(data, size);
  std::string problem;
  zq48::ReadMetafile(file.path(), &problem);
  return 0;
}
