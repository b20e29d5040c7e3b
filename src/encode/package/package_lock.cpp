#include "encode/package/package_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "catalog/output_names.h"

namespace zq48 {

namespace {

// True when `fd` is still the file named `name`: a holder that finished
// removes the name before it lets go, so a lock taken on a removed file is
// worthless and must be taken again on the new one.
bool StillNamed(int fd, const std::string& name) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && ::stat(name.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace

std::string PackageLockName(const std::string& folder, const std::string& sourcePath) {
  return folder + "." + OutputBaseName(sourcePath) + ".lock";
}

PackageLock::Attempt PackageLock::TryAcquire(const std::string& folder, const std::string& sourcePath) {
  const std::string name = PackageLockName(folder, sourcePath);
  for (int tries = 0; tries < 100; ++tries) {
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return {Outcome::Failed, nullptr, name + ": " + std::strerror(errno)};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) return {Outcome::Busy, nullptr, {}};
      return {Outcome::Failed, nullptr, name + ": " + std::strerror(error)};
    }
    if (StillNamed(fd, name)) return {Outcome::Held, std::unique_ptr<PackageLock>(new PackageLock(name, fd)), {}};
    ::close(fd);  // the holder removed it in between: take the new file
  }
  return {Outcome::Failed, nullptr, name + ": the lock file keeps being replaced"};
}

PackageLock::~PackageLock() {
  ::unlink(name_.c_str());
  ::close(fd_);
}

}  // namespace zq48
