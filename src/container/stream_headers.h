#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zq48 {

// The 12-byte little-endian records at the start of every stream file. A
// video stream file starts with a file header and a video header (24 bytes),
// an audio stream file with one audio header (12 bytes); the codec's raw
// elementary stream follows.

inline constexpr std::uint32_t kStreamVersion = 2;
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kVideoHeadersSize = 2 * kHeaderSize;
inline constexpr std::size_t kAudioHeadersSize = kHeaderSize;

using HeaderBytes = std::array<std::uint8_t, kHeaderSize>;

// HEADER_FILE_OUTPUT
struct FileOutputHeader {
  std::uint32_t version = kStreamVersion;
  std::uint32_t durationUs = 0;  // playing time of the encoded range
  std::uint32_t dataSize = 0;    // payload bytes
  bool operator==(const FileOutputHeader&) const = default;
};

// HEADER_VIDEO
struct VideoHeader {
  std::uint32_t frameRateX1e6 = 0;  // frames per second times 1,000,000, rounded
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint32_t bitRate = 0;  // payload bits per second; 0 when not computed
  bool operator==(const VideoHeader&) const = default;
};

// HEADER_AUDIO. Its placeholder is all zero: the version is only set when
// the file is finished.
struct AudioHeader {
  std::uint32_t version = 0;
  std::uint32_t bitRate = 0;
  std::uint32_t dataSize = 0;
  bool operator==(const AudioHeader&) const = default;
};

enum class HeaderKind { FileOutput, Video, Audio };

HeaderBytes Encode(const FileOutputHeader& header);
HeaderBytes Encode(const VideoHeader& header);
HeaderBytes Encode(const AudioHeader& header);
FileOutputHeader DecodeFileOutput(const HeaderBytes& bytes);
VideoHeader DecodeVideo(const HeaderBytes& bytes);
AudioHeader DecodeAudio(const HeaderBytes& bytes);

// The placeholder bytes a newly created stream file starts with.
HeaderBytes Placeholder(HeaderKind kind);

// frames per second x 1,000,000, rounded to the nearest integer.
std::uint32_t FrameRateX1e6(double frameRate);

}  // namespace zq48
