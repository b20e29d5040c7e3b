#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/pcm_frame.h"

namespace zq48 {

// The first sound track of a movie, converted to interleaved PCM.
class MovieSoundSource {
 public:
  virtual ~MovieSoundSource() = default;
  // Fills `out` with at most `capacity` bytes of whole sample blocks.
  // Returns the bytes written, 0 at the end of the range, negative on an error.
  virtual int Read(std::uint8_t* out, int capacity) = 0;
  // How far the conversion has come, in whole seconds of media time.
  virtual std::int64_t CurrentSeconds() const = 0;
};

// The rate a sound track is converted at for a probed rate: the classic
// Macintosh rates 11000 and 22000 are really 11127.27 and 22254.55 Hz; an
// unknown rate gives 0.
int ConverterRate(int probedRate);

// Opens the movie's first sound track for conversion to `format` (its
// sample rate the converter rate), over whole seconds [begin, end); an end
// of 0 means the end of the media. Nothing, with `error` set, when the movie
// has no usable sound track or cannot be opened.
std::unique_ptr<MovieSoundSource> OpenMovieSound(const std::string& path, const PcmFormat& format,
                                                 std::int64_t beginSeconds,
                                                 std::int64_t endSeconds, int* error);

}  // namespace zq48
