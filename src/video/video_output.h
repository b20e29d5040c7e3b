#pragma once

#include <cstddef>
#include <cstdint>

#include "core/notifier.h"
#include "video/picture_quality.h"

namespace zq48 {

// The pictures a video stage will be given: their decoded size and the
// input file's frame rate.
struct DecodedVideo {
  int width = 0;
  int height = 0;
  double frameRate = 0.0;
};

// Where the video stage of one variant delivers what it makes. The stage
// knows nothing of jobs: whoever runs it decides where the bytes go and who
// hears of progress and failures. Called on the stage's thread; an
// implementation takes its own locks.
class VideoOutput {
 public:
  virtual ~VideoOutput() = default;
  // Appends encoded bytes to the variant's video stream. A failed write is
  // kept by the stream and found when the variant is finished.
  virtual void WriteVideo(const std::uint8_t* data, std::size_t size) = 0;
  // The stage has taken the picture at `seconds` (its progress).
  virtual void VideoReached(double seconds) = 0;
  // The stage has encoded its last picture: how close its pictures came.
  virtual void VideoMeasured(const VideoQuality& quality) = 0;
  // Where the stage's failures are shown.
  virtual Notifier& notifier() = 0;
};

}  // namespace zq48
