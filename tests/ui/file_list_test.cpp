// The file list: what it takes in and refuses, probing in the background,
// sorting, columns and their persistence, the context menu and the time
// range and cropping dialog.
#include <QAbstractButton>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "ui/application.h"
#include "list_adding.h"
#include "modal_answerer.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "ui/file_list_view.h"
#include "ui/grid_line_delegate.h"
#include "ui/list_acceptance.h"
#include "ui/wait_animation.h"
#include "ui/list_sorting.h"
#include "ui/media_list_widget.h"
#include "ui/time_range_dialog.h"
#include "ui/volume_steps.h"

using namespace zq48;
using namespace zq48::testing;
namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

const ClipSpec kShort{.seconds = 0.5};

// A view over a store of its own, as a user who never ran the program sees it.
struct ListFixture {
  explicit ListFixture(bool movieFiles = true)
      : app(store, movieFiles), listing(app, notifier), view(app, listing.engine, notifier) {}
  MemorySettingsStore store;
  Application app;
  RecordingNotifier notifier;
  ListingEngine listing;
  FileListView view;
};

// A row without a file behind it, for what only needs rows.
void FakeRow(MediaListWidget& list, const QString& path, const std::string& size) {
  MediaFacts facts;
  facts.sizeText = size;
  list.AddRow(path, facts);
}

QStringList Column(MediaListWidget& list, const QString& title) {
  QStringList texts;
  for (int i = 0; i < list.topLevelItemCount(); ++i) texts << list.CellText(i, title);
  return texts;
}

void ClickHeader(MediaListWidget& list, int logical) {
  QHeaderView* header = list.header();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(logical) + 5, 5));
}

QAction* Entry(QMenu& menu, const QString& text) {
  for (QAction* action : menu.actions()) {
    if (action->text() == text) return action;
    if (action->menu())
      if (QAction* inner = Entry(*action->menu(), text)) return inner;
  }
  return nullptr;
}

void SelectAll(FileListView& view) { view.List().selectAll(); }

}  // namespace

class FileListTest : public QObject {
  Q_OBJECT

 private slots:
  void sortTextsCompareByValueOrByLocale() {
    QVERIFY(CompareSortTexts("9", "10") < 0);
    QVERIFY(CompareSortTexts("100", "20") > 0);
    QVERIFY(CompareSortTexts("", "1") < 0);  // empty counts as a number
    QVERIFY(CompareSortTexts("007", "7") == 0);
    QVERIFY(CompareSortTexts("a10", "a9") < 0);  // not digits only: text order
    QVERIFY(CompareSortTexts("/b/x.avi", "/a/y.avi") > 0);
  }

  void volumeCheckMarkFollowsTheTenths() {
    QCOMPARE(VolumeStepOf(0.5f), 0);
    QCOMPARE(VolumeStepOf(0.7f), 2);  // 6.9999... prints as 7.000000
    QCOMPARE(VolumeStepOf(1.0f), kVolumeNeutralStep);
    QCOMPARE(VolumeStepOf(1.5f), 10);
    QCOMPARE(VolumeStepOf(0.0f), kVolumeNeutralStep);  // silent files mark "0 %"
    QCOMPARE(VolumeStepOf(2.0f), kVolumeNeutralStep);
    for (int step = 0; step < kVolumeSteps; ++step) QCOMPARE(VolumeStepOf(VolumeOfStep(step)), step);
  }

  void extensionsMatchWholeAndAsWritten() {
    const QString patterns = "*.avi;*.mpeg;*.mpg;";
    QVERIFY(ExtensionAccepted("clip.avi", patterns));
    QVERIFY(ExtensionAccepted("my.clip.mpg", patterns));
    QVERIFY(!ExtensionAccepted("CLIP.AVI", patterns));
    QVERIFY(!ExtensionAccepted("clip.av", patterns));  // a piece of a pattern is no match
    QVERIFY(!ExtensionAccepted("clip", patterns));
    QVERIFY(!ExtensionAccepted("clip.mov", patterns));
  }

