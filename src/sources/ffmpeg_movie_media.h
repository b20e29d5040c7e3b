#pragma once

#include "sources/movie_media.h"

namespace zq48 {

// The movie-file path's probing services over FFmpeg's movie demuxer.
class FfmpegMovieMedia : public MovieMediaService {
 public:
  // Whether this FFmpeg build can demux movie files at all.
  static bool Available();

  std::optional<MovieFacts> OpenMovie(const std::string& path) const override;
};

// A sound rate in whole hertz as a 16.16 fixed-point sound description rate.
// FFmpeg keeps only the integer part of a movie's rate, so the two classic
// Macintosh rates (11127.2727 and 22254.5454 Hz) are given back exactly.
std::uint32_t SoundRateFixed(int sampleRate);

}  // namespace zq48
