#pragma once

#include <cstdint>
#include <vector>

#include "core/message_thread.h"
#include "audio/audio_encoder.h"
#include "encode/job_context.h"
#include "encode/pipeline/variant_outputs.h"
#include "sources/movie_sound_source.h"

namespace zq48 {

// Hands a movie's converted sound to the encoder in chunks of at most 4096
// bytes, publishing the media time reached, until the range ends or the job
// is stopped (it waits while the job is paused). Returns 0, or the error
// that ended the conversion.
int ConvertMovieSound(MovieSoundSource& sound, AudioEncoder& encoder, JobContext& job);

// The sound worker of a movie file for one variant: its start message runs
// the whole extraction into the variant's audio stream file; when it is
// over, whether it succeeded or not, the worker tells the job driver and ends.
//
// For a group of variants sharing a range (each with its own context) the
// sound is converted once and every chunk goes to each variant's encoder.
class MovieAudioWorker : public MessageThread {
 public:
  explicit MovieAudioWorker(MessageThread& driver, std::vector<JobContext*> variants = {});
  ~MovieAudioWorker() override { EndAndJoin(); }

 private:
  void OnStart(WParam wparam);
  void Run(JobContext& job);
  void RunGroup(JobContext& job);
  // A variant's steps up to its encoder; false after the step's message.
  bool Prepare(JobContext& job, VariantOutputs& outputs, AudioEncoder& encoder, PcmFormat& converted);
  MessageThread& driver_;
  std::vector<JobContext*> variants_;
};

}  // namespace zq48
