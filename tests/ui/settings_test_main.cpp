#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

int RunSettingsPagesTests(int argc, char** argv);
int RunMovieInfoTests(int argc, char** argv);

// The first argument names the group to run: "pages" or "info".
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The file dialogs keep settings of their own: never the user's.
  QTemporaryDir config;
  if (!config.isValid()) return 2;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
  av_log_set_level(AV_LOG_QUIET);

  QApplication app(argc, argv);
  const char* group = argc > 1 ? argv[1] : "";
  // QTest must not see the group name.
  int testArgc = argc > 1 ? 1 : argc;
  if (std::strcmp(group, "pages") == 0) return RunSettingsPagesTests(testArgc, argv);
  if (std::strcmp(group, "info") == 0) return RunMovieInfoTests(testArgc, argv);
  return RunSettingsPagesTests(testArgc, argv) + RunMovieInfoTests(testArgc, argv) == 0 ? 0 : 1;
}
