// The AVI fourcc reader on any bytes.
#include "fuzz_input.h"
#include "sources/avi_fourcc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zq48::fuzz::InputFile file(data, size);
  zq48::ReadAviVideoFourcc(file.path());
  return 0;
}
