#pragma once

#include <QtTest>

#include "ui/file_list_view.h"

namespace zq48::testing {

// Adds as the user would and lets the background probes finish; returns how
// many rows came of it.
inline int AddAndWait(FileListView& list, const QStringList& paths) {
  const int before = list.Count();
  list.AddPaths(paths);
  if (!QTest::qWaitFor([&] { return !list.Busy(); }, 60000)) qFatal("the probes never finished");
  return list.Count() - before;
}

}  // namespace zq48::testing
