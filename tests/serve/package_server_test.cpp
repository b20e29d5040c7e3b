// The package server over a folder shaped like a package, asked by an HTTP
// client and by raw requests on 127.0.0.1.

#include "serve/package_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Requests written byte for byte, for what an HTTP client would tidy up
// first ("..", a foreign Host header), read until the server closes.
struct RawAnswer {
  int status = 0;  // 0 when no answer came
  std::string head;
  std::string body;
};

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

constexpr const char* kStream = "clip_120000bps.video.zq48";

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every byte value, NUL and CR LF among them, in a pattern that never repeats within a range.
std::string BinaryBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
  return bytes;
}

class PackageServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.File("package");
    fs::create_directories(folder_ + "/sub");
    Write(folder_ + "/" + kStream, stream_);
    Write(folder_ + "/x.play.html", "<!DOCTYPE html><title>x</title>");
    Write(folder_ + "/a b#c.js", "play();");
    Write(folder_ + "/sub/buttons.gif", "GIF89a");
    Write(folder_ + "/.x.lock", "4242");
    Write(dir_.File("secret.txt"), "not for the browser");
    fs::create_symlink(dir_.File("secret.txt"), folder_ + "/out.zq48");
    fs::create_symlink(kStream, folder_ + "/in.zq48");
    std::string error;
    server_ = PackageServer::Start(folder_, 0, &error);
    ASSERT_TRUE(server_) << error;
  }

  std::string Target(const std::string& name) const {  // the path part of UrlOf
    const std::string url = server_->UrlOf(name);
    return url.substr(url.find('/', std::string("http://").size()));
  }

  TempDir dir_;
  std::string folder_;
  const std::string stream_ = BinaryBytes(3000);
  std::unique_ptr<PackageServer> server_;
};

