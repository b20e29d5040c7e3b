#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zq48 {

// Which decoding path serves a file: the general one, or the movie-file one
// for files whose first atom marks them as movies.
enum SourceKind : int {
  kSourceGeneral = 0,
  kSourceMovie = 2,
};

// The fields of a WAVEFORMATEX, the native format of an audio stream.
struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t extraSize = 0;

  bool operator==(const WaveFormat&) const = default;
};

// The media type of a file's audio stream. The major type is always audio;
// the subtype names the stream's coding and the format type is always a
// WAVEFORMATEX, held by value so that copies never share it.
struct AudioFormat {
  std::string subtype;
  std::string formatType = "WaveFormatEx";
  WaveFormat wave;

  bool operator==(const AudioFormat&) const = default;
};

// What probing learns about one input file.
struct MediaFacts {
  int sourceKind = kSourceGeneral;
  std::string modifiedDate;  // "%02d/%02d/%d": month, day, year in local time
  std::string createdDate;
  std::string sizeText;      // bytes up to 10,240 bytes, else KiB
  std::string durationText;  // "%02dh:%02dm:%02d.%03ds"; empty for movie files
  int width = 0;   // the picture as shown: pixel aspect ratio and rotation applied
  int height = 0;
  int rotation = 0;  // degrees the stored picture is turned clockwise to be shown
  bool hasAudio = false;
  bool hasVideo = false;
  double frameRate = 0.0;      // frames per second
  double videoDuration = 0.0;  // seconds
  double audioDuration = 0.0;  // seconds
  std::int64_t bitRate = 0;    // bits per second of the whole file
  std::optional<AudioFormat> audioFormat;
  std::string videoCodecName;  // cached by the information dialog

  bool operator==(const MediaFacts&) const = default;
};

// The options the user sets per file in the list.
struct FileOptions {
  float volume = 1.0f;     // audio gain factor
  double beginTime = 0.0;  // seconds
  double endTime = 0.0;    // seconds
  int cropBottom = 0;      // pixels
  int cropLeft = 0;
  int cropRight = 0;
  int cropTop = 0;

  bool operator==(const FileOptions&) const = default;
};

}  // namespace zq48
