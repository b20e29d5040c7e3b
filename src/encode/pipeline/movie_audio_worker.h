#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "audio/audio_encoder.h"
#include "encode/variant_job.h"
#include "sources/movie_sound_source.h"

namespace zq48 {

// An encoder the converted sound goes to, and where its failure is told.
struct MovieSoundTarget {
  AudioEncoder* encoder;
  Notifier* notifier;
};

// Hands a movie's converted sound to each encoder in chunks of at most 4096
// bytes, telling `reached` the media time reached, until the range ends or
// the job is stopped (it waits while the job is paused). An encoder that
// fails stops receiving, after its message. Returns 0, or the error that
// ended the conversion.
int ConvertMovieSound(MovieSoundSource& sound, const std::vector<MovieSoundTarget>& targets, const JobState& job,
                      const std::function<void(double seconds)>& reached);

// The work of a movie file's sound worker for a group of variants sharing a
// range (a group of one included): the sound is converted once, and
// variants whose sound settings are equal share one encode, which writes
// each one's audio stream file.
class MovieSoundExtraction {
 public:
  // `job` says when to stop or pause.
  MovieSoundExtraction(const JobState& job, std::vector<VariantJob*> variants)
      : job_(job), variants_(std::move(variants)) {}

  // The whole extraction into the variants' audio stream files.
  void Run();

 private:
  const JobState& job_;
  std::vector<VariantJob*> variants_;
};

}  // namespace zq48
