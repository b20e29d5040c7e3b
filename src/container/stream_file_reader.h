#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "container/stream_headers.h"

namespace zq48 {

enum class StreamFileKind { Video, Audio };

// Audio stream files carry ".audio" before the extension (".audio.zq48",
// ".min.audio.zq48", "bps.audio.zq48"); every other stream file is video.
StreamFileKind StreamFileKindOfName(const std::string& path);

// What a stream file holds, and whether its headers agree with it.
struct StreamFileReport {
  StreamFileKind kind = StreamFileKind::Video;
  std::uint64_t fileSize = 0;
  std::optional<FileOutputHeader> fileOutput;  // video files
  std::optional<VideoHeader> video;            // video files
  std::optional<AudioHeader> audio;            // audio files
  std::uint64_t payloadOffset = 0;
  std::uint64_t payloadSize = 0;  // as found on disk
  bool placeholders = false;      // the headers were never rewritten
  std::vector<std::string> problems;  // empty when the file is consistent
};

// Reads a stream file's headers and checks them against the file. Nothing
// when the file cannot be read at all (`error` then says why).
std::optional<StreamFileReport> InspectStreamFile(const std::string& path, StreamFileKind kind,
                                                  std::string* error);

}  // namespace zq48
