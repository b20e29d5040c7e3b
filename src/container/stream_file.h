#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "container/stream_headers.h"

namespace zq48 {

// An open stream file. It is created (or truncated) with placeholder headers,
// gets the codec's payload appended, and finally has its headers rewritten in
// place. Closing is explicit so that a failed close can be reported; the
// destructor closes a file still open.
class StreamFile {
 public:
  StreamFile() = default;
  ~StreamFile();
  StreamFile(StreamFile&& other) noexcept;
  StreamFile& operator=(StreamFile&& other) noexcept;
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;

  // Creates or truncates the file for reading and writing. Nothing on failure.
  static std::optional<StreamFile> Create(const std::string& path);

  bool IsOpen() const { return fd_ >= 0; }

  // Writes the 12 placeholder bytes of a record at the current position.
  bool WritePlaceholder(HeaderKind kind);
  // Writes at the current position (the only writer of a video file does this).
  bool Write(const void* data, std::size_t size);
  // Moves to the end first (the audio file is also touched by finishing).
  bool AppendAtEnd(const void* data, std::size_t size);
  // Rewrites one record at a given offset, in one 12-byte write.
  bool WriteRecordAt(std::uint64_t offset, const HeaderBytes& record);
  // The file's size in bytes; nothing when it cannot be read.
  std::optional<std::uint64_t> Size() const;
  // Whether any write to this file has failed (a full disk, an I/O error):
  // its payload is then not whole, whatever its size says.
  bool WriteFailed() const { return writeFailed_; }
  // Puts what was written on the disk; false when the system fails.
  bool Sync();
  // Closes the file; false when the system reports an error. A closed file stays closed.
  bool Close();

 private:
  explicit StreamFile(int fd) : fd_(fd) {}
  bool Noted(bool written) {
    if (!written) writeFailed_ = true;
    return written;
  }
  int fd_ = -1;
  bool writeFailed_ = false;
};

}  // namespace zq48
