#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

int RunPreviewTests(int argc, char** argv);

int main(int argc, char** argv) {
  // Drawn off screen: no display needed.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings (ours and the file dialog's) go to a folder of the test's own.
  QTemporaryDir config;
  if (!config.isValid()) return 2;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
  // FFmpeg's own complaints about the generated clips are noise.
  av_log_set_level(AV_LOG_QUIET);

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RunPreviewTests(argc, argv) == 0 ? 0 : 1;
}
