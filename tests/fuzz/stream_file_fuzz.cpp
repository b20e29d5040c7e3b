// The stream-file reader on any bytes, as a video and as an audio file.
#include "container/stream_file_reader.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zq48::fuzz::InputFile file(data, size);
  std::string error;
  for (auto kind : {zq48::StreamFileKind::Video, zq48::StreamFileKind::Audio})
    zq48::InspectStreamFile(file.path(), kind, &error);
  return 0;
}
