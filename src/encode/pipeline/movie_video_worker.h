#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/buffer_pool.h"
#include "encode/variant_job.h"
#include "sources/movie_video_source.h"

namespace zq48 {

// Receives each extracted picture: time in seconds, bottom-up rows.
using MoviePictureSink = std::function<void(double time, SharedBuffer picture)>;

// Steps through the movie's video samples from the first one at or after
// `begin` seconds, handing each picture over with its display time counted
// from `begin`. It stops after the first picture past a non-zero `end`, at
// the movie's end, or when the job is stopped; while the job is paused it
// waits in 100 ms steps. False when there is no sample to start at.
bool ExtractMovieVideo(MovieVideoSource& movie, double begin, double end, const JobState& job,
                       const MoviePictureSink& sink);

// The end of the time line of a variant over [begin, end) of the movie (an
// end of 0: the movie's end), in seconds from `begin`: the movie's duration
// covers its longest track, so the pictures last as long as the sound.
double MovieTimelineEnd(const MovieVideoSource& movie, double begin, double end);

// The work of a movie file's video worker for a group of variants sharing
// a range (a group of one included): the movie is extracted once and every
// picture goes to each variant's pipeline.
class MovieVideoExtraction {
 public:
  // `job` says when to stop or pause.
  MovieVideoExtraction(const JobState& job, std::vector<VariantJob*> variants)
      : job_(job), variants_(std::move(variants)) {}

  // The whole extraction into the variants' video stream files.
  void Run();

 private:
  const JobState& job_;
  std::vector<VariantJob*> variants_;
};

}  // namespace zq48
