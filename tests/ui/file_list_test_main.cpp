#include <QApplication>

#include "gui_test_environment.h"

int RunFileListTests(int argc, char** argv);

int main(int argc, char** argv) {
  zq48::testing::GuiTestEnvironment environment;
  if (!environment.valid()) return 2;

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RunFileListTests(argc, argv) == 0 ? 0 : 1;
}
