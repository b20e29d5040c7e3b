// zq48-encoder: the desktop program.

#include <QApplication>
#include <QScreen>

#include "ui/application.h"
#include "ui/qsettings_store.h"
#include "ui/qt_notifier.h"
#include "encode/package/job_outputs.h"
#include "sources/ffmpeg_movie_media.h"
#include "encode/pipeline/worker_factory.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setOrganizationName(zq48::kSettingsOrganisation);
  QApplication::setApplicationName(zq48::kSettingsApplication);
  QApplication::setApplicationDisplayName(zq48::kAppCaption);

  // Start-up: the settings and what this build can read decide the
  // program's state before the window exists.
  zq48::QSettingsStore store;
  zq48::Application app(store, zq48::FfmpegMovieMedia::Available());

  zq48::QtNotifier notifier;
  zq48::DecodeWorkerFactory workers;
  zq48::PackageOutputs outputs;
  zq48::MainWindow window(app, {notifier, workers, outputs});
  // Most of the screen where nothing maximises windows (no window manager).
  window.resize(window.screen()->availableSize() * 4 / 5);
  window.showMaximized();
  // Closing the window ends the loop; the window then stops and awaits a
  // job that is still running before anything it uses goes away.
  return qt.exec();
}
