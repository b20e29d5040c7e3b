#include <QApplication>

int RunEncoderPartsTests(int argc, char** argv);
int RunEncoderViewTests(int argc, char** argv);

int main(int argc, char** argv) {
  // The view is drawn off screen: these tests need no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int failures = RunEncoderPartsTests(argc, argv);
  failures += RunEncoderViewTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
