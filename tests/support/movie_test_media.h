#pragma once

// Movie files of the kinds cameras and phones write, for the movie-file path's tests.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zq48::testing {

// A track's display matrix as a movie file stores it: a, b, u, c, d, v, x, y, w
// (a..d and x, y in 16.16 fixed point, u, v, w in 2.30).
using DisplayMatrix = std::array<std::int32_t, 9>;

// A picture turned clockwise by `degrees` (a multiple of 90).
DisplayMatrix TurnMatrix(int degrees);
// A picture stretched by `sx` across and `sy` down.
DisplayMatrix ScaleMatrix(double sx, double sy);

struct MovieSpec {
  int width = 160;
  int height = 120;
  int fps = 15;
  double seconds = 2.0;  // the length shown; pictures hidden by an edit list come on top
  bool video = true;
  int bFrames = 0;  // B-frames between reference pictures (MPEG-4 Part 2)
  // FFmpeg's name of the sound encoder, e.g. "pcm_s16be" ('twos'),
  // "adpcm_ima_qt" ('ima4'), "pcm_mulaw" ('ulaw'), "pcm_alaw" ('alaw');
  // empty: no sound track.
  std::string sound = "pcm_s16be";
  int sampleRate = 22050;
  int channels = 1;
  std::optional<DisplayMatrix> matrix;  // the video track's display matrix
  int aspectNum = 0;                     // pixel aspect ratio of the video track; 0: none
  int aspectDen = 1;
  // Pictures written before the start that the track's edit list hides.
  int hiddenPictures = 0;
};

// Which picture (0, 1, ... modulo 36) of a movie written by WriteMovieFile
// an extracted picture is: packed blue-green-red rows, bottom row first.
int MoviePictureIndex(const std::uint8_t* bgr, int width, int height);

// The muxer starts the file with "ftyp"; as a "free" atom of the same size
// it leaves every offset in place and makes the file an old-style movie.
void RenameLeadingFtyp(const std::string& path);

// Writes a movie file with FFmpeg's "mov" muxer, its leading "ftyp" atom
// renamed "free" so that it is probed as an old-style movie: MPEG-4 Part 2
// video and the chosen sound. Throws std::runtime_error when FFmpeg refuses.
void WriteMovieFile(const std::string& path, const MovieSpec& shape);

}  // namespace zq48::testing
