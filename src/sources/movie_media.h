#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zq48 {

struct MovieTrack {
  enum class Media { Video, Sound, Other };
  Media media = Media::Other;
  std::int64_t duration = 0;  // in the movie's time scale
  std::int64_t dataSize = 0;  // bytes of media data over the whole track
};

// The sound description of a movie's first sound track.
struct SoundDescription {
  int channels = 0;
  int sampleSize = 0;           // bits
  std::uint32_t rateFixed = 0;  // samples per second, 16.16 fixed point
};

// The facts of an opened movie file.
struct MovieFacts {
  int boxLeft = 0;
  int boxTop = 0;
  int boxRight = 0;
  int boxBottom = 0;
  std::int64_t timeScale = 0;  // units per second; 0 when unreadable
  std::int64_t duration = 0;   // in the time scale
  std::vector<MovieTrack> tracks;
  // Samples of the first video track; nothing when there is no video track.
  std::optional<std::int64_t> videoSampleCount;
  // Nothing when the movie has no sound track or its description is unreadable.
  std::optional<SoundDescription> sound;
};

// The media services of the movie-file path, as far as probing needs them.
class MovieMediaService {
 public:
  virtual ~MovieMediaService() = default;
  // Opens the file as a movie, read-only. Nothing when it cannot be opened.
  virtual std::optional<MovieFacts> OpenMovie(const std::string& path) const = 0;
};

}  // namespace zq48
