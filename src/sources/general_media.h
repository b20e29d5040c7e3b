#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/media_facts.h"

namespace zq48 {

// What the general decoding path tells about a file before any decoding:
// its streams, one record each.
struct DetectedStream {
  enum class Type { Video, Audio, Other };
  Type type = Type::Other;
  // The stream of its type that decoding takes (the default track, else the
  // first); the probe describes that one.
  bool chosen = false;
  // Audio: the stream's native format.
  std::optional<AudioFormat> audioFormat;
  // Video: whether a picture header (frame size) is known, and the size as
  // shown (pixel aspect ratio and display rotation applied).
  bool hasPictureHeader = false;
  int width = 0;
  int height = 0;
  int rotation = 0;  // degrees the stored picture is turned clockwise for display
  double frameRate = 0.0;
  // Length in seconds, when the stream's length is known.
  std::optional<double> length;
};

struct StreamDetection {
  enum class Status {
    Ok,
    DetectorFailed,  // the detector itself could not be created
    OpenFailed,      // the file could not be opened or its streams not read
  };
  Status status = Status::Ok;
  std::vector<DetectedStream> streams;
};

// Whether the general path can really decode a file: a source for it, a
// decoder that turns its video into 24-bit pictures and, when asked, one that
// turns its audio into PCM. Only the first picture and the first audio buffer
// are decoded.
struct DecodeCheck {
  enum class Status {
    Ok,
    GraphFailed,     // decoding objects could not be created
    NoSource,        // nothing opens the file
    NoVideoDecoder,  // no video stream, or it does not decode
    NoAudioDecoder,  // no audio stream beside the video, or it does not decode
  };
  Status status = Status::Ok;
  std::int64_t duration100ns = 0;  // the longest branch, in 100 ns units
};

// The media services of the general decoding path, as far as probing needs them.
class GeneralMediaService {
 public:
  virtual ~GeneralMediaService() = default;
  virtual StreamDetection DetectStreams(const std::string& path) const = 0;
  virtual DecodeCheck CheckDecode(const std::string& path, bool withAudio) const = 0;
};

}  // namespace zq48
