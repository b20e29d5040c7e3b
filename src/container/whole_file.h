#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zq48 {

// A file that appears under its final name only when it is complete. It is
// written under a temporary name in the same folder (unique to this process
// and moment, so two encoders writing the same file cannot mix their bytes),
// then flushed to disk and renamed over the final name in one step. Until
// then, and after any failure, a reader sees the earlier file under the
// final name, or none; a file that is not committed is removed.
class WholeFile {
 public:
  // Creates the temporary file; nothing when it cannot be created.
  static std::optional<WholeFile> Create(const std::string& finalPath);
  ~WholeFile();
  WholeFile(WholeFile&& other) noexcept;
  WholeFile& operator=(WholeFile&&) = delete;
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  // Writes everything, retrying short writes; false when the system fails.
  bool Write(const void* data, std::size_t size);
  bool Write(const std::string& text) { return Write(text.data(), text.size()); }
  // Flushes, closes and renames over the final name. False (the temporary
  // file removed, the final name untouched) when any step fails.
  bool Commit();

 private:
  WholeFile(int fd, std::string temporary, std::string final);
  void Discard();

  int fd_ = -1;
  std::string temporary_;
  std::string final_;
};

// How writing a whole file in one go ended.
enum class WholeFileWrite {
  Written,     // the file is under its final name
  NotCreated,  // no temporary file could be made beside it
  NotWritten,  // writing, flushing or renaming failed; the final name is untouched
};

// Writes `bytes` to `path` as a WholeFile: aside first, renamed over `path`
// once all of it is on disk.
WholeFileWrite WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);
inline WholeFileWrite WriteWholeFile(const std::string& path, std::string_view text) {
  return WriteWholeFile(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace zq48
