#pragma once

#include <QString>
#include <memory>

namespace zq48 {

class PackageServer;

// "Play in browser": a package's page is played by the
// desktop's browser from a server of this program on 127.0.0.1, since
// browsers do not run players from files. One folder is served at a time;
// the server stops when another folder is played or this object goes.
class BrowserPlayback {
 public:
  BrowserPlayback();
  ~BrowserPlayback();
  BrowserPlayback(const BrowserPlayback&) = delete;
  BrowserPlayback& operator=(const BrowserPlayback&) = delete;

  // Serves `folder` (keeping the server when it already serves that folder)
  // and opens its page `pageFileName` (e.g. "BASE.play.html") in the
  // desktop's browser. False, with the reason in `error`, when the folder
  // cannot be served or no browser could be opened.
  bool Play(const QString& folder, const QString& pageFileName, QString* error);

 private:
  std::unique_ptr<PackageServer> server_;
};

}  // namespace zq48
