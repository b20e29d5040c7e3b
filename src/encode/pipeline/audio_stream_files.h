#pragma once

#include <string>

#include "encode/variant_job.h"

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

// The general decode source's audio files: both names stored in the
// variant's streams, both files created anew with a zeroed audio header.
// False after the message of the step that failed; the source then stops.
bool CreateGeneralAudioFiles(VariantJob& variant);

// The movie-file source's audio file: both names stored, but only the audio
// stream file is created (no minimal file). False after its message.
bool CreateMovieAudioFile(VariantJob& variant);

}  // namespace zq48
