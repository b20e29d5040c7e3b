#pragma once

#include <cstdint>
#include <string>

#include "catalog/media_facts.h"

namespace zq48 {

// "%02dh:%02dm:%02ds" of a duration in seconds, each part truncated.
std::string HoursMinutesSeconds(double seconds);
// Kilobits (of 1024 bits) per second, truncated: 3,000,000 bit/s is "2929 kbps".
std::string KbpsText(std::int64_t bitsPerSecond);

// What the information dialog shows for one file, field by field; a field
// the file has nothing for is empty.
struct MovieInfoTexts {
  std::string fileName;
  std::string dataSize;
  std::string modified;
  std::string created;
  std::string frameSize;
  std::string frameRate;
  std::string videoDataRate;
  std::string videoDuration;
  std::string videoCodec;
  std::string channels;
  std::string sampleRate;
  std::string audioDataRate;
  std::string audioDuration;
  std::string audioCodec;
};

// The codec names are shown for files of the general kind only; the movie
// kind's decoder does not report what the file was coded with.
MovieInfoTexts MakeMovieInfoTexts(const std::string& path, const MediaFacts& facts,
                                  const std::string& videoCodecName);

}  // namespace zq48
