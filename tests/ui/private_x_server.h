#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace zq48::testing {

// An X server of the test program's own (Xvfb, from scripts/install-deps.sh)
// on a display number it picks itself, ended with the object. Nothing of
// the machine's own display is used.
class PrivateXServer {
 public:
  PrivateXServer() {
    int ends[2];
    if (::pipe(ends) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ends[0]);
      const std::string fd = std::to_string(ends[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(ends[1]);
    // Xvfb writes the number of its display once it accepts clients.
    std::string number;
    for (char c; ::read(ends[0], &c, 1) == 1 && c != '\n';) number += c;
    ::close(ends[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~PrivateXServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;

  // ":N", or empty when the server did not start.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace zq48::testing
