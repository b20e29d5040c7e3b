// zq48-encoder: the desktop program.

#include <QApplication>
#include <QScreen>
#include <cstdio>

#include "encode/engine.h"
#include "ui/application.h"
#include "ui/desktop_arguments.h"
#include "ui/main_window.h"
#include "ui/program_setup.h"
#include "ui/qsettings_store.h"
#include "ui/qt_notifier.h"

int main(int argc, char** argv) {
  // Asked for help or the version, the program answers before Qt looks for
  // a display, so that both work on a console without one.
  const zq48::DesktopArguments early = zq48::HelpOrVersion(argc, argv);
  if (early.help) {
    std::fputs(zq48::DesktopUsageText(), stdout);
    return 0;
  }
  if (early.version) {
    std::fputs(zq48::kDesktopVersionText, stdout);
    return 0;
  }

  QApplication qt(argc, argv);
  const zq48::DesktopArguments given = zq48::ReadDesktopArguments(QApplication::arguments());
  if (!given.error.isEmpty()) {
    std::fprintf(stderr, "zq48-encoder: %s\nTry 'zq48-encoder --help' for more information.\n",
                 qPrintable(given.error));
    return 2;
  }
  zq48::SetUpProgram();

  // Start-up: the settings and what this build can read decide the
  // program's state before the window exists.
  zq48::QSettingsStore store;
  zq48::Application app(store, zq48::Engine::MovieFilesReadable());
  app.SetSessionListPath(zq48::SessionListPath());

  zq48::QtNotifier notifier;
  zq48::MainWindow window(app, notifier);
  // Most of the screen where nothing maximises windows (no window manager).
  window.resize(window.screen()->availableSize() * 4 / 5);
  window.showMaximized();
  // The list of the last session first, then what the command line names
  // (a file manager's "Open with"), added after it.
  window.OfferSessionList();
  window.AddPaths(given.paths);
  // Closing the window ends the loop; the window then stops and awaits a
  // job that is still running before anything it uses goes away.
  return qt.exec();
}
