#pragma once

#include <string>

#include "encode/job_context.h"

namespace zq48 {

// The names of a variant's audio files while it is encoded, taken from the
// output base path ("…/clip_1.zq48"): the audio stream file
// "…/clip_1.audio.zq48" and the minimal audio file "…/clip_1.min.audio.zq48"
// (a bare zeroed header that the general decode source leaves beside it).
struct AudioStreamNames {
  std::string audio;
  std::string minimal;
};
AudioStreamNames AudioStreamNamesFor(const std::string& outputBasePath);

// The general decode source's audio files: both names stored in the job
// state (lock B), both files created anew with a zeroed audio header, their
// handles in the job state's audio file slot. False after the message of the
// step that failed; the source then stops.
bool CreateGeneralAudioFiles(JobContext& job, const std::string& outputBasePath);

// The movie-file source's audio file: both names stored, but only the audio
// stream file is created (no minimal file). False after its message.
bool CreateMovieAudioFile(JobContext& job, const std::string& outputBasePath);

// A variant without audio: the job state holds no audio stream file.
void ClearAudioStreamFile(JobState& state);

}  // namespace zq48
