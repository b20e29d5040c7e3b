#pragma once

#include <QAbstractButton>
#include <QSettings>
#include <QtTest>
#include <memory>

#include "ui/application.h"
#include "ui/qsettings_store.h"
#include "support/fake_workers.h"
#include "support/recording_notifier.h"
#include "ui/encoder_view.h"
#include "ui/main_window.h"

namespace zq48::testing {

// Every test starts from a user who never ran the program.
inline void ClearSettings() { QSettings(kSettingsOrganisation, kSettingsApplication).clear(); }

// Workers that decode nothing and outputs that only log: a job that is
// there, runs and ends as the test lets it.
struct FakeJobParts {
  EventLog log;
  FakeWorkerFactory workers;
  RecordingJobOutputs outputs{log};
};

// The program as it starts: start-up over the real settings store, then
// the main window, shown (off screen) at a fixed size.
struct Desktop {
  // `sessionList`: where the window keeps its list between sessions (none when empty).
  Desktop(WorkerFactory& workers, JobOutputs& outputs, bool movieFiles = true, std::string sessionList = {})
      : app(store, movieFiles) {
    app.SetSessionListPath(std::move(sessionList));
    window = std::make_unique<MainWindow>(app, notifier, EngineParts{.workers = &workers, .outputs = &outputs});
    window->resize(1000, 700);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qFatal("the main window never showed");
  }

  QSettingsStore store;
  RecordingNotifier notifier;
  Application app;
  std::unique_ptr<MainWindow> window;
};

inline QAbstractButton* ViewButton(EncoderView& view, const char* name) {
  auto* button = view.findChild<QAbstractButton*>(name);
  if (!button) qFatal("the encoder view has no button %s", name);
  return button;
}

// Which of Encode, Pause and Stop are enabled, as "EPS" with '-' for off.
inline QString Buttons(EncoderView& view) {
  QString s;
  s += ViewButton(view, "encode")->isEnabled() ? 'E' : '-';
  s += ViewButton(view, "pause")->isEnabled() ? 'P' : '-';
  s += ViewButton(view, "stop")->isEnabled() ? 'S' : '-';
  return s;
}

}  // namespace zq48::testing
