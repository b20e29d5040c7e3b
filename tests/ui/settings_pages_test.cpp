#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>

#include "ui/application.h"
#include "encode/filter_ladder.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "ui/expert_page.h"
#include "ui/filter_table.h"
#include "encode/frame_rate_steps.h"
#include "ui/settings_view.h"
#include "ui/simple_page.h"

namespace zq48::testing {
namespace {

// A file as the list leaves it after probing: 640x480 at 30 fps with sound,
// and its simple ladder.
void AddListedFile(InputCatalog& catalog, const std::string& path) {
  MediaFacts& facts = catalog.MutableFacts(path);
  facts.width = 640;
  facts.height = 480;
  facts.frameRate = 30.0;
  facts.hasAudio = true;
  facts.hasVideo = true;
  catalog.AddInputPath(path);
  GenerateSimpleFilters(catalog, path);
}

// The settings pane alone, shown off screen, over settings kept in memory.
struct Pane {
  Pane() : app(store, true), view(app, notifier) {
    AddListedFile(app.Catalog(), kFirst);
    AddListedFile(app.Catalog(), kSecond);
    view.resize(900, 600);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) qFatal("the settings view never showed");
  }

  template <typename T>
  T* Find(const char* name) {
    auto* child = view.findChild<T*>(name);
    if (!child) qFatal("no child %s", name);
    return child;
  }
  void Type(const char* name, const QString& text) {
    auto* edit = Find<QLineEdit>(name);
    edit->setText(text);
    edit->setModified(true);  // as typed by the user
    emit edit->editingFinished();  // as when the edit loses the focus
  }
  InputCatalog& catalog() { return app.Catalog(); }
  ExpertPage& expert() { return view.Expert(); }
  std::size_t Count(const std::string& path) { return catalog().FilterCount(path); }

  static constexpr const char* kFirst = "/films/first.avi";
  static constexpr const char* kSecond = "/films/second.avi";
  MemorySettingsStore store;
  RecordingNotifier notifier;
  Application app;
  SettingsView view;
};

}  // namespace

class SettingsPagesTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- Simple page ----

  void rangeOutsideLimitsIsRefusedAndNothingStored() {
    Pane p;
    p.Type("rangeBegin", "47");
    p.Type("rangeEnd", "901");
    p.Type("rangeEnd", "many");
    QCOMPARE(p.notifier.texts(), (std::vector<std::string>{
                                     "Range begin must be more 48 and less 900.",
                                     "Range end must be more 48 and less 900.",
                                     "Range end must be more 48 and less 900."}));
    QCOMPARE(p.notifier.messages().front().caption, std::string(kAppCaption));
    QCOMPARE(p.catalog().Settings().rangeBegin, 48u);
    QCOMPARE(p.catalog().Settings().rangeEnd, 350u);
    QVERIFY(!p.store.ReadSettingInt(settings::kRangeBegin, settings::kFilterSection));
    QVERIFY(!p.store.ReadSettingInt(settings::kRangeEnd, settings::kFilterSection));
  }

  void refusedRangeTakesTheFocusBack() {
    Pane p;
    p.view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.view));
    auto* end = p.Find<QLineEdit>("rangeEnd");
    p.Find<QLineEdit>("rangeBegin")->setFocus();
    p.Type("rangeEnd", "901");
    QCOMPARE(QApplication::focusWidget(), end);
  }

  // Each refusal takes the focus back from the other edit; with both values
  // bad that must not go back and forth for ever.
  void twoBadRangeValuesDoNotRefuseEachOtherForEver() {
    Pane p;
    p.view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.view));
    auto* begin = p.Find<QLineEdit>("rangeBegin");
    auto* end = p.Find<QLineEdit>("rangeEnd");
    end->setText("901");
    end->setModified(true);
    begin->setFocus();
    begin->setText("47");
    begin->setModified(true);
    end->setFocus();
    QCOMPARE(QApplication::focusWidget(), begin);
    QCOMPARE(p.notifier.texts(),
             std::vector<std::string>{"Range begin must be more 48 and less 900."});
  }

  // On by default; a click turns it off for the job and for the next start.
  void theWebPageBoxIsPersisted() {
    {
      Pane p;
      auto* box = p.Find<QCheckBox>("webPage");
      QVERIFY(box->isChecked());
      QVERIFY(p.catalog().Settings().webPageOn);
      box->click();
      QVERIFY(!p.catalog().Settings().webPageOn);
      QCOMPARE(p.store.ReadSettingInt(settings::kWebPage, settings::kFilterSection), 0);
      Application again(p.store, true);
      QVERIFY(!again.Catalog().Settings().webPageOn);
    }
  }

  void limitsAreAcceptedPersistedAndRebuildTheLadders() {
    Pane p;
    p.Type("rangeBegin", "48");
    p.Type("rangeEnd", "900");
    QVERIFY(p.notifier.texts().empty());
    QCOMPARE(p.catalog().Settings().rangeEnd, 900u);
    QCOMPARE(p.store.ReadSettingInt(settings::kRangeBegin, settings::kFilterSection), 48);
    QCOMPARE(p.store.ReadSettingInt(settings::kRangeEnd, settings::kFilterSection), 900);
    // Quality 50 steps by 170: 48, 218, 388, 558, 728, 898 and then 900.
    QCOMPARE(p.Count(Pane::kFirst), 7u);
    QCOMPARE(p.catalog().FilterAt(Pane::kSecond, 6)->videoBitRate, 900 - 32);
  }

  void qualityIsTakenOverOnRelease() {
    Pane p;
    auto* slider = p.Find<QSlider>("quality");
    QCOMPARE(slider->value(), 5);
    slider->setSliderDown(true);
    slider->setValue(10);
    // Dragging alone changes nothing yet.
    QCOMPARE(p.catalog().Settings().quality, 50);
    QCOMPARE(p.Count(Pane::kFirst), 3u);
    slider->setSliderDown(false);
    QCOMPARE(p.catalog().Settings().quality, 100);
    QCOMPARE(p.store.ReadSettingInt(settings::kSliderQuality, settings::kFilterSection), 100);
    // Quality 100 steps by 50 at 18 fps: 48, 98, ..., 348 and 350.
    QCOMPARE(p.Count(Pane::kFirst), 8u);
    QCOMPARE(p.catalog().FilterAt(Pane::kFirst, 0)->frameRate, 18.0);
  }

  void storedQualityPlacesTheSlider() {
    MemorySettingsStore store;
    store.WriteSettingInt(70, settings::kSliderQuality, settings::kFilterSection);
    RecordingNotifier notifier;
    Application app(store, true);
    SettingsView view(app, notifier);
    QCOMPARE(view.findChild<QSlider*>("quality")->value(), 7);
  }

  void imageBrowseButtonsShowOnlyWhileChecked() {
    Pane p;
    auto* box = p.Find<QCheckBox>("titleImage");
    auto* browse = p.Find<QPushButton>("titleImageBrowse");
    QVERIFY(!browse->isVisible());
    QVERIFY(!p.Find<QPushButton>("endImageBrowse")->isVisible());
    box->click();
    QVERIFY(browse->isVisible());
    QVERIFY(p.Find<QLabel>("titleImagePath")->isVisible());
    QVERIFY(p.catalog().Settings().titleImageOn);
    QVERIFY(!p.Find<QPushButton>("endImageBrowse")->isVisible());
    box->click();
    QVERIFY(!browse->isVisible());
    QVERIFY(!p.catalog().Settings().titleImageOn);
  }

  void acceptedFolderIsNormalisedAndPersisted() {
    Pane p;
    TempDir dir;
    p.Type("destinationFolder", QString::fromStdString(dir.path()));
    QCOMPARE(p.view.DestinationText(), dir.path() + "/");
    QCOMPARE(p.catalog().Settings().destinationFolder(), dir.path() + "/");
    QCOMPARE(p.store.ReadSettingString(settings::kPathDest, settings::kRootSection),
             dir.path() + "/");
  }

  void aFileIsRefusedAsFolder() {
    Pane p;
    TempDir dir;
    WriteZeroByte(dir.File("plain"));
    auto* edit = p.Find<QLineEdit>("destinationFolder");
    edit->setText(QString::fromStdString(dir.File("plain")));
    QVERIFY(!p.view.Simple().AcceptFolder());
    QCOMPARE(p.notifier.texts().back(), dir.File("plain") + "\nThis is a file not a directory.");
    QVERIFY(p.catalog().Settings().destinationFolder().empty());
  }

  void ctrlTabGoesRoundTheTabs() {
    Pane p;
    p.view.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.view));
    p.Find<QLineEdit>("rangeBegin")->setFocus();
    QTabWidget& tabs = p.view.Tabs();
    QCOMPARE(tabs.tabText(0), QString("Simple"));
    QCOMPARE(tabs.tabText(1), QString("Expert"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs.currentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs.currentIndex(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(tabs.currentIndex(), 1);
  }

  // ---- Expert page ----

  void volumeSliderGivesFactorAndText() {
    Pane p;
    p.view.SelectFile(Pane::kFirst);
    p.Find<QSlider>("volume")->setValue(-20);
    QCOMPARE(p.expert().VolumeFactor(), 0.8f);
    QCOMPARE(p.Find<QLabel>("volumeText")->text(), QString("-20% scale volume"));
    // Change writes it into the selected variant.
    p.expert().Change();
    QCOMPARE(p.catalog().FilterAt(Pane::kFirst, 2)->volume, 0.8f);
    QCOMPARE(p.Find<QLabel>("volumeText")->text(), QString("-20% scale volume"));
  }

  void selectingAFileShowsItsVariantsAndFillsFromTheLast() {
    Pane p;
    p.view.SelectFile(Pane::kFirst);
    FilterTable& table = p.expert().Table();
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.SelectedRow(), 2);
    QCOMPARE(p.Find<QLineEdit>("dataRate")->text(), QString("334"));
    QCOMPARE(p.Find<QLineEdit>("frameRate")->text(), QString("15.00"));
    QCOMPARE(p.Find<QLabel>("sourceRate")->text(), QString("30.00"));
    QCOMPARE(p.Find<QLabel>("currentFile")->text(), QString("Current file: /films/first.avi"));
    p.view.SelectFile("");
    QCOMPARE(table.rowCount(), 0);
    p.expert().Add();  // nothing is current: nothing happens
    QCOMPARE(p.Count(Pane::kFirst), 3u);
  }

  void duplicateAddIsRefusedAndOneDifferenceIsEnough() {
    Pane p;
    p.view.SelectFile(Pane::kFirst);
    p.Type("width", "150");
    p.Type("height", "100");
    p.Type("dataRate", "300");
    p.Type("frameRate", "10");
    p.Find<QComboBox>("audioBitRate")->setCurrentText("32");
    p.expert().Add();
    QCOMPARE(p.Count(Pane::kFirst), 4u);
    QVERIFY(p.catalog().IsCustomFilters(Pane::kFirst));
    const OutputFilter& added = *p.catalog().FilterAt(Pane::kFirst, 3);
    // Taken as typed: no capping, no rounding to 16.
    QCOMPARE(added.width, 150);
    QCOMPARE(added.height, 100);
    QCOMPARE(added.audioBitRate, 32);
    QCOMPARE(added.videoBitRate, 300 - 16);
    QCOMPARE(added.frameRate, 10.0);

    p.Type("width", "150");  // the page was filled from the new row; type the same again
    p.Type("height", "100");
    p.Type("dataRate", "300");
    p.Find<QComboBox>("audioBitRate")->setCurrentText("32");
    p.expert().Add();
    QCOMPARE(p.Count(Pane::kFirst), 4u);
    QCOMPARE(p.notifier.messages().back().text,
             std::string("Filter with the same parameters already exists"));
    QCOMPARE(p.notifier.messages().back().caption, std::string("ZQ48"));

    p.Type("height", "112");
    p.expert().Add();
    QCOMPARE(p.Count(Pane::kFirst), 5u);
    QCOMPARE(p.expert().Table().rowCount(), 5);
  }

  void deletingTheLastRowSelectsTheNewLastAndKeepsTheListUntilRestore() {
    Pane p;
    p.view.SelectFile(Pane::kFirst);
    FilterTable& table = p.expert().Table();
    QCOMPARE(table.SelectedRow(), 2);
    p.expert().Delete();
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(table.SelectedRow(), 1);
    QVERIFY(p.catalog().IsCustomFilters(Pane::kFirst));

    // A new quality rebuilds the other file's ladder but not this list.
    p.Find<QSlider>("quality")->setValue(10);
    QCOMPARE(p.Count(Pane::kFirst), 2u);
    QCOMPARE(p.Count(Pane::kSecond), 8u);
    p.Type("rangeEnd", "100");
    QCOMPARE(p.Count(Pane::kFirst), 2u);
    QCOMPARE(p.Count(Pane::kSecond), 3u);  // 48, 98, 100

    p.expert().Restore();
    QVERIFY(!p.catalog().IsCustomFilters(Pane::kFirst));
    QCOMPARE(p.Count(Pane::kFirst), 3u);
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.SelectedRow(), 2);
    p.Find<QSlider>("quality")->setValue(0);  // step 500: 48, 100
    QCOMPARE(p.Count(Pane::kFirst), 2u);
  }

  void deletingAMiddleRowSelectsTheRowAtItsPlace() {
    Pane p;
    p.view.SelectFile(Pane::kFirst);
    p.expert().Table().SelectRow(0);
    p.expert().Delete();
    QCOMPARE(p.expert().Table().SelectedRow(), 0);
    QCOMPARE(p.catalog().FilterAt(Pane::kFirst, 0)->videoBitRate, 218 - 16);
    QCOMPARE(p.Find<QLineEdit>("dataRate")->text(), QString("202"));
  }

  void newLaddersShowOnTheExpertPage() {
    Pane p;
    p.view.SelectFile(Pane::kFirst);
    p.Find<QSlider>("quality")->setValue(10);
    QCOMPARE(p.expert().Table().rowCount(), 8);
  }

  void rowTextsLeaveZeroFieldsEmpty() {
    OutputFilter f;
    f.width = 240;
    f.height = 176;
    f.frameRate = 15;
    f.videoBitRate = 202;
    f.endTime = 12.5;
    f.cropTop = 8;
    f.audioBitRate = 16;
    f.volume = 0.8f;
    QCOMPARE(FilterRowTexts(f), (QStringList{"240", "176", "15.00", "202", "", "12.50", "", "8",
                                             "", "", "16", "0.80"}));
    f.volume = 0;
    QCOMPARE(FilterRowTexts(f).back(), QString());
  }

  // ---- frame rates ----

  void frameRatesSnapToNearFractionsOnly() {
    QCOMPARE(SnapFrameRate(14.9, 30), 15.0);
    QCOMPARE(SnapFrameRate(10.1, 30), 10.0);
    QCOMPARE(SnapFrameRate(14.0, 30), 14.0);  // 1 fps off is not below 5/30
    QCOMPARE(SnapFrameRate(0.75, 1), 1.0);    // a tie goes to the larger fraction
    QCOMPARE(SnapFrameRate(0.05, 0.3), 0.1);  // never below the floor
  }

  void pageStepsGoFromFractionToFraction() {
    QCOMPARE(LowerFraction(15, 30), 10.0);
    QCOMPARE(LowerFraction(12, 30), 10.0);
    QCOMPARE(LowerFraction(0.15, 0.3), 0.15);  // 0.1 is not above the floor
    QCOMPARE(HigherFraction(10, 30), 15.0);
    QCOMPARE(HigherFraction(12, 30), 15.0);
    QCOMPARE(HigherFraction(15, 30), 30.0);
    QCOMPARE(HigherFraction(30, 30), 30.0);
    QCOMPARE(ClampFrameRate(0.01, 30), 0.1);
    QCOMPARE(ClampFrameRate(45, 30), 30.0);
  }

  void frameRateSliderAndEditFollowEachOther() {
    Pane p;
    p.view.SelectFile(Pane::kFirst);  // its variants run at 15 fps
    auto* slider = p.Find<QSlider>("frameRateSlider");
    auto* edit = p.Find<QLineEdit>("frameRate");
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(edit->text(), QString("30.00"));
    slider->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(edit->text(), QString("15.00"));
    slider->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(edit->text(), QString("10.00"));
    p.Type("frameRate", "50");
    QCOMPARE(edit->text(), QString("30.00"));
    QCOMPARE(slider->value(), 30'000'000);
    QCOMPARE(p.expert().FrameRate(), 30.0);
  }
};

}  // namespace zq48::testing

int RunSettingsPagesTests(int argc, char** argv) {
  zq48::testing::SettingsPagesTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "settings_pages_test.moc"