TEST_F(PackageServerTest, ServesTheFolderFilesWithTheirTypesAndBytes) {
  EXPECT_EQ(server_->folder(), fs::canonical(folder_).string());
  EXPECT_EQ(server_->UrlOf("a b#c.js"), "http://127.0.0.1:" + std::to_string(server_->port()) + "/a%20b%23c.js");
  httplib::Client client("127.0.0.1", server_->port());
  client.set_decompress(false);
  const struct {
    std::string name;
    std::string type;
    std::string bytes;
  } files[] = {{kStream, "application/octet-stream", stream_},
               {"in.zq48", "application/octet-stream", stream_},  // a link staying inside
               {"x.play.html", "text/html; charset=utf-8", "<!DOCTYPE html><title>x</title>"},
               {"a b#c.js", "text/javascript; charset=utf-8", "play();"},
               {"sub/buttons.gif", "image/gif", "GIF89a"}};
  for (const auto& file : files) {
    // Asked for compression, the bytes still come as they are on disk.
    auto res = client.Get(Target(file.name).c_str(), {{"Accept-Encoding", "gzip, br"}});
    ASSERT_TRUE(res) << file.name;
    EXPECT_EQ(res->status, 200) << file.name;
    EXPECT_EQ(res->get_header_value("Content-Type"), file.type) << file.name;
    EXPECT_EQ(res->body, file.bytes) << file.name;
    EXPECT_EQ(res->get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(res->get_header_value("Cache-Control"), "no-store");
  }
  auto head = client.Head(Target(kStream).c_str());
  ASSERT_TRUE(head);
  EXPECT_EQ(head->status, 200);
  EXPECT_EQ(head->get_header_value("Content-Length"), "3000");
  EXPECT_EQ(head->get_header_value("Accept-Ranges"), "bytes");
  EXPECT_TRUE(head->body.empty());
}

TEST_F(PackageServerTest, RangesGetTheirExactSliceClampedToTheFile) {
  httplib::Client client("127.0.0.1", server_->port());
  const struct {
    const char* range;
    std::size_t first, count;
  } parts[] = {{"bytes=100-199", 100, 100},
               {"bytes=2990-4095", 2990, 10},  // a player asking for more than is left
               {"bytes=2000-", 2000, 1000},
               {"bytes=-16", 2984, 16},
               {"bytes=0-0", 0, 1}};
  for (const auto& part : parts) {
    auto res = client.Get(Target(kStream).c_str(), {{"Range", part.range}});
    ASSERT_TRUE(res) << part.range;
    EXPECT_EQ(res->status, 206) << part.range;
    EXPECT_EQ(res->get_header_value("Content-Range"), "bytes " + std::to_string(part.first) + "-" +
                                                          std::to_string(part.first + part.count - 1) + "/3000")
        << part.range;
    EXPECT_EQ(res->body, stream_.substr(part.first, part.count)) << part.range;
  }
  auto beyond = client.Get(Target(kStream).c_str(), {{"Range", "bytes=3000-"}});
  ASSERT_TRUE(beyond);
  EXPECT_EQ(beyond->status, 416);
  EXPECT_EQ(beyond->get_header_value("Content-Range"), "bytes */3000");
  // Several ranges: the whole file, as HTTP allows.
  auto several = client.Get(Target(kStream).c_str(), {{"Range", "bytes=0-9,20-29"}});
  ASSERT_TRUE(several);
  EXPECT_EQ(several->status, 200);
  EXPECT_EQ(several->body, stream_);
}

TEST_F(PackageServerTest, RefusesWhatIsNotAFileOfTheFolderWithoutListing) {
  const std::string host = "127.0.0.1:" + std::to_string(server_->port());
  const struct {
    const char* target;
    int status;
  } refused[] = {{"/../secret.txt", 403},      {"/%2e%2e/secret.txt", 403},   {"/sub/..%2f..%2fsecret.txt", 403},
                 {"//etc/passwd", 403},        {"/%2fetc%2fpasswd", 403},     {"/sub%5c..%5csecret.txt", 403},
                 {"/x.play.html%00.gif", 403}, {"/./x.play.html", 403},       {"/out.zq48", 403},
                 {"/", 404},                   {"/sub", 404},                 {"/sub/", 404},
                 {"/.x.lock", 404},            {"/missing.zq48", 404}};
  for (const auto& r : refused) {
    const RawAnswer answer = RawGet(server_->port(), r.target, host);
    EXPECT_EQ(answer.status, r.status) << r.target;
    EXPECT_EQ(answer.body.find("not for the browser"), std::string::npos) << r.target;
    EXPECT_EQ(answer.body.find("x.play.html"), std::string::npos) << r.target;
    EXPECT_EQ(answer.body.find("buttons.gif"), std::string::npos) << r.target;
  }
}

TEST_F(PackageServerTest, AnswersOnlyRequestsAddressedToItToReadFiles) {
  const int port = server_->port();
  const std::string me = ":" + std::to_string(port);
  EXPECT_EQ(RawGet(port, "/x.play.html", "127.0.0.1" + me).status, 200);
  EXPECT_EQ(RawGet(port, "/x.play.html", "LocalHost" + me).status, 200);
  for (const std::string& host : {"evil.example" + me, std::string("127.0.0.1:1"), std::string("127.0.0.1"), "localhost.evil.example" + me})
    EXPECT_EQ(RawGet(port, "/x.play.html", host).status, 403) << host;
  EXPECT_EQ(RawRequest(port, "GET /x.play.html HTTP/1.0\r\n\r\n").status, 403);  // no Host at all
  const std::string post = "POST /x.play.html HTTP/1.1\r\nHost: 127.0.0.1" + me +
                           "\r\nContent-Length: 1\r\nConnection: close\r\n\r\nx";
  const RawAnswer posted = RawRequest(port, post);
  EXPECT_EQ(posted.status, 405);
  EXPECT_NE(posted.head.find("Allow: GET, HEAD"), std::string::npos) << posted.head;
}

TEST_F(PackageServerTest, StopsWithItsObjectAndRefusesATakenPortOrAMissingFolder) {
  const int port = server_->port();
  std::string error;
  EXPECT_FALSE(PackageServer::Start(folder_, port, &error));
  EXPECT_NE(error.find("127.0.0.1:" + std::to_string(port)), std::string::npos) << error;
  EXPECT_FALSE(PackageServer::Start(dir_.File("none"), 0, &error));
  EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
  EXPECT_FALSE(PackageServer::Start(dir_.File("secret.txt"), 0, &error));
  EXPECT_NE(error.find("not a folder"), std::string::npos) << error;

  // An idle connection kept alive does not hold the stop for long.
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(true);
  ASSERT_TRUE(client.Get("/x.play.html"));
  EXPECT_TRUE(Accepts(port));
  server_.reset();
  EXPECT_FALSE(Accepts(port));
}

}  // namespace
}  // namespace zq48
