#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
}

struct AVFrame;

// Transport and program streams of the kinds broadcast captures and DVD rips
// are, for the general decode path's tests: sound that changes its format on
// the way, 5.1 sound, key pictures far apart.

namespace zq48::testing {

// One stretch of sound; the stretches follow each other on one stream, each
// from an encoder of its own, as a broadcast switches between programmes.
struct SoundStretch {
  double seconds = 2.0;
  int sampleRate = 44100;
  int channels = 2;
};

struct StreamClip {
  const char* format = "mpegts";  // or "mpeg" (a program stream, as on a DVD)
  int width = 160;
  int height = 128;
  int fps = 25;
  int keyInterval = 12;  // pictures from one key picture to the next
  int bFrames = 2;       // reordered pictures between references (0: pictures start with the sound)
  AVCodecID videoCodec = AV_CODEC_ID_MPEG2VIDEO;
  AVCodecID soundCodec = AV_CODEC_ID_MP2;
  std::vector<SoundStretch> sound{SoundStretch{}};  // the pictures last as long as all of it
  double toneHz = 440.0;
};

// Writes the clip. Every picture differs from its neighbours (see PictureOf).
void WriteStreamClip(const std::string& path, const StreamClip& clip);

// Picture `index` as the writer draws it: packed blue-green-red, top row first.
std::vector<std::uint8_t> PictureOf(const StreamClip& clip, int index);

// Every picture of a media file decoded by FFmpeg, packed blue-green-red,
// top row first, with its time in seconds from the file's first time stamp.
struct TimedPicture {
  double time = 0.0;
  std::vector<std::uint8_t> bgr;
};
std::vector<TimedPicture> DecodePictures(const std::string& path);

// Decodes the file's main stream of `type` to its end with FFmpeg, handing
// each frame and its time in seconds on the stream's clock to `onFrame`.
// Gives the file's first time stamp in seconds, or nothing when the file or
// the stream cannot be read.
std::optional<double> DecodeEachFrame(const std::string& path, AVMediaType type,
                                      const std::function<void(const AVFrame&, double)>& onFrame);

// The byte-wise concatenation of two files (two recordings joined).
void JoinFiles(const std::string& first, const std::string& second, const std::string& path);

}  // namespace zq48::testing
