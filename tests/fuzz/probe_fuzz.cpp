// Probing a file held in memory: stream detection and the decode check.
extern "C" {
#include <libavutil/log.h>
}

#include "fuzz_input.h"
#include "sources/ffmpeg_general_media.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  av_log_set_level(AV_LOG_QUIET);
  zq48::fuzz::InputFile file(data, size);
  zq48::FfmpegGeneralMedia media;
  media.DetectStreams(file.path());
  media.CheckDecode(file.path(), true);
  return 0;
}
