#pragma once

// The fuzzers' input as a file: the readers under test take paths, so each
// input is written to a memory file and handed over as /proc/self/fd/N.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace zq48::fuzz {

class InputFile {
 public:
  InputFile(const std::uint8_t* data, std::size_t size) : fd_(::memfd_create("fuzz", MFD_CLOEXEC)) {
    for (std::size_t done = 0; fd_ >= 0 && done < size;) {
      const ssize_t n = ::write(fd_, data + done, size - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
  }
  ~InputFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace zq48::fuzz
