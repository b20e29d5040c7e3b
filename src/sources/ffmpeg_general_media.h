#pragma once

#include "sources/general_media.h"

struct AVCodecParameters;

namespace zq48 {

// The general decoding path's probing services over FFmpeg.
class FfmpegGeneralMedia : public GeneralMediaService {
 public:
  StreamDetection DetectStreams(const std::string& path) const override;
  DecodeCheck CheckDecode(const std::string& path, bool withAudio) const override;
};

// The native format of an audio stream, in WAVEFORMATEX terms.
AudioFormat AudioFormatOf(const AVCodecParameters& codecpar);

}  // namespace zq48
