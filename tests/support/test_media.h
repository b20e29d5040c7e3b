#pragma once

#include <cstdint>
#include <string>

namespace zq48::testing {

// Small clips written at test time with libavformat/libavcodec. Pictures are
// a moving pattern, sound a tone, so decoders have real content to chew on.
struct ClipSpec {
  int width = 160;
  int height = 120;
  int fpsNum = 15;  // frame rate as a fraction
  int fpsDen = 1;
  double seconds = 2.0;  // length of each stream present
  bool video = true;
  bool audio = true;
  int sampleRate = 22050;
  int channels = 1;
};

// AVI: MPEG-4 Part 2 video and 16-bit little-endian PCM.
void WriteAvi(const std::string& path, const ClipSpec& clip = {});
// MPEG program stream: MPEG-1 video and MP2 audio.
void WriteMpegPs(const std::string& path, const ClipSpec& clip = {});
// MP4 whose first atom is "ftyp": MPEG-4 Part 2 video and AAC audio.
void WriteMp4(const std::string& path, const ClipSpec& clip = {});
// A movie file whose first atom is `firstAtom` ("mdat", "moov", "free",
// "wide", "skip" or "pnot"): MPEG-4 Part 2 video and 16-bit big-endian PCM
// ('twos'). The file must still demux with FFmpeg's mov demuxer and give
// exactly round(seconds * fps) video samples.
void WriteMovie(const std::string& path, const ClipSpec& clip = {},
                const std::string& firstAtom = "mdat");
// WAV file with 16-bit PCM only (no video stream).
void WriteWav(const std::string& path, const ClipSpec& clip = {});

// Files that are not media.
void WriteZeroByte(const std::string& path);
// `size` bytes of deterministic pseudo-random garbage (seeded, so tests repeat).
void WriteGarbage(const std::string& path, std::size_t size, std::uint32_t seed = 1);
// The first `keep` bytes of `source`, written to `path`.
void WriteTruncated(const std::string& source, const std::string& path, std::size_t keep);

// Reads the 4 bytes at offset 4 of a file (the first atom's type of a movie).
std::string FirstAtomType(const std::string& path);

// A fresh empty folder under the system's temp folder, removed with everything
// in it when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace zq48::testing
