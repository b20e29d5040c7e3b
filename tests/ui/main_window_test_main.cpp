#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

int RunMainWindowTests(int argc, char** argv);
int RunDesktopSettingsTests(int argc, char** argv);
int RunFileDialogTests(int argc, char** argv);
int RunQtBridgeTests(int argc, char** argv);

int main(int argc, char** argv) {
  // Drawn off screen: no display needed.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings (ours and the file dialog's) go to a folder of the test's own,
  // never to the user's.
  QTemporaryDir config;
  if (!config.isValid()) return 2;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
  // The tests feed FFmpeg files it must refuse; its own complaints are noise.
  av_log_set_level(AV_LOG_QUIET);

  QApplication app(argc, argv);
  // Closing the window under test must not end anything.
  QApplication::setQuitOnLastWindowClosed(false);
  int failures = RunMainWindowTests(argc, argv);
  failures += RunDesktopSettingsTests(argc, argv);
  failures += RunFileDialogTests(argc, argv);
  failures += RunQtBridgeTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
