#pragma once

#include <memory>
#include <string>

namespace zq48 {

// Serves the files of one folder over HTTP to this computer's own browser:
// on 127.0.0.1 only, read-only, no listings, nothing outside the folder
// (no "..", no absolute paths, no symbolic link leading out, no hidden
// files), only GET and HEAD, and only to requests addressed to this server
// (Host 127.0.0.1 or localhost with its port), so a page of another site
// cannot reach it through a name that resolves here. Files are streamed
// from disk with Range requests honoured, as players seek with them, and
// marked not to be cached (a package encoded again changes them).
class PackageServer {
 public:
  // Serves `folder` on 127.0.0.1:`port` (0: a free port chosen by the
  // system) from a thread of its own. Nothing when the folder is not one
  // or the port cannot be had, with the reason in `error`.
  static std::unique_ptr<PackageServer> Start(const std::string& folder, int port, std::string* error);
  ~PackageServer();  // stops serving and waits for the thread
  PackageServer(const PackageServer&) = delete;
  PackageServer& operator=(const PackageServer&) = delete;

  int port() const;
  // The folder as served (its real path).
  const std::string& folder() const;
  // The address of a file of the folder, its name percent-encoded:
  // "http://127.0.0.1:PORT/NAME".
  std::string UrlOf(const std::string& fileName) const;

 private:
  struct Impl;
  explicit PackageServer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace zq48
