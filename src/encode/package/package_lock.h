#pragma once

#include <memory>
#include <string>

namespace zq48 {

// The lock file that guards one output base name in a destination folder:
// folder + "." + base name + ".lock".
std::string PackageLockName(const std::string& folder, const std::string& sourcePath);

// An exclusive flock(2) on a file's lock file: while one process holds it,
// no other process can take it, so two encoders never write the same
// package at once. The kernel drops the lock when the holder dies, so a
// crashed encoder leaves at most an unlocked file behind, never a lock.
class PackageLock {
 public:
  enum class Outcome { Held, Busy, Failed };
  struct Attempt {
    Outcome outcome = Outcome::Failed;
    std::unique_ptr<PackageLock> lock;  // when held
    std::string error;                  // when failed: why the lock file could not be used
  };

  // Tries once, without waiting.
  static Attempt TryAcquire(const std::string& folder, const std::string& sourcePath);

  // Removes the lock file and releases the lock.
  ~PackageLock();
  PackageLock(const PackageLock&) = delete;
  PackageLock& operator=(const PackageLock&) = delete;

  const std::string& name() const { return name_; }

 private:
  PackageLock(std::string name, int fd) : name_(std::move(name)), fd_(fd) {}
  std::string name_;
  int fd_;
};

}  // namespace zq48
