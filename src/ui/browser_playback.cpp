#include "ui/browser_playback.h"

#include <QDesktopServices>
#include <QUrl>
#include <filesystem>
#include <system_error>

#include "serve/package_server.h"

namespace zq48 {

namespace {

// The folder's real path, as the server reports the folder it serves.
std::string RealFolder(const QString& folder) {
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(folder.toStdString(), error);
  return error ? std::string() : real.string();
}

}  // namespace

BrowserPlayback::BrowserPlayback() = default;
BrowserPlayback::~BrowserPlayback() = default;

bool BrowserPlayback::Play(const QString& folder, const QString& pageFileName, QString* error) {
  if (!server_ || server_->folder() != RealFolder(folder)) {
    server_.reset();  // frees the old port before a new one is asked for
    std::string why;
    server_ = PackageServer::Start(folder.toStdString(), 0, &why);
    if (!server_) {
      if (error) *error = QString::fromStdString(why);
      return false;
    }
  }
  const QUrl url(QString::fromStdString(server_->UrlOf(pageFileName.toStdString())), QUrl::StrictMode);
  if (QDesktopServices::openUrl(url)) return true;
  if (error) *error = QStringLiteral("No browser could be opened for %1").arg(url.toString());
  return false;
}

}  // namespace zq48
