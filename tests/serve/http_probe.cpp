#include "serve/http_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace zq48::testing {

namespace {

int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

RawAnswer RawRequest(int port, const std::string& request) {
  RawAnswer answer;
  const int fd = Connect(port);
  if (fd < 0) return answer;
  std::string all;
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) all.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  const std::size_t end = all.find("\r\n\r\n");
  if (all.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos) return answer;
  answer.status = std::atoi(all.c_str() + 9);
  answer.head = all.substr(0, end);
  answer.body = all.substr(end + 4);
  return answer;
}

RawAnswer RawGet(int port, const std::string& target, const std::string& host) {
  return RawRequest(port, "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n");
}

bool Accepts(int port) {
  const int fd = Connect(port);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace zq48::testing
