// What the window system sees of the desktop program, read from a real X
// server with xprop: every window's caption exactly as the program sets it
// (_NET_WM_NAME, with nothing appended) and the program's icon
// (_NET_WM_ICON, pixel for pixel).

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "desktop_fixture.h"
#include "modal_answerer.h"
#include "private_x_server.h"
#include "ui/about_dialog.h"
#include "ui/exit_confirmation.h"
#include "ui/movie_info_dialog.h"
#include "ui/program_icon.h"
#include "ui/program_setup.h"
#include "ui/qt_notifier.h"

using namespace zq48;
using namespace zq48::testing;

namespace {

QString Xprop(QWidget& window, const QStringList& args) {
  QProcess xprop;
  xprop.start("xprop", QStringList{"-id", QString::number(window.winId())} + args);
  if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0) qFatal("xprop failed");
  return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}

QString Caption(QWidget& window) { return Xprop(window, {"_NET_WM_NAME"}); }

// The first icon of _NET_WM_ICON: width, height, then ARGB pixels.
QImage WindowIcon(QWidget& window) {
  const QString text = Xprop(window, {"-notype", "-f", "_NET_WM_ICON", "32c", " = $0+", "_NET_WM_ICON"});
  QStringList numbers = text.section('=', 1).split(',', Qt::SkipEmptyParts);
  if (numbers.size() < 2) return {};
  const int width = numbers[0].trimmed().toInt(), height = numbers[1].trimmed().toInt();
  if (width <= 0 || height <= 0 || numbers.size() < 2 + width * height) return {};
  QImage image(width, height, QImage::Format_ARGB32);
  for (int i = 0; i < width * height; ++i)
    image.setPixel(i % width, i / width, numbers[2 + i].trimmed().toUInt());
  return image;
}

// Whether the window carries the program's icon.
bool HasProgramIcon(QWidget& window) {
  const QImage shown = WindowIcon(window);
  if (shown.isNull()) return false;
  const QImage expected = ProgramIcon().pixmap(shown.size()).toImage().convertToFormat(QImage::Format_ARGB32);
  return shown == expected;
}

QString Named(const char* caption) { return QString("_NET_WM_NAME(UTF8_STRING) = \"%1\"").arg(caption); }

bool Shown(QWidget& window) {
  window.show();
  return QTest::qWaitForWindowExposed(&window);
}

}  // namespace

class WindowSystemTest : public QObject {
  Q_OBJECT

 private slots:
  void windowsCarryTheirExactCaptionsAndTheProgramsIcon() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QCOMPARE(Caption(w), Named("ZQ48 Encoder"));
    QVERIFY(HasProgramIcon(w));

    AboutDialog about(&w);
    QVERIFY(Shown(about));
    QCOMPARE(Caption(about), Named("About ZQ48 design 3"));
    QVERIFY(HasProgramIcon(about));

    MovieInfoDialog info(MovieInfoTexts{}, &w);
    QVERIFY(Shown(info));
    QCOMPARE(Caption(info), Named("Movie information"));
    QVERIFY(HasProgramIcon(info));
  }

  // The boxes the program shows: the application's own, an owner-less one
  // and the exit confirmation.
  void messageBoxesToo() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    QtNotifier notifier;
    QStringList captions;
    bool icons = true;
    auto look = [&](QWidget* box) {
      captions << Caption(*box);
      icons = icons && HasProgramIcon(*box);
      static_cast<QDialog*>(box)->reject();
    };
    {
      OnNextModal answer(look);
      notifier.ShowApp("Error create HTML file");
    }
    {
      OnNextModal answer(look);
      notifier.Show({"Can't open a.avi file.", "Error", Presentation::PlainBox});
    }
    {
      OnNextModal answer(look);
      ConfirmExit();
    }
    QCOMPARE(captions, QStringList({Named("ZQ48 Encoder"), Named("Error"), Named("ZQ48")}));
    QVERIFY(icons);
  }
};

int main(int argc, char** argv) {
  PrivateXServer server;
  if (server.display().empty()) {
    std::fprintf(stderr, "Xvfb did not start (scripts/install-deps.sh installs it)\n");
    return 2;
  }
  qputenv("DISPLAY", server.display().c_str());
  qputenv("QT_QPA_PLATFORM", "xcb");
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  SetUpProgram();  // as the program's own start-up does
  WindowSystemTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_system_test.moc"
