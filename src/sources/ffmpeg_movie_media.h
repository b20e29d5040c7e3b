#pragma once

#include <string>

#include "sources/movie_media.h"

struct AVCodecParameters;
struct AVStream;

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

// The bits per sample a movie's sound description gives its track: the
// sample size of uncompressed integer PCM, and 16 for every compressed
// format (IMA4, μ-law, A-law, AAC ...), which decompress to 16-bit samples.
// FFmpeg reports the stored size instead (4 bits for IMA4, 8 for μ-law).
int SoundSampleSize(const AVCodecParameters& sound);

// Where a movie's time line starts, in seconds of its time stamps: the
// earlier of its first picture's and first sound's times as they decode
// (see FindTimelineOrigin); both extractions count their times from it, so
// a track that an edit list starts late keeps its distance from the other.
// 0 when the movie does not open.
double MovieTimelineOrigin(const std::string& path);

// The video samples a movie shows: every sample of the track except those
// its edit list hides (which are still read to decode the ones after them).
std::int64_t ShownVideoSamples(const AVStream* video);

}  // namespace zq48
