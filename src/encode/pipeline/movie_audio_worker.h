#pragma once

#include <cstdint>
#include <vector>

#include "audio/audio_encoder.h"
#include "encode/job_context.h"
#include "encode/pipeline/variant_outputs.h"
#include "encode/pipeline/variant_plan.h"
#include "sources/movie_sound_source.h"

namespace zq48 {

// Hands a movie's converted sound to the encoder in chunks of at most 4096
// bytes, publishing the media time reached, until the range ends or the job
// is stopped (it waits while the job is paused). Returns 0, or the error
// that ended the conversion.
int ConvertMovieSound(MovieSoundSource& sound, AudioEncoder& encoder, JobContext& job);

// The work of a movie file's sound worker, for one variant or for a group
// of variants sharing a range (each with its own context): then the sound is
// converted once and every chunk goes to each variant's encoder.
class MovieSoundExtraction {
 public:
  // `job` is the job's own context, whose state says when to stop or pause;
  // `variants` are a group's contexts, or none for the variant in `job`'s
  // state. What each variant asks for is read now.
  explicit MovieSoundExtraction(JobContext& job, std::vector<JobContext*> variants = {});

  // The whole extraction into the variants' audio stream files.
  void Run();

 private:
  void RunOne();
  void RunGroup();
  // A variant's steps up to its encoder; false after the step's message.
  bool Prepare(const PlannedVariant& variant, VariantOutputs& outputs, AudioEncoder& encoder, PcmFormat& converted);

  JobContext& job_;
  const bool group_;
  std::vector<PlannedVariant> variants_;
};

}  // namespace zq48
