#include <QApplication>
#include <cstring>

#include "gui_test_environment.h"

int RunSettingsPagesTests(int argc, char** argv);
int RunMovieInfoTests(int argc, char** argv);

// The first argument names the group to run: "pages" or "info".
int main(int argc, char** argv) {
  zq48::testing::GuiTestEnvironment environment;
  if (!environment.valid()) return 2;

  QApplication app(argc, argv);
  const char* group = argc > 1 ? argv[1] : "";
  // QTest must not see the group name.
  int testArgc = argc > 1 ? 1 : argc;
  if (std::strcmp(group, "pages") == 0) return RunSettingsPagesTests(testArgc, argv);
  if (std::strcmp(group, "info") == 0) return RunMovieInfoTests(testArgc, argv);
  return RunSettingsPagesTests(testArgc, argv) + RunMovieInfoTests(testArgc, argv) == 0 ? 0 : 1;
}
