#include <QApplication>

#include "gui_test_environment.h"

int RunMainWindowTests(int argc, char** argv);
int RunDesktopSettingsTests(int argc, char** argv);
int RunFileDialogTests(int argc, char** argv);
int RunQtBridgeTests(int argc, char** argv);

int main(int argc, char** argv) {
  zq48::testing::GuiTestEnvironment environment;
  if (!environment.valid()) return 2;

  QApplication app(argc, argv);
  // Closing the window under test must not end anything.
  QApplication::setQuitOnLastWindowClosed(false);
  int failures = RunMainWindowTests(argc, argv);
  failures += RunDesktopSettingsTests(argc, argv);
  failures += RunFileDialogTests(argc, argv);
  failures += RunQtBridgeTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
