#pragma once

#include <QSettings>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

namespace zq48::testing {

// What every desktop test program sets up before its QApplication: drawing
// off screen (no display needed), settings (ours and the file dialogs')
// kept in a folder of its own and never the user's, and FFmpeg quiet about
// the broken files the tests feed it on purpose.
class GuiTestEnvironment {
 public:
  GuiTestEnvironment() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!config_.isValid()) return;
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
    av_log_set_level(AV_LOG_QUIET);
  }
  bool valid() const { return config_.isValid(); }

 private:
  QTemporaryDir config_;
};

}  // namespace zq48::testing
