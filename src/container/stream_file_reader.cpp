#include "container/stream_file_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace zq48 {

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool ReadRecord(std::ifstream& in, HeaderBytes& bytes) {
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), bytes.size()));
}

void CheckVersion(std::uint32_t version, StreamFileReport& r) {
  if (version != kStreamVersion)
    r.problems.push_back("version is " + std::to_string(version) + ", not 2");
}

void CheckDataSize(std::uint32_t dataSize, StreamFileReport& r) {
  if (dataSize != r.payloadSize)
    r.problems.push_back("data_size says " + std::to_string(dataSize) + " bytes but the file holds " +
                         std::to_string(r.payloadSize) + " payload bytes");
}

void CheckVideo(std::ifstream& in, StreamFileReport& r) {
  HeaderBytes first{}, second{};
  ReadRecord(in, first);
  ReadRecord(in, second);
  r.fileOutput = DecodeFileOutput(first);
  r.video = DecodeVideo(second);
  r.placeholders = first == Placeholder(HeaderKind::FileOutput) &&
                   second == Placeholder(HeaderKind::Video);
  CheckVersion(r.fileOutput->version, r);
  if (r.placeholders && r.payloadSize > 0) {
    r.problems.push_back("the headers still hold placeholders: the file was never finished");
    return;
  }
  CheckDataSize(r.fileOutput->dataSize, r);
}

void CheckAudio(std::ifstream& in, StreamFileReport& r) {
  HeaderBytes bytes{};
  ReadRecord(in, bytes);
  r.audio = DecodeAudio(bytes);
  r.placeholders = bytes == Placeholder(HeaderKind::Audio);
  if (r.placeholders) {
    // An audio file that got no payload keeps its all-zero placeholder.
    if (r.payloadSize > 0)
      r.problems.push_back("the header still holds placeholders: the file was never finished");
    return;
  }
  CheckVersion(r.audio->version, r);
  CheckDataSize(r.audio->dataSize, r);
}

}  // namespace

StreamFileKind StreamFileKindOfName(const std::string& path) {
  return EndsWith(path, ".audio.zq48") ? StreamFileKind::Audio : StreamFileKind::Video;
}

std::optional<StreamFileReport> InspectStreamFile(const std::string& path, StreamFileKind kind,
                                                  std::string* error) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    if (error) *error = std::strerror(errno);
    return std::nullopt;
  }
  StreamFileReport report;
  report.kind = kind;
  report.fileSize = static_cast<std::uint64_t>(in.tellg());
  in.seekg(0);
  report.payloadOffset = kind == StreamFileKind::Video ? kVideoHeadersSize : kAudioHeadersSize;
  if (report.fileSize < report.payloadOffset) {
    report.problems.push_back("the file is shorter than its headers (" +
                              std::to_string(report.fileSize) + " bytes)");
    return report;
  }
  report.payloadSize = report.fileSize - report.payloadOffset;
  if (report.payloadSize > UINT32_MAX)
    report.problems.push_back("the payload is 4 GiB or more, which data_size cannot describe");
  if (kind == StreamFileKind::Video) {
    CheckVideo(in, report);
  } else {
    CheckAudio(in, report);
  }
  return report;
}

}  // namespace zq48
