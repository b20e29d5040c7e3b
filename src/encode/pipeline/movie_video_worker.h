#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "encode/job_context.h"
#include "encode/pipeline/variant_outputs.h"
#include "encode/pipeline/variant_plan.h"
#include "sources/movie_video_source.h"
#include "video/video_encoder_stage.h"

namespace zq48 {

// Receives each extracted picture: time in seconds, bottom-up rows.
using MoviePictureSink = std::function<void(double time, const std::uint8_t* picture, std::size_t bytes)>;

// Steps through the movie's video samples from the first one at or after
// `begin` seconds, handing each picture over with its display time counted
// from `begin`. It stops after the first picture past a non-zero `end`, at
// the movie's end, or when the job is stopped; while the job is paused it
// waits in 100 ms steps. Returns false (after "error GoToFirstVideoSample")
// when there is no sample to start at.
bool ExtractMovieVideo(MovieVideoSource& movie, double begin, double end, JobContext& job,
                       const MoviePictureSink& sink);

// The work of a movie file's video worker, for one variant or for a group
// of variants sharing a range (each with its own context): then the movie is
// extracted once and every picture goes to each variant's pipeline.
// The end of the time line of a variant over [begin, end) of the movie (an
// end of 0: the movie's end), in seconds from `begin`: the movie's duration
// covers its longest track, so the pictures last as long as the sound.
double MovieTimelineEnd(const MovieVideoSource& movie, double begin, double end);

class MovieVideoExtraction {
 public:
  // `job` is the job's own context, whose state says when to stop or pause;
  // `variants` are a group's contexts, or none for the variant in `job`'s
  // state. What each variant asks for is read now.
  explicit MovieVideoExtraction(JobContext& job, std::vector<JobContext*> variants = {});

  // The whole extraction into the variants' video stream files.
  void Run();

 private:
  using MovieOpener = std::function<MovieVideoSource*()>;
  void RunOne();
  void RunGroup();
  // A variant's steps up to its first picture: its stream file, the movie
  // (`open`), its encoder. False after the step's message.
  bool Prepare(const PlannedVariant& variant, const MovieOpener& open, VariantOutputs& outputs,
               VideoEncoderState& stage);

  JobContext& job_;
  const bool group_;
  std::vector<PlannedVariant> variants_;
};

}  // namespace zq48
