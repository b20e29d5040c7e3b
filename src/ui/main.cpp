// zq48-encoder: the desktop program.

#include <QApplication>
#include <QScreen>

#include "encode/engine.h"
#include "ui/application.h"
#include "ui/qsettings_store.h"
#include "ui/qt_notifier.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setOrganizationName(zq48::kSettingsOrganisation);
  QApplication::setApplicationName(zq48::kSettingsApplication);
  QApplication::setApplicationDisplayName(zq48::kAppCaption);

  // Start-up: the settings and what this build can read decide the
  // program's state before the window exists.
  zq48::QSettingsStore store;
  zq48::Application app(store, zq48::Engine::MovieFilesReadable());

  zq48::QtNotifier notifier;
  zq48::MainWindow window(app, notifier);
  // Most of the screen where nothing maximises windows (no window manager).
  window.resize(window.screen()->availableSize() * 4 / 5);
  window.showMaximized();
  // Closing the window ends the loop; the window then stops and awaits a
  // job that is still running before anything it uses goes away.
  return qt.exec();
}
