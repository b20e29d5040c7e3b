#include "container/stream_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zq48 {

namespace {

// write(2) may write less than asked; a short write that makes no progress is a failure.
bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

StreamFile::~StreamFile() { Close(); }

StreamFile::StreamFile(StreamFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), writeFailed_(std::exchange(other.writeFailed_, false)) {}

StreamFile& StreamFile::operator=(StreamFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    writeFailed_ = std::exchange(other.writeFailed_, false);
  }
  return *this;
}

std::optional<StreamFile> StreamFile::Create(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::nullopt;
  return StreamFile(fd);
}

bool StreamFile::WritePlaceholder(HeaderKind kind) {
  HeaderBytes bytes = Placeholder(kind);
  return Write(bytes.data(), bytes.size());
}

bool StreamFile::Write(const void* data, std::size_t size) {
  return IsOpen() && Noted(WriteAll(fd_, data, size));
}

bool StreamFile::AppendAtEnd(const void* data, std::size_t size) {
  return IsOpen() && Noted(::lseek(fd_, 0, SEEK_END) >= 0 && WriteAll(fd_, data, size));
}

bool StreamFile::WriteRecordAt(std::uint64_t offset, const HeaderBytes& record) {
  return IsOpen() && Noted(::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0 &&
                           WriteAll(fd_, record.data(), record.size()));
}

bool StreamFile::Sync() { return IsOpen() && Noted(::fdatasync(fd_) == 0); }

std::optional<std::uint64_t> StreamFile::Size() const {
  struct stat st {};
  if (!IsOpen() || ::fstat(fd_, &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool StreamFile::Close() {
  if (!IsOpen()) return true;
  int rc = ::close(std::exchange(fd_, -1));
  return rc == 0;
}

}  // namespace zq48
