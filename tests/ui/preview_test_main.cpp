#include <QApplication>

#include "gui_test_environment.h"

int RunPreviewTests(int argc, char** argv);

int main(int argc, char** argv) {
  zq48::testing::GuiTestEnvironment environment;
  if (!environment.valid()) return 2;

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RunPreviewTests(argc, argv) == 0 ? 0 : 1;
}
