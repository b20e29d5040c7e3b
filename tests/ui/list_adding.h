#pragma once

#include <QtTest>

#include "encode/engine.h"
#include "ui/application.h"
#include "ui/file_list_view.h"

namespace zq48::testing {

// The engine a file list probes and lists its files through, over the
// application's catalog, for tests that run no job.
struct ListingEngine {
  ListingEngine(Application& app, Notifier& notifier)
      : engine(app.Catalog(), app.Store(), notifier, events, EngineParts{.movieFiles = app.MovieFilesAvailable()}) {}
  JobEvents events;
  Engine engine;
};

// Adds as the user would and lets the background probes finish; returns how
// many rows came of it.
inline int AddAndWait(FileListView& list, const QStringList& paths) {
  const int before = list.Count();
  list.AddPaths(paths);
  if (!QTest::qWaitFor([&] { return !list.Busy(); }, 60000)) qFatal("the probes never finished");
  return list.Count() - before;
}

}  // namespace zq48::testing
