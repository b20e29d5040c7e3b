#include "serve/package_server.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>
#include <type_traits>

#include "encode/package/page_names.h"
#include "serve/byte_range.h"
#include "serve/content_type.h"
#include "serve/served_path.h"

namespace zq48 {

namespace {

constexpr const char* kHost = "127.0.0.1";

static_assert(std::is_same_v<httplib::Ranges, std::vector<std::pair<long, long>>>,
              "AnswerRange takes the HTTP library's ranges as they are");

// An open file, closed when the last response streaming it is done.
struct OpenFile {
  explicit OpenFile(int descriptor) : fd(descriptor) {}
  ~OpenFile() { ::close(fd); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd;
};

bool IsLoopback(const std::string& address) {
  return address.rfind("127.", 0) == 0 || address == "::1" || address.rfind("::ffff:127.", 0) == 0;
}

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The Host header names this server, so a page of another site cannot reach
// it through a name of its own that resolves to 127.0.0.1 (DNS rebinding).
bool AddressedHere(const httplib::Request& req, int port) {
  const std::string host = Lowered(req.get_header_value("Host"));
  const std::string withPort = ":" + std::to_string(port);
  for (const char* name : {"127.0.0.1", "localhost"}) {
    if (host == name + withPort) return true;
    if (port == 80 && host == name) return true;
  }
  return false;
}

// The HTTP library applies the parsed Range header to a response of known
// length as it stands, without checking it against that length (a range
// running past the end would promise bytes that do not exist). The handler
// therefore replaces the request's ranges by the one it answers, or by none.
// The request is the library's own non-const object, passed to the handler
// by const reference only.
void AnswerWithRanges(const httplib::Request& req, httplib::Ranges ranges) {
  const_cast<httplib::Request&>(req).ranges = std::move(ranges);
}

void Refuse(const httplib::Request& req, httplib::Response& res, int status, const std::string& why) {
  AnswerWithRanges(req, {});
  res.status = status;
  res.set_content(why + "\n", "text/plain; charset=utf-8");
}

// Streams a file from disk: the library asks for pieces of the (possibly
// ranged) length it announced; each is read where it is asked for.
void SendFile(const httplib::Request& req, httplib::Response& res, const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Refuse(req, res, 404, "Not Found");
  auto file = std::make_shared<OpenFile>(fd);
  struct stat facts {};
  // Checked again on the open file: it may have been replaced since it was resolved.
  if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) return Refuse(req, res, 404, "Not Found");
  const auto size = static_cast<std::uint64_t>(facts.st_size);

  const std::string type = ContentTypeOf(path);
  res.set_header("Accept-Ranges", "bytes");
  const ByteRange range = AnswerRange(req.ranges, size);
  switch (range.kind) {
    case ByteRange::Kind::Unsatisfiable:
      AnswerWithRanges(req, {});
      res.status = 416;
      res.set_header("Content-Range", "bytes */" + std::to_string(size));
      return;
    case ByteRange::Kind::Part:
      AnswerWithRanges(req, {{static_cast<long>(range.first), static_cast<long>(range.last)}});
      res.status = 206;
      break;
    case ByteRange::Kind::Whole:
      AnswerWithRanges(req, {});
      res.status = 200;
      break;
  }
  if (size == 0) {
    res.set_header("Content-Type", type);
    return;
  }
  // A response of known length is never compressed by the library, so the
  // bytes and ranges sent are the file's own.
  res.set_content_provider(
      static_cast<std::size_t>(size), type, [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        std::array<char, 64 * 1024> buffer;
        const ssize_t got = ::pread(file->fd, buffer.data(), std::min(length, buffer.size()), static_cast<off_t>(offset));
        // A file cut short while it is sent ends the connection: the length is promised.
        return got > 0 && sink.write(buffer.data(), static_cast<std::size_t>(got));
      });
}

}  // namespace

struct PackageServer::Impl {
  std::string folder;  // real path
  int port = 0;
  httplib::Server server;
  std::atomic<bool> ended{false};
  std::thread thread;

  void Handle(const httplib::Request& req, httplib::Response& res) const {
    if (!IsLoopback(req.remote_addr)) return Refuse(req, res, 403, "Only this computer is served.");
    if (!AddressedHere(req, port)) return Refuse(req, res, 403, "Other hosts' addresses are refused.");
    if (req.method != "GET" && req.method != "HEAD") {
      Refuse(req, res, 405, "Only GET and HEAD are served.");
      res.set_header("Allow", "GET, HEAD");
      return;
    }
    const ServedPath served = ResolveServedPath(folder, req.path);
    switch (served.verdict) {
      case ServedPath::Verdict::Refused: return Refuse(req, res, 403, "Forbidden");
      case ServedPath::Verdict::NotFound: return Refuse(req, res, 404, "Not Found");
      case ServedPath::Verdict::File: return SendFile(req, res, served.realPath);
    }
  }

  void Configure() {
    // Only SO_REUSEADDR: the library's default SO_REUSEPORT would let a
    // second server share a port that is in use instead of failing.
    server.set_socket_options([](socket_t sock) {
      int yes = 1;
      ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // An idle kept-alive connection holds the server's stop this long.
    server.set_keep_alive_timeout(1);
    // Files change when a package is encoded again; nothing is guessed from their bytes.
    server.set_default_headers({{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}});
    // Every request, whatever its method, is answered here and goes no further.
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      Handle(req, res);
      return httplib::Server::HandlerResponse::Handled;
    });
  }

  bool Bind(int wanted, std::string* error) {
    errno = 0;
    if (wanted == 0) {
      port = server.bind_to_any_port(kHost);
    } else {
      port = server.bind_to_port(kHost, wanted) ? wanted : -1;
    }
    if (port > 0) return true;
    const int cause = errno;
    if (error) {
      *error = "cannot listen on " + std::string(kHost) + ":" + std::to_string(wanted);
      if (cause != 0) *error += ": " + std::string(std::strerror(cause));
    }
    return false;
  }
};

std::unique_ptr<PackageServer> PackageServer::Start(const std::string& folder, int port, std::string* error) {
  auto fail = [error](std::string why) {
    if (error) *error = std::move(why);
    return nullptr;
  };
  if (port < 0 || port > 65535) return fail("the port must be 0..65535, not " + std::to_string(port));
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(folder, ec);
  if (ec) return fail("no such folder: " + folder);
  if (!std::filesystem::is_directory(real, ec)) return fail("not a folder: " + folder);

  auto impl = std::make_unique<Impl>();
  impl->folder = real.string();
  impl->Configure();
  if (!impl->Bind(port, error)) return nullptr;
  Impl* running = impl.get();
  impl->thread = std::thread([running] {
    running->server.listen_after_bind();
    running->ended = true;
  });
  // The library's stop() does nothing until its loop has begun; wait for
  // that, so that the destructor can always end the thread.
  while (!impl->server.is_running() && !impl->ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (impl->ended) {
    impl->thread.join();
    return fail("the server on " + std::string(kHost) + ":" + std::to_string(impl->port) + " stopped at once");
  }
  return std::unique_ptr<PackageServer>(new PackageServer(std::move(impl)));
}

PackageServer::PackageServer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

PackageServer::~PackageServer() {
  impl_->server.stop();
  impl_->thread.join();
}

int PackageServer::port() const { return impl_->port; }

const std::string& PackageServer::folder() const { return impl_->folder; }

std::string PackageServer::UrlOf(const std::string& fileName) const {
  return "http://" + std::string(kHost) + ":" + std::to_string(impl_->port) + "/" + UrlPathSegment(fileName);
}

}  // namespace zq48
