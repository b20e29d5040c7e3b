// What the program keeps between runs: the folders, the simple ladder
// settings and the file list's columns, written through the settings store
// and read back by the start-up of the next run.

#include <QHeaderView>
#include <QSettings>
#include <QTreeWidget>
#include <QtTest>

#include "ui/application.h"
#include "ui/qsettings_store.h"
#include "desktop_fixture.h"
#include "support/test_media.h"
#include "ui/file_list_view.h"
#include "ui/media_list_widget.h"
#include "ui/settings_view.h"

using namespace zq48;
using namespace zq48::testing;

namespace {

std::string StoredDestination(SettingsStore& store) {
  return store.ReadSettingString(settings::kPathDest, settings::kRootSection);
}

const ListColumn& ColumnNamed(Application& app, const std::string& name) {
  for (const ListColumn& column : app.Columns())
    if (column.name == name) return column;
  qFatal("no column %s", name.c_str());
}

}  // namespace

class DesktopSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ClearSettings(); }

  void firstStartUsesTheDefaults() {
    QSettingsStore store;
    Application app(store, true);
    const EncodeSettings& s = app.Catalog().Settings();
    QCOMPARE(s.quality, 50);
    QCOMPARE(s.rangeBegin, 48u);
    QCOMPARE(s.rangeEnd, 350u);
    QCOMPARE(s.destinationFolder(), std::string());
    QCOMPARE(app.Catalog().InputFolder(), std::string());
    QVERIFY(app.Columns() == DefaultListColumns());
    QVERIFY(app.Maximised());
    QCOMPARE(app.MediaPatterns(), std::string("*.avi;*.mpeg;*.mpg;*.mov;"));
    QCOMPARE(Application(store, false).MediaPatterns(), std::string("*.avi;*.mpeg;*.mpg;"));
  }

  // The folder is kept when a job's settings are checked, even a job that
  // then has nothing to encode.
  void destinationFolderSurvivesARestart() {
    TempDir dir;
    FakeJobParts parts;
    {
      Desktop first(parts.workers, parts.outputs);
      first.window->Settings().SetDestinationText(dir.path());  // no trailing "/"
      first.window->StartEncode();
      QCOMPARE(StoredDestination(first.store), dir.path() + "/");
    }
    Desktop second(parts.workers, parts.outputs);
    QCOMPARE(second.app.Catalog().Settings().destinationFolder(), dir.path() + "/");
    QCOMPARE(second.window->Settings().DestinationText(), dir.path() + "/");
  }

  void anEmptyFolderIsNeverWritten() {
    TempDir dir;
    QSettingsStore store;
    QVERIFY(
        store.WriteSettingString(dir.path() + "/", settings::kPathDest, settings::kRootSection));
    QVERIFY(!store.WriteSettingString("", settings::kPathDest, settings::kRootSection));
    QCOMPARE(StoredDestination(store), dir.path() + "/");

    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    d.window->Settings().SetDestinationText("");
    d.window->StartEncode();
    QCOMPARE(StoredDestination(store), dir.path() + "/");
  }

  void storedFoldersWithoutSlashReadBackWithOne() {
    QSettingsStore store;
    store.WriteSettingString("/srv/films/out", settings::kPathDest, settings::kRootSection);
    store.WriteSettingString("/srv/films/in", settings::kPathInput, settings::kRootSection);
    Application app(store, true);
    QCOMPARE(app.Catalog().Settings().destinationFolder(), std::string("/srv/films/out/"));
    QCOMPARE(app.Catalog().InputFolder(), std::string("/srv/films/in/"));
  }

  void ladderSettingsSurviveARestart() {
    {
      QSettingsStore store;
      store.WriteSettingInt(70, settings::kSliderQuality, settings::kFilterSection);
      store.WriteSettingInt(100, settings::kRangeBegin, settings::kFilterSection);
      store.WriteSettingInt(600, settings::kRangeEnd, settings::kFilterSection);
      // The same names outside their section are someone else's.
      store.WriteSettingInt(20, settings::kSliderQuality, settings::kRootSection);
    }
    QSettingsStore store;
    Application app(store, true);
    const EncodeSettings& s = app.Catalog().Settings();
    QCOMPARE(s.quality, 70);
    QCOMPARE(s.rangeBegin, 100u);
    QCOMPARE(s.rangeEnd, 600u);
  }

  // Where the values lie, for anyone who looks at the settings file.
  void valuesLieUnderTheProgramsKeyBySection() {
    QSettingsStore store;
    store.WriteSettingString("/out/", settings::kPathDest, settings::kRootSection);
    store.WriteSettingInt(350, settings::kRangeEnd, settings::kFilterSection);
    QSettings raw("ZQ48", "ZQ48Encoder_ver_design_555");
    QCOMPARE(raw.value("PathDest").toString(), QString("/out/"));
    QCOMPARE(raw.value("Filter/RangeEndFilter").toInt(), 350);

    QCOMPARE(store.ReadSettingInt(settings::kRangeBegin, settings::kFilterSection), std::nullopt);
    QCOMPARE(store.ReadSettingString(settings::kPathInput, settings::kRootSection), std::string());
    // A text where a number belongs reads as missing, so the caller's default applies.
    raw.setValue("Filter/SliderQualityFilter", "high");
    raw.sync();
    QCOMPARE(store.ReadSettingInt(settings::kSliderQuality, settings::kFilterSection),
             std::nullopt);
    // Texts come back whole, commas and all.
    store.WriteSettingString("/films/a, b/", settings::kPathInput, settings::kRootSection);
    QCOMPARE(store.ReadSettingString(settings::kPathInput, settings::kRootSection),
             std::string("/films/a, b/"));
  }

  // The list keeps its column widths when it goes, and the next start shows
  // the columns as stored.
  void columnLayoutSurvivesARestart() {
    FakeJobParts parts;
    {
      Desktop first(parts.workers, parts.outputs);
      MediaListWidget& list = first.window->FileList().List();
      // "Size" and "Duration" start hidden
      QCOMPARE(list.VisibleTitles(), QStringList({"File name", "Full path"}));
      list.setColumnWidth(1, 321);
    }
    {
      QSettingsStore store;
      store.WriteSettingInt(1, "Show", "Size");
    }
    Desktop second(parts.workers, parts.outputs);
    QCOMPARE(ColumnNamed(second.app, "Full path").width, 321);
    QCOMPARE(ColumnNamed(second.app, "File name").width, 200);
    QCOMPARE(ColumnNamed(second.app, "Full path").id, 32775);
    QCOMPARE(second.window->FileList().List().VisibleTitles(),
             QStringList({"File name", "Full path", "Size"}));
  }
};

int RunDesktopSettingsTests(int argc, char** argv) {
  DesktopSettingsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "desktop_settings_test.moc"
