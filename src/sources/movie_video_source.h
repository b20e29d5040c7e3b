#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zq48 {

// A movie's video as the extraction steps through it: sample by sample,
// with the picture of the current sample at the movie's size.
class MovieVideoSource {
 public:
  virtual ~MovieVideoSource() = default;
  virtual std::int64_t TimeScale() const = 0;  // units per second
  virtual std::int64_t Duration() const = 0;   // in time-scale units
  virtual std::int64_t SampleCount() const = 0;
  // Moves to the first video sample at or after `time`; false on an error
  // or when there is none.
  virtual bool GoToFirstSampleAtOrAfter(std::int64_t time) = 0;
  // Moves to the next video sample; false at the end of the movie or on an error.
  virtual bool GoToNextSample() = 0;
  // The time of the current sample.
  virtual std::int64_t CurrentTime() const = 0;
  // The current picture: packed blue-green-red rows, top row first,
  // width() x 3 bytes each; null when it could not be drawn.
  virtual const std::uint8_t* Picture() = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;
};

// Opens a movie file over FFmpeg's movie demuxer; a path containing "://"
// is opened as a URL. Nothing when it cannot be opened or has no video.
std::unique_ptr<MovieVideoSource> OpenMovieVideo(const std::string& path);

}  // namespace zq48
