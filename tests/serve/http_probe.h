#pragma once

// Plain HTTP requests to a server on 127.0.0.1, written byte for byte, for
// what an HTTP client would tidy up first ("..", a foreign Host header).

#include <string>

namespace zq48::testing {

struct RawAnswer {
  int status = 0;       // 0 when no answer came
  std::string head;     // status line and header lines
  std::string body;
};

// Sends `request` as it stands to 127.0.0.1:`port` and reads the answer
// until the server closes the connection (send "Connection: close").
RawAnswer RawRequest(int port, const std::string& request);

// "GET `target` HTTP/1.1" with the given Host header, closing the connection.
RawAnswer RawGet(int port, const std::string& target, const std::string& host);

// Whether anything accepts connections on 127.0.0.1:`port`.
bool Accepts(int port);

}  // namespace zq48::testing