  void sizeSortsByValueAndASecondClickReverses() {
    ListFixture f;
    MediaListWidget& list = f.view.List();
    list.SetColumnShown("Size", true);
    FakeRow(list, "/m/b.avi", "10");
    FakeRow(list, "/m/a.avi", "9");
    FakeRow(list, "/m/c.avi", "100");
    f.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));

    ClickHeader(list, 2);
    QCOMPARE(Column(list, "Size"), QStringList({"9 KB", "10 KB", "100 KB"}));
    ClickHeader(list, 2);
    QCOMPARE(Column(list, "Size"), QStringList({"100 KB", "10 KB", "9 KB"}));
    ClickHeader(list, 0);  // another column starts ascending again
    QCOMPARE(Column(list, "File name"), QStringList({"a.avi", "b.avi", "c.avi"}));

    // Only the sorted column's cells stand out.
    QTreeWidgetItem* row = list.topLevelItem(0);
    QCOMPARE(row->background(0).color(), MediaListWidget::kSortedBack);
    QCOMPARE(row->background(1).color(), MediaListWidget::kNormalBack);
    list.SetPreviewed(row);
    QCOMPARE(row->background(0).color(), MediaListWidget::kPreviewBack);
    QCOMPARE(row->foreground(1).color(), MediaListWidget::kPreviewText);
    QCOMPARE(list.topLevelItem(1)->background(0).color(), MediaListWidget::kSortedBack);
  }

  void aHiddenColumnComesBackAtItsPlace() {
    ListFixture f;
    MediaListWidget& list = f.view.List();
    list.SetColumnShown("Duration", true);
    list.SetColumnShown("Size", true);
    FakeRow(list, "/m/a.avi", "42");
    QCOMPARE(list.VisibleTitles(), QStringList({"File name", "Full path", "Size", "Duration"}));

    list.SetColumnShown("Size", false);
    QCOMPARE(list.VisibleTitles(), QStringList({"File name", "Full path", "Duration"}));
    QCOMPARE(Column(list, "Size"), QStringList({""}));
    list.SetColumnShown("Size", true);
    QCOMPARE(list.VisibleTitles(), QStringList({"File name", "Full path", "Size", "Duration"}));
    QCOMPARE(Column(list, "Size"), QStringList({"42 KB"}));

    list.SetColumnShown("File name", false);  // the row's name never goes
    QCOMPARE(list.VisibleTitles().first(), QString("File name"));
  }

  void columnLayoutRoundTripsThroughTheStore() {
    MemorySettingsStore store;
    QStringList titles;
    {
      Application app(store, true);
      RecordingNotifier notifier;
      ListingEngine listing(app, notifier);
      FileListView view(app, listing.engine, notifier);
      MediaListWidget& list = view.List();
      list.SetColumnShown("Duration", true);
      list.header()->moveSection(list.header()->visualIndex(3), 0);  // drag "Duration" first
      list.setColumnWidth(1, 333);
      titles = list.VisibleTitles();
      QCOMPARE(titles, QStringList({"Duration", "File name", "Full path"}));
    }
    std::vector<ListColumn> loaded = DefaultListColumns();
    LoadListColumns(store, loaded);
    QCOMPARE(loaded[0].name, std::string("Duration"));
    QCOMPARE(loaded[0].index, 0);
    QCOMPARE(loaded[0].show, 1);
    QCOMPARE(loaded[2].name, std::string("Full path"));
    QCOMPARE(loaded[2].width, 333);
    QCOMPARE(loaded[2].id, 32775);
    QCOMPARE(loaded[3].name, std::string("Size"));
    QCOMPARE(loaded[3].show, 0);
    QCOMPARE(loaded[3].sortColumn, 2);

    // The next start shows what was left.
    Application again(store, true);
    RecordingNotifier notifier;
    ListingEngine listing(again, notifier);
    FileListView view(again, listing.engine, notifier);
    QCOMPARE(view.List().VisibleTitles(), titles);
    QCOMPARE(view.List().columnWidth(1), 333);
  }

  void acceptsByExtensionAndFileName() {
    TempDir dir;
    fs::create_directory(dir.File("other"));
    WriteAvi(dir.File("CLIP.AVI"), kShort);
    WriteAvi(dir.File("clip.avi"), kShort);
    WriteAvi(dir.File("clip.av"), kShort);
    WriteAvi(dir.File("other/clip.avi"), kShort);
    ListFixture f;

    QCOMPARE(AddAndWait(f.view, {Q(dir.File("CLIP.AVI")), Q(dir.File("clip.av"))}), 0);
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("clip.avi"))}), 1);
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("other/clip.avi"))}), 0);  // same name elsewhere
    QCOMPARE(f.app.Catalog().InputPaths(), std::vector<std::string>{dir.File("clip.avi")});

    // Rows are drawn with grid lines under and between their cells.
    MediaListWidget& list = f.view.List();
    list.resize(400, 200);
    const QRect cell = list.visualRect(list.model()->index(0, 0));
    const QImage drawn = list.viewport()->grab().toImage();
    QCOMPARE(QColor(drawn.pixel(cell.left() + cell.width() / 2, cell.bottom())), GridLineDelegate::kGridColor);
    QCOMPARE(QColor(drawn.pixel(cell.right(), cell.top() + cell.height() / 2)), GridLineDelegate::kGridColor);
  }

  // Files whose output names would be the same are refused with a message
  // naming the file already listed; several dots in a name are kept.
  void aFileWithTheSameOutputNamesIsRefused() {
    TempDir dir;
    WriteAvi(dir.File("My Movie.avi"), kShort);
    WriteAvi(dir.File("My_Movie.avi"), kShort);
    WriteAvi(dir.File("My.Movie v2.avi"), kShort);
    WriteMovie(dir.File("My Movie.mov"), kShort);
    ListFixture f;
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("My Movie.avi"))}), 1);
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("My_Movie.avi")), Q(dir.File("My Movie.mov"))}), 0);
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("My.Movie v2.avi"))}), 1);
    QCOMPARE(f.app.Catalog().InputPaths(),
             (std::vector<std::string>{dir.File("My Movie.avi"), dir.File("My.Movie v2.avi")}));
    QCOMPARE(f.notifier.messages().size(), std::size_t{2});
    for (const Message& refusal : f.notifier.messages()) {
      QCOMPARE(refusal.caption, std::string(kAppCaption));
      QVERIFY(refusal.text.find(dir.File("My Movie.avi") + ", which is already in the list") != std::string::npos);
    }
    QVERIFY(f.notifier.messages()[0].text.starts_with("Can't add " + dir.File("My_Movie.avi") + ":"));
    QVERIFY(!f.app.Catalog().Contains(dir.File("My_Movie.avi")));
  }

  void aNameOnItsWayInCountsAsListed() {
    TempDir dir;
    fs::create_directory(dir.File("other"));
    WriteAvi(dir.File("a.avi"), kShort);
    WriteAvi(dir.File("other/a.avi"), kShort);
    ListFixture f;
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("a.avi")), Q(dir.File("other/a.avi"))}), 1);
  }

  void linksAreListedAsTheirTargets() {
    TempDir dir;
    WriteAvi(dir.File("real.avi"), kShort);
    fs::create_symlink(dir.File("real.avi"), dir.File("link.avi"));
    ListFixture f;
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("link.avi"))}), 1);
    QCOMPARE(f.app.Catalog().InputPaths(), std::vector<std::string>{dir.File("real.avi")});
  }

  void theRowLimitIs1001() {
    TempDir dir;
    WriteAvi(dir.File("one.avi"), kShort);
    WriteAvi(dir.File("two.avi"), kShort);
    ListFixture f;
    for (int i = 0; i < FileListView::kMaxRows - 1; ++i)
      FakeRow(f.view.List(), QString("/none/f%1.avi").arg(i), "1");
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("one.avi"))}), 1);  // the 1001st
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("two.avi"))}), 0);  // the 1002nd
    QVERIFY(!f.app.Catalog().Contains(dir.File("two.avi")));
  }

  void droppingAFolderAddsItsMediaFilesRecursively() {
    TempDir dir;
    fs::create_directories(dir.File("films/sub/deeper"));
    WriteAvi(dir.File("films/a.avi"), kShort);
    WriteMpegPs(dir.File("films/sub/b.mpg"), kShort);
    WriteAvi(dir.File("films/sub/deeper/c.avi"), kShort);
    WriteAvi(dir.File("films/sub/LOUD.AVI"), kShort);
    WriteGarbage(dir.File("films/notes.txt"), 100);
    ListFixture f;
    QSignalSpy hasItems(&f.view, &FileListView::listHasItems);

    QMimeData drop;
    drop.setUrls({QUrl::fromLocalFile(Q(dir.File("films")))});
    QCOMPARE(f.view.List().HandleDrop(drop), QStringList{Q(dir.File("films"))});
    QVERIFY(QTest::qWaitFor([&] { return !f.view.Busy(); }, 60000));

    // Pattern by pattern: every .avi of the tree, then every .mpg.
    QCOMPARE(f.app.Catalog().InputPaths(),
             (std::vector<std::string>{dir.File("films/a.avi"), dir.File("films/sub/deeper/c.avi"),
                                       dir.File("films/sub/b.mpg")}));
    QCOMPARE(hasItems.size(), 1);
    // The last row added is selected.
    QCOMPARE(f.view.List().PathOf(f.view.List().currentItem()), Q(dir.File("films/sub/b.mpg")));

    // Sorting the list changes the order the job encodes in.
    f.view.List().SortByColumn("File name");
    QCOMPARE(f.app.Catalog().InputPaths(),
             (std::vector<std::string>{dir.File("films/a.avi"), dir.File("films/sub/b.mpg"),
                                       dir.File("films/sub/deeper/c.avi")}));
  }

  void theWindowKeepsRunningWhileFilesAreProbed() {
    TempDir dir;
    QStringList paths;
    for (int i = 0; i < 10; ++i) {
      const std::string path = dir.File("clip" + std::to_string(i) + ".avi");
      WriteAvi(path, ClipSpec{.seconds = 1.0});
      paths << Q(path);
    }
    ListFixture f;
    int ticksWhileBusy = 0;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] { ticksWhileBusy += f.view.Busy() ? 1 : 0; });
    tick.start();

    f.view.AddPaths(paths);
    // Nothing was probed on the caller's thread.
    QCOMPARE(f.view.Count(), 0);
    QVERIFY(f.view.Busy());
    QVERIFY(f.view.findChild<QDialog*>("waitDialog")->isVisible());
    // Its animation plays round and round while the files are probed.
    auto* animation = f.view.findChild<WaitAnimation*>("waitAnimation");
    QVERIFY(animation && animation->Playing());
    const QImage first = animation->grab().toImage();
    for (int i = 0; i < WaitAnimation::kFrames / 2; ++i) animation->Advance();
    QVERIFY(animation->grab().toImage() != first);
    for (int i = 0; i < WaitAnimation::kFrames / 2; ++i) animation->Advance();
    QCOMPARE(animation->Frame(), 0);
    QVERIFY(QTest::qWaitFor([&] { return !f.view.Busy(); }, 60000));
    QVERIFY(ticksWhileBusy > 0);
    QVERIFY(!animation->Playing());
    QCOMPARE(f.view.Count(), 10);
    QVERIFY(!f.view.findChild<QDialog*>("waitDialog")->isVisible());
  }

  void newFilesGetTheirVolumeAndProbeMessagesGoToTheNotifier() {
    TempDir dir;
    WriteAvi(dir.File("loud.avi"), kShort);
    WriteAvi(dir.File("mute.avi"), ClipSpec{.seconds = 0.5, .audio = false});
    WriteGarbage(dir.File("junk.avi"), 4096);
    ListFixture f;
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("loud.avi")), Q(dir.File("mute.avi")),
                                 Q(dir.File("junk.avi"))}),
             2);
    QCOMPARE(f.app.Catalog().Options(dir.File("loud.avi")).volume, 1.0f);
    QCOMPARE(f.app.Catalog().Options(dir.File("mute.avi")).volume, 0.0f);
    QVERIFY(f.app.Catalog().FilterCount(dir.File("mute.avi")) > 0);
    QCOMPARE(f.notifier.messages().size(), std::size_t{1});
    QVERIFY(!f.app.Catalog().Contains(dir.File("junk.avi")));
  }

  void contextMenuFollowsSelectionAndAudio() {
    TempDir dir;
    WriteAvi(dir.File("loud.avi"), kShort);
    WriteAvi(dir.File("mute.avi"), ClipSpec{.seconds = 0.5, .audio = false});
    ListFixture f;
    {
      std::unique_ptr<QMenu> menu = f.view.MakeContextMenu();
      QVERIFY(Entry(*menu, "&Add file(s)\tIns")->isEnabled());
      for (const char* off : {"&Delete\tDel", "Delete all", "Cropping", "Information", "+20 %",
                              "&Play"})
        QVERIFY2(!Entry(*menu, off)->isEnabled(), off);
    }
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("loud.avi")), Q(dir.File("mute.avi"))}), 2);
    f.view.List().setCurrentItem(f.view.List().topLevelItem(0));
    f.app.Catalog().MutableOptions(dir.File("loud.avi")).volume = 0.7f;
    std::unique_ptr<QMenu> menu = f.view.MakeContextMenu();
    QVERIFY(Entry(*menu, "&Delete\tDel")->isEnabled());
    QVERIFY(Entry(*menu, "Delete all")->isEnabled());
    QVERIFY(Entry(*menu, "-30 %")->isChecked());
    QVERIFY(!Entry(*menu, "0 %")->isChecked());

    // Every selected file gets the volume, and its ladder carries it.
    QSignalSpy refresh(&f.view, &FileListView::fileOptionsChanged);
    Entry(*menu, "-20 %")->trigger();
    QCOMPARE(f.app.Catalog().Options(dir.File("loud.avi")).volume, 0.8f);
    QCOMPARE(f.app.Catalog().FilterAt(dir.File("loud.avi"), 0)->volume, 0.8f);
    QCOMPARE(refresh.size(), 1);

    f.view.List().setCurrentItem(f.view.List().topLevelItem(1));
    menu = f.view.MakeContextMenu();
    QVERIFY(!Entry(*menu, "-20 %")->isEnabled());  // nothing to hear
    QVERIFY(Entry(*menu, "Cropping")->isEnabled());
  }

  void deletingForgetsAndStopsThePreview() {
    TempDir dir;
    WriteAvi(dir.File("a.avi"), kShort);
    WriteAvi(dir.File("b.avi"), kShort);
    ListFixture f;
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("a.avi")), Q(dir.File("b.avi"))}), 2);
    QSignalSpy stop(&f.view, &FileListView::stopRequested);
    QSignalSpy hasItems(&f.view, &FileListView::listHasItems);
    MediaListWidget& list = f.view.List();
    list.SetPreviewed(list.topLevelItem(1));

    list.setCurrentItem(list.topLevelItem(0));
    f.view.DeleteSelected();
    QCOMPARE(stop.size(), 0);
    QVERIFY(!f.app.Catalog().Contains(dir.File("a.avi")));
    QCOMPARE(hasItems.size(), 0);

    list.setCurrentItem(list.topLevelItem(0));
    f.view.DeleteSelected();
    QCOMPARE(stop.size(), 1);
    QCOMPARE(hasItems.size(), 1);
    QCOMPARE(hasItems[0][0].toBool(), false);
    QCOMPARE(f.app.Catalog().InputPathCount(), std::size_t{0});
  }

  void timeRangeDialogStopsAtTheFirstFailingCheck() {
    TempDir dir;
    WriteAvi(dir.File("a.avi"), ClipSpec{.width = 160, .height = 120, .seconds = 0.5});
    ListFixture f;
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("a.avi"))}), 1);

    TimeRangeDialog dialog({}, f.app.Catalog());
    dialog.show();
    ModalAnswerer answerer("OK");
    dialog.SetValues({.begin = 5, .end = 2, .left = -1});
    dialog.accept();
    dialog.SetValues({.begin = 0, .end = 2, .left = 100, .right = 60});
    dialog.accept();
    QCOMPARE(answerer.seen().size(), 2);
    QCOMPARE(answerer.seen()[0].title, QString(kInvalidInputCaption));
    QCOMPARE(answerer.seen()[0].text, QString("Begin time must be less than end time."));
    QCOMPARE(answerer.seen()[1].text,
             QString("Cropping left plus right must be less than width of film."));
    QVERIFY(dialog.isVisible());  // the user corrects the values
    dialog.SetValues({.begin = 0, .end = 2, .left = 100, .right = 59});
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void timeRangeAndCropGoToEverySelectedFile() {
    TempDir dir;
    WriteAvi(dir.File("a.avi"), kShort);
    WriteAvi(dir.File("b.avi"), kShort);
    ListFixture f;
    QCOMPARE(AddAndWait(f.view, {Q(dir.File("a.avi")), Q(dir.File("b.avi"))}), 2);
    f.app.Catalog().MutableOptions(dir.File("a.avi")).cropTop = 4;
    SelectAll(f.view);
    int shownTop = -1;
    OnNextModal act([&](QWidget* modal) {
      auto* dialog = qobject_cast<TimeRangeDialog*>(modal);
      QVERIFY(dialog);
      RangeAndCrop values = dialog->Values();
      shownTop = values.top;  // from the first selected file
      values.end = 1.5f;
      values.left = 8;
      dialog->SetValues(values);
      dialog->accept();
    });
    QSignalSpy refresh(&f.view, &FileListView::fileOptionsChanged);
    f.view.EditTimeRangeAndCrop();
    QCOMPARE(shownTop, 4);
    QCOMPARE(refresh.size(), 1);
    for (const char* name : {"a.avi", "b.avi"}) {
      const FileOptions& o = f.app.Catalog().Options(dir.File(name));
      QCOMPARE(o.endTime, 1.5);
      QCOMPARE(o.cropLeft, 8);
      QCOMPARE(o.cropTop, 4);
      QCOMPARE(f.app.Catalog().FilterAt(dir.File(name), 0)->cropLeft, 8);
    }
  }
  void fullScreenToggleAsksToFillThenToRestore() {
    ListFixture f;
    f.view.resize(400, 300);
    f.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));
    auto* toggle = f.view.findChild<QAbstractButton*>("fullScreen");
    QVERIFY(toggle);
    // Top-right corner of the pane, above the list.
    QCOMPARE(toggle->geometry().right(), f.view.width() - 1);
    QCOMPARE(toggle->geometry().top(), 0);
    QVERIFY(toggle->geometry().bottom() < f.view.List().geometry().top());
    QCOMPARE(toggle->toolTip(), QString("Full screen"));

    QSignalSpy fills(&f.view, &FileListView::fullScreenRequested);
    toggle->click();
    QCOMPARE(fills.size(), 1);
    QCOMPARE(fills.at(0).at(0).toBool(), true);
    QVERIFY(f.view.IsFullScreen());
    QVERIFY(toggle->isChecked());
    QCOMPARE(toggle->toolTip(), QString("pushed state ('No full screen')"));

    toggle->click();
    QCOMPARE(fills.size(), 2);
    QCOMPARE(fills.at(1).at(0).toBool(), false);
    QVERIFY(!f.view.IsFullScreen());
    QVERIFY(!toggle->isChecked());
    QCOMPARE(toggle->toolTip(), QString("Full screen"));
  }

  void fileTypeIconsAreFetchedOncePerExtension() {
    ListFixture f;
    MediaListWidget& list = f.view.List();
    FakeRow(list, "/m/a.avi", "1");
    QCOMPARE(list.CachedIconCount(), 1);
    FakeRow(list, "/n/b.avi", "1");
    QCOMPARE(list.CachedIconCount(), 1);
    QCOMPARE(list.topLevelItem(1)->icon(0).cacheKey(), list.topLevelItem(0)->icon(0).cacheKey());
    FakeRow(list, "/m/c.mpg", "1");
    FakeRow(list, "/m/noext", "1");
    QCOMPARE(list.CachedIconCount(), 3);
  }

  void arrowKeysAndDoubleClicksReportTheSelection() {
    ListFixture f;
    MediaListWidget& list = f.view.List();
    FakeRow(list, "/m/a.avi", "1");
    FakeRow(list, "/m/b.avi", "1");
    f.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.view));
    list.setFocus();
    list.setCurrentItem(list.topLevelItem(1));  // selects the last row
    QVERIFY(list.topLevelItem(1)->isSelected());

    // Down on the last row changes nothing, yet the state is reported.
    QSignalSpy selection(&f.view, &FileListView::listHasSelection);
    QTest::keyClick(&list, Qt::Key_Down);
    QVERIFY(list.topLevelItem(1)->isSelected());
    QCOMPARE(selection.size(), 1);
    QCOMPARE(selection.at(0).at(0).toBool(), true);

    // A right double click on the selected row.
    const QPoint at = list.visualItemRect(list.topLevelItem(1)).center();
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, at, list.viewport()->mapToGlobal(at),
                            Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &doubleClick);
    QCOMPARE(selection.size(), 2);
    QCOMPARE(selection.at(1).at(0).toBool(), true);

    // With nothing selected, a double click below the rows reports none.
    list.clearSelection();
    selection.clear();
    const QPoint below(at.x(), list.viewport()->height() - 2);
    QVERIFY(!list.itemAt(below));
    QMouseEvent empty(QEvent::MouseButtonDblClick, below, list.viewport()->mapToGlobal(below),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &empty);
    QCOMPARE(selection.size(), 1);
    QCOMPARE(selection.at(0).at(0).toBool(), false);
  }
};

int RunFileListTests(int argc, char** argv) {
  FileListTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "file_list_test.moc"
