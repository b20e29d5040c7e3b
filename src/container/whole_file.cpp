#include "container/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <utility>

namespace zq48 {

namespace {

// The temporary name: the final one with the process and a counter, so it is
// unique among encoders writing into one folder at once.
std::string TemporaryName(const std::string& final) {
  static std::atomic<unsigned> counter{0};
  return final + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

WholeFile::WholeFile(int fd, std::string temporary, std::string final)
    : fd_(fd), temporary_(std::move(temporary)), final_(std::move(final)) {}

std::optional<WholeFile> WholeFile::Create(const std::string& finalPath) {
  std::string temporary = TemporaryName(finalPath);
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return std::nullopt;
  return WholeFile(fd, std::move(temporary), finalPath);
}

WholeFile::WholeFile(WholeFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      temporary_(std::move(other.temporary_)),
      final_(std::move(other.final_)) {
  other.temporary_.clear();
}

WholeFile::~WholeFile() { Discard(); }

void WholeFile::Discard() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool WholeFile::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0 && fd_ >= 0) {
    ssize_t n = ::write(fd_, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return fd_ >= 0;
}

bool WholeFile::Commit() {
  if (fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  const bool closed = ::close(std::exchange(fd_, -1)) == 0;
  if (!synced || !closed || std::rename(temporary_.c_str(), final_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

WholeFileWrite WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::optional<WholeFile> f = WholeFile::Create(path);
  if (!f) return WholeFileWrite::NotCreated;
  if (!f->Write(bytes.data(), bytes.size()) || !f->Commit()) return WholeFileWrite::NotWritten;
  return WholeFileWrite::Written;
}

}  // namespace zq48
