// The main window: its menus and their enabling, closing with and without a
// job, the encoder view's buttons as the window drives a job (fake workers,
// and with the real ones: to the job's end and to its measured results), the
// pane layouts and their animation, and the About box.

#include <QChart>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenuBar>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "desktop_fixture.h"
#include "encode/package/job_outputs.h"
#include "modal_answerer.h"
#include "encode/pipeline/worker_factory.h"
#include "ui/expert_page.h"
#include "support/test_media.h"
#include "ui/file_list_view.h"
#include "ui/gradient_progress_bar.h"
#include "list_adding.h"
#include "ui/menu_ids.h"
#include "ui/filter_table.h"
#include "ui/media_list_widget.h"
#include "ui/pane_emphasis.h"
#include "ui/preview_view.h"
#include "ui/qt_notifier.h"
#include "ui/results_dialog.h"
#include "ui/settings_view.h"
#include "ui/simple_page.h"

using namespace zq48;
using namespace zq48::testing;
namespace fs = std::filesystem;

namespace {

constexpr int kJobWaitMs = 20000;

// A clip to list and a folder for the job's outputs.
struct Media {
  Media() {
    WriteAvi(clip, ClipSpec{.seconds = 1.0});
    fs::create_directory(out);
  }
  TempDir dir;
  std::string clip = dir.File("clip.avi");
  std::string out = dir.File("out");
};

bool Enabled(MainWindow& w, int id) { return w.Action(id)->isEnabled(); }

// Lists the clip and sets the output folder; false when the list refused the clip.
bool ListClip(Desktop& d, const Media& media) {
  d.window->Settings().SetDestinationText(media.out);
  return AddAndWait(d.window->FileList(), {QString::fromStdString(media.clip)}) == 1;
}

bool WaitForJobEnd(MainWindow& w) {
  return QTest::qWaitFor([&] { return !w.Encoding().HasJob(); }, kJobWaitMs);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file of the folder with its bytes.
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) out[e.path().filename().string()] = Bytes(e.path());
  return out;
}

bool WaitUntilListed(FileListView& list, int rows) {
  return QTest::qWaitFor([&] { return !list.Busy() && list.Count() == rows; }, kJobWaitMs);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ClearSettings(); }

  void menusStartWithOnlyAddExitAndAboutEnabled() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QCOMPARE(w.windowTitle(), QString("ZQ48 Encoder"));
    QStringList menus;
    for (QAction* menu : w.menuBar()->actions()) menus << menu->text();
    QCOMPARE(menus, QStringList({"File", "Preview", "Help"}));

    struct Entry {
      int id;
      const char* text;
      bool enabled;
    };
    for (Entry e : {Entry{menu::kAddFiles, "Add file(s)", true},
                    Entry{menu::kDeleteFile, "Delete file", false},
                    Entry{menu::kDeleteAll, "Delete all", false},
                    Entry{menu::kResults, "Results...", false}, Entry{menu::kExit, "Exit", true},
                    Entry{menu::kPlay, "&Play", false}, Entry{menu::kPause, "Pause", false},
                    Entry{menu::kStop, "&Stop", false}, Entry{menu::kAbout, "About", true}}) {
      QAction* action = w.Action(e.id);
      QVERIFY2(action, e.text);
      QCOMPARE(action->text(), QString(e.text));
      QCOMPARE(action->data().toInt(), e.id);
      QCOMPARE(action->isEnabled(), e.enabled);
    }
    QCOMPARE(Buttons(w.Encoder()), QString("---"));
  }

  void listRowsSwitchTheDeleteEntriesAndEncode() {
    FakeJobParts parts;
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    // The new row is selected, as the list selects the last file it added.
    QVERIFY(Enabled(w, menu::kDeleteAll));
    QVERIFY(Enabled(w, menu::kDeleteFile));
    QCOMPARE(Buttons(w.Encoder()), QString("E--"));
    // The selected file's variants are what the Expert page shows.
    const std::string listed = d.app.Catalog().InputPathAt(0);
    QCOMPARE(w.Settings().Expert().CurrentFile(), listed);

    w.Action(menu::kDeleteFile)->trigger();
    QCOMPARE(w.Settings().Expert().CurrentFile(), std::string());
    QCOMPARE(w.FileList().Count(), 0);
    QCOMPARE(d.app.Catalog().InputPathCount(), std::size_t{0});
    QVERIFY(!Enabled(w, menu::kDeleteAll));
    QVERIFY(!Enabled(w, menu::kDeleteFile));
    QCOMPARE(Buttons(w.Encoder()), QString("---"));
  }

  void exitWithoutJobClosesWithoutAsking() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    ModalAnswerer answerer("Back");
    d.window->Action(menu::kExit)->trigger();
    QVERIFY(!d.window->isVisible());
    QVERIFY(answerer.seen().isEmpty());
  }

  void exitDuringJobAsksAndOnlyYesLeaves() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General, WorkerScript{.finishAtOnce = false});
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    w.StartEncode();
    QVERIFY(w.Encoding().HasJob());

    ModalAnswerer answerer("Back");
    w.Action(menu::kExit)->trigger();
    QVERIFY(w.isVisible());
    QVERIFY(w.Encoding().HasJob());
    QCOMPARE(answerer.seen().size(), 1);
    QCOMPARE(answerer.seen()[0].title, QString("ZQ48"));
    QCOMPARE(answerer.seen()[0].text, QString("Are you sure you want to exit?"));
    QVERIFY(answerer.seen()[0].buttons.contains("Yes"));
    QVERIFY(answerer.seen()[0].buttons.contains("Back"));

    answerer.Press("");  // Escape
    w.Action(menu::kExit)->trigger();
    QVERIFY(w.isVisible());
    QCOMPARE(answerer.seen().size(), 2);

    // Yes stops the job and waits for its end before the window goes.
    answerer.Press("Yes");
    w.Action(menu::kExit)->trigger();
    QVERIFY(!w.isVisible());
    QVERIFY(!w.Encoding().HasJob());
    QVERIFY(parts.workers.Records().at(0).ended);
  }

  // Encode, Pause, Encode again (resume), Stop, and the job's end.
  void buttonsFollowTheJobThroughPauseResumeAndStop() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General, WorkerScript{.finishAtOnce = false});
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    EncoderView& view = w.Encoder();
    QAbstractButton* toggle = ViewButton(view, "fullScreen");
    QVERIFY(ListClip(d, media));

    w.StartEncode();
    QCOMPARE(Buttons(view), QString("-PS"));
    // The job gets the whole window, and the toggle cannot take it away.
    QVERIFY(view.IsFullScreen());
    QCOMPARE(w.Panes().RowSize(0), 0);
    QVERIFY(!toggle->isEnabled());

    w.PauseEncode();
    QCOMPARE(Buttons(view), QString("E-S"));
    QVERIFY(d.app.Catalog().InputPathCount() > 0);
    QVERIFY(w.Encoding().State().Paused());

    w.StartEncode();
    QCOMPARE(Buttons(view), QString("-PS"));
    QVERIFY(!w.Encoding().State().Paused());
    QVERIFY(w.Encoding().HasJob());

    // The list emptied during the job leaves the buttons to the job.
    w.FileList().DeleteAll();
    QCOMPARE(Buttons(view), QString("-PS"));

    w.StopEncode();
    QCOMPARE(Buttons(view), QString("---"));
    QVERIFY(!view.IsFullScreen());
    QVERIFY(toggle->isEnabled());
    QCOMPARE(w.windowTitle(), QString("ZQ48 Encoder"));
    // Encode stays off until the stopped job has ended; with the list
    // emptied it stays off after that too.
    QVERIFY(WaitForJobEnd(w));
    QCOMPARE(Buttons(view), QString("---"));
    QVERIFY(d.notifier.messages().empty());
  }

  // The job's events reach the encoder view: the file begun is named, and
  // once the job has ended (here at its end, then by Stop) both bars, the
  // current-file lines and the title start again.
  void jobEventsDriveTheCurrentFileLinesTheBarsAndTheTitle() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General,
                            WorkerScript{.finishAtOnce = false, .videoSeconds = 0.5, .audioSeconds = 0.5});
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    EncoderView& view = w.Encoder();
    QVERIFY(ListClip(d, media));
    auto* line = view.findChild<QLabel*>("line1053");
    auto* fileBar = view.findChild<GradientProgressBar*>("fileBar");
    auto* jobBar = view.findChild<GradientProgressBar*>("jobBar");
    QVERIFY(line && fileBar && jobBar);
    const QString named = QString::fromStdString("Current input file: " + media.clip);
    auto reset = [&] {
      return line->text().isEmpty() && fileBar->Upper() == 1000 && fileBar->Position() == 0 &&
             jobBar->Upper() == 1000 && jobBar->Position() == 0 && w.windowTitle() == "ZQ48 Encoder";
    };
    const std::size_t variants = d.app.Catalog().FilterCount(media.clip);
    QVERIFY(variants > 1);

    for (bool stop : {false, true}) {
      w.StartEncode();
      QVERIFY(QTest::qWaitFor([&] { return line->text() == named; }, kJobWaitMs));
      // The worker reports its first progress after the file's line is shown.
      QVERIFY(QTest::qWaitFor(
          [&] {
            QMetaObject::invokeMethod(&view, "refreshTick");
            return jobBar->Position() > 0;
          },
          kJobWaitMs));
      QVERIFY(w.windowTitle().endsWith("% - ZQ48 Encoder"));
      if (stop) {
        w.StopEncode();
      } else {
        // The ladder's variants share one decode: one worker for them all.
        const std::size_t worker = parts.workers.Records().size() - 1;
        parts.workers.Release(static_cast<int>(worker));
        QVERIFY(WaitForJobEnd(w));
        QCOMPARE(parts.workers.Records().size(), worker + 1);
        QCOMPARE(parts.log.Count("FinishVariant"), static_cast<int>(variants));
      }
      QVERIFY(WaitForJobEnd(w));
      QVERIFY(QTest::qWaitFor(reset, kJobWaitMs));
    }
  }

  void jobEndGivesBackThePaneAndEnablesEncode() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General,
                            WorkerScript{.videoSeconds = 1.0, .audioSeconds = 1.0});
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    w.StartEncode();
    QVERIFY(WaitForJobEnd(w));
    QCOMPARE(Buttons(w.Encoder()), QString("E--"));
    QVERIFY(!w.Encoder().IsFullScreen());
    QVERIFY(ViewButton(w.Encoder(), "fullScreen")->isEnabled());
    QCOMPARE(w.Panes().RowSize(0), w.Panes().height() / 2);
    QCOMPARE(w.windowTitle(), QString("ZQ48 Encoder"));
    QCOMPARE(parts.log.Count("WebPage"), 1);
  }

  // A pane the user made full screen stays so after the job.
  void jobEndKeepsAPaneTheUserEnlarged() {
    FakeJobParts parts;
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    ViewButton(w.Encoder(), "fullScreen")->click();
    QVERIFY(w.Encoder().IsFullScreen());
    w.StartEncode();
    QVERIFY(WaitForJobEnd(w));
    QVERIFY(w.Encoder().IsFullScreen());
    QCOMPARE(w.Panes().RowSize(0), 0);
  }

  // A job's results are shown when it ends and kept for "Results..." until
  // the next job starts; a job that left no variant shows nothing.
  void resultsStayUntilTheNextJobStarts() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General, WorkerScript{.finishAtOnce = false});
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    w.ShowJobResults(JobSummary{});
    QVERIFY(!Enabled(w, menu::kResults));
    QVERIFY(!w.Results());

    JobSummary summary;
    summary.stopped = true;
    summary.variants.resize(2);
    summary.variants[0].path = summary.variants[1].path = media.clip;
    summary.variants[1].variantIndex = 1;
    w.ShowJobResults(summary);
    QVERIFY(Enabled(w, menu::kResults));
    QVERIFY(w.Results() && w.Results()->isVisible());
    QCOMPARE(w.Results()->Model().rowCount(), 2);
    w.Results()->close();
    w.Action(menu::kResults)->trigger();
    QVERIFY(w.Results()->isVisible());

    w.StartEncode();
    QVERIFY(w.Encoding().HasJob());
    QVERIFY(!Enabled(w, menu::kResults));
    QVERIFY(!w.Results()->isVisible());
    w.StopEncode();
    QVERIFY(WaitForJobEnd(w));
  }

  void refusedEncodeChangesNothing() {
    FakeJobParts parts;
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    w.Settings().SetDestinationText("");
    w.StartEncode();
    QVERIFY(!w.Encoding().HasJob());
    QCOMPARE(d.notifier.messages().size(), std::size_t{1});
    QCOMPARE(Buttons(w.Encoder()), QString("E--"));
    QVERIFY(!w.Encoder().IsFullScreen());
    QVERIFY(ViewButton(w.Encoder(), "fullScreen")->isEnabled());
  }

  void maximizeFillsTheGridAndRestoreGivesFourEqualPanes() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    PaneSplitter& grid = w.Panes();
    const int b = PaneSplitter::kBorder;

    w.MaximizePane(Pane::Encoder);
    QCOMPARE(grid.PaneWidget(Pane::Encoder)->geometry(),
             QRect(b, b, grid.width() - 2 * b, grid.height() - 2 * b));
    for (Pane other : {Pane::List, Pane::Settings, Pane::Preview})
      QVERIFY(!grid.PaneWidget(other)->isVisible());

    w.MaximizePane(Pane::List);
    QCOMPARE(grid.PaneWidget(Pane::List)->geometry(),
             QRect(b, b, grid.width() - 2 * b, grid.height() - 2 * b));
    QVERIFY(!grid.PaneWidget(Pane::Encoder)->isVisible());

    w.RestorePanes();
    const QSize list = grid.PaneWidget(Pane::List)->size();
    for (Pane pane : {Pane::Settings, Pane::Preview, Pane::Encoder}) {
      QWidget* widget = grid.PaneWidget(pane);
      QVERIFY(widget->isVisible());
      // Equal but for the bar between them and an odd pixel.
      QVERIFY(std::abs(widget->width() - list.width()) <= PaneSplitter::kBar + 1);
      QVERIFY(std::abs(widget->height() - list.height()) <= PaneSplitter::kBar + 1);
    }
    QCOMPARE(grid.PaneWidget(Pane::Encoder)->geometry().bottomRight(),
             QPoint(grid.width() - 1 - b, grid.height() - 1 - b));
  }

  void emphasisStepsToTwoThirdsThenShowsTheButtons() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    PaneSplitter& grid = w.Panes();
    PaneEmphasis& emphasis = w.Emphasis();
    QAbstractButton* encode = ViewButton(w.Encoder(), "encode");
    const int height = grid.height();
    const int width = grid.width();
    const int row = grid.RowSize(1);
    const int column = grid.ColumnSize(1);

    w.EmphasizePane(Pane::Encoder);
    QVERIFY(emphasis.Running());
    QVERIFY(!emphasis.Tick());
    QCOMPARE(grid.RowSize(1), row + PaneEmphasis::kRowStep);
    QCOMPARE(grid.ColumnSize(1), column + PaneEmphasis::kColumnStep);
    QCOMPARE(grid.RowSize(0), height - grid.RowSize(1));
    QCOMPARE(grid.ColumnSize(0), width - grid.ColumnSize(1));
    QVERIFY(encode->isHidden());  // the buttons do not slide along

    int ticks = 1;
    while (!emphasis.Tick()) QVERIFY(++ticks < 1000);
    QVERIFY(!emphasis.Running());
    QVERIFY(std::abs(grid.RowSize(1) - height * 2 / 3) <= 2 * PaneEmphasis::kRowStep);
    QVERIFY(std::abs(grid.ColumnSize(1) - width * 2 / 3) <= 2 * PaneEmphasis::kColumnStep);
    QVERIFY(!encode->isHidden());
  }

  void aLayoutSetAtOnceEndsTheAnimation() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    w.EmphasizePane(Pane::Encoder);
    w.Emphasis().Tick();
    w.MaximizePane(Pane::Encoder);
    QVERIFY(!w.Emphasis().Running());
    QCOMPARE(w.Panes().RowSize(0), 0);
    QVERIFY(!ViewButton(w.Encoder(), "encode")->isHidden());
  }

  void pointerEmphasisesAPaneOnlyOnArrival() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    auto enter = [](QWidget* pane) {
      QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
      QApplication::sendEvent(pane, &event);
    };
    enter(&w.FileList());
    QVERIFY(w.Emphasis().Running());
    w.Emphasis().Stop();
    enter(&w.FileList());
    QVERIFY(!w.Emphasis().Running());
    enter(&w.Settings());
    QVERIFY(w.Emphasis().Running());
  }

  void listToggleFillsTheWindowWithTheListAndGivesItBack() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    PaneSplitter& grid = w.Panes();
    const int b = PaneSplitter::kBorder;
    auto* toggle = w.FileList().findChild<QAbstractButton*>("fullScreen");
    QVERIFY(toggle);

    toggle->click();
    QCOMPARE(grid.PaneWidget(Pane::List)->geometry(),
             QRect(b, b, grid.width() - 2 * b, grid.height() - 2 * b));
    for (Pane other : {Pane::Settings, Pane::Preview, Pane::Encoder})
      QVERIFY(!grid.PaneWidget(other)->isVisible());
    // The pointer arriving in the filled pane must not animate the layout away.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&w.FileList(), &enter);
    QVERIFY(!w.Emphasis().Running());

    toggle->click();
    for (Pane pane : {Pane::Settings, Pane::Preview, Pane::Encoder})
      QVERIFY(grid.PaneWidget(pane)->isVisible());
    QVERIFY(std::abs(grid.RowSize(0) - grid.RowSize(1)) <= PaneSplitter::kBar + 1);
  }

  // A filled preview gives the window to a job too, and while it fills the
  // window the pointer emphasises no pane.
  void jobTakesTheWindowFromAFullScreenPreview() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General, WorkerScript{.finishAtOnce = false});
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    auto* toggle = w.Preview().findChild<QAbstractButton*>("fullScreen");
    QVERIFY(toggle);
    toggle->click();
    QVERIFY(w.Preview().IsFullScreen());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&w.Preview(), &enter);
    QVERIFY(!w.Emphasis().Running());

    w.StartEncode();
    QVERIFY(w.Encoder().IsFullScreen());
    QVERIFY(!w.Preview().IsFullScreen());
    QVERIFY(!toggle->isChecked());
    w.StopEncode();
    QVERIFY(WaitForJobEnd(w));
  }

  void jobTakesTheWindowFromAFullScreenList() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General, WorkerScript{.finishAtOnce = false});
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    auto* toggle = w.FileList().findChild<QAbstractButton*>("fullScreen");
    toggle->click();
    QVERIFY(w.FileList().IsFullScreen());

    w.StartEncode();
    QVERIFY(w.Encoder().IsFullScreen());
    QVERIFY(!w.FileList().IsFullScreen());
    QVERIFY(!toggle->isChecked());
    QCOMPARE(w.Panes().RowSize(0), 0);

    w.StopEncode();
    QVERIFY(WaitForJobEnd(w));
    // Back to two by two, and the pointer may emphasise panes again.
    QVERIFY(w.Panes().RowSize(0) > 0 && w.Panes().RowSize(1) > 0);
  }

  void settingsPaneIsTheActiveOneAtStart() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    QCOMPARE(d.window->Panes().ActivePane(), std::optional<Pane>(Pane::Settings));
  }

  void aboutShowsNameAndVersion() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    ModalAnswerer answerer("OK");
    d.window->Action(menu::kAbout)->trigger();
    QCOMPARE(answerer.seen().size(), 1);
    QCOMPARE(answerer.seen()[0].title, QString("About ZQ48 design 3"));
    QCOMPARE(answerer.seen()[0].text, QString("ZQ48 design 3 Version 1.0"));
  }

  // A folder typed and left by pressing Encode is asked about once, when
  // Encode checks it, and the job starts after Yes: the question must not
  // come at the press, where it would take the button's release.
  void aFolderTypedBeforeEncodeIsAskedAboutOnceAndTheJobStarts() {
    FakeJobParts parts;
    parts.workers.SetScript(WorkerKind::General, WorkerScript{.finishAtOnce = false});
    Media media;
    QSettingsStore store;
    Application app(store, true);
    QtNotifier notifier;  // real boxes: they take the mouse as the user's would
    MainWindow w(app, notifier, EngineParts{.workers = &parts.workers, .outputs = &parts.outputs});
    w.resize(1000, 700);
    w.show();
    QVERIFY(AddAndWait(w.FileList(), {Q(media.clip)}) == 1);
    // Qt's offscreen windows take the activation whenever shown (the wait dialog's too).
    w.activateWindow();
    QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }));
    const std::string folder = media.dir.File("new/out");
    auto* edit = w.Settings().Simple().findChild<QLineEdit*>("destinationFolder");
    edit->setFocus();
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(edit, Q(folder));
    QAbstractButton* encode = ViewButton(w.Encoder(), "encode");

    int questions = 0;
    bool released = false;
    OnNextModal answer([&](QWidget* box) {
      ++questions;
      // The user lets go of the button while the question is up.
      if (!released) QTest::mouseRelease(encode, Qt::LeftButton);
      released = true;
      for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
        if (b->text().remove('&') == "Yes") b->click();
    });
    QTest::mousePress(encode, Qt::LeftButton);
    if (!released) QTest::mouseRelease(encode, Qt::LeftButton);
    released = true;
    QVERIFY(QTest::qWaitFor([&] { return w.Encoding().HasJob(); }, 5000));
    QCOMPARE(questions, 1);
    QVERIFY(fs::is_directory(folder));
    w.StopEncode();
    QVERIFY(WaitForJobEnd(w));
  }

  // zq48-encoder FILE|FOLDER...: files whatever their extension, folders as
  // a drop expands them (every video type the program reads).
  void pathsFromTheCommandLineAreListed() {
    FakeJobParts parts;
    Media media;
    Desktop d(parts.workers, parts.outputs);
    fs::create_directories(media.dir.File("films/sub"));
    WriteAvi(media.dir.File("films/sub/b.mkv"), ClipSpec{.seconds = 1.0});
    WriteAvi(media.dir.File("films/c.avi"), ClipSpec{.seconds = 1.0});
    WriteAvi(media.dir.File("films/notes.txt"), ClipSpec{.seconds = 1.0});
    WriteAvi(media.dir.File("LOUD.AVI"), ClipSpec{.seconds = 1.0});
    d.window->AddPaths({Q(media.dir.File("LOUD.AVI")), Q(media.dir.File("films")), Q(media.dir.File("none.avi"))});
    QVERIFY(WaitUntilListed(d.window->FileList(), 3));
    QCOMPARE(d.app.Catalog().InputPaths(), (std::vector<std::string>{media.dir.File("LOUD.AVI"),
                                                                       media.dir.File("films/c.avi"),
                                                                       media.dir.File("films/sub/b.mkv")}));
  }

  // File > "Save list...", then the command line encodes that list: the
  // same package, byte for byte, as the window's own encode.
  void aSavedListEncodesWithZq48encToTheSamePackage() {
    DecodeWorkerFactory workers;
    PackageOutputs outputs;
    Media media;
    Desktop d(workers, outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    // The file's own volume and a hand-edited variant list.
    w.FileList().List().selectAll();
    w.FileList().SetVolumeStep(7);
    ExpertPage& expert = w.Settings().Expert();
    expert.SelectFile(Q(media.clip));
    expert.Table().SelectRow(1);
    expert.Delete();
    QVERIFY(d.app.Catalog().IsCustomFilters(media.clip));
    const std::string job = media.dir.File("list.json");
    QVERIFY(w.SaveListTo(Q(job)));

    w.StartEncode();
    QVERIFY(WaitForJobEnd(w));
    QCOMPARE(d.notifier.texts(), std::vector<std::string>{});
    const std::string again = media.dir.File("again");
    const int status = std::system((std::string(ZQ48ENC_PATH) + " --job '" + job + "' -o '" + again + "' 2>/dev/null").c_str());
    QCOMPARE(status, 0);
    const auto window = Contents(media.out), command = Contents(again);
    QVERIFY(window.size() > 6);
    QVERIFY(window == command);
  }

  // File > "Open list...": the list becomes the job file's, with each file's
  // options and variants and the settings; a damaged one changes nothing.
  void openingAListReplacesTheListAndADamagedOneChangesNothing() {
    FakeJobParts parts;
    Media media;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    WriteAvi(media.dir.File("b.avi"), ClipSpec{.seconds = 1.0});
    const std::string job = media.dir.File("hand.json");
    std::ofstream(job) << R"({"version": 1, "range_begin_kbps": 100, "range_end_kbps": 300, "quality": 80,
  "files": [{"path": "b.avi", "volume": 0.5},
            {"path": "clip.avi", "variants": [{"w": 96, "h": 64, "fps": 5, "video": 60, "audio": 8,
                                              "rate": 8000, "channels": 1}]}]})";
    QVERIFY(w.OpenListFrom(Q(job)));
    QVERIFY(WaitUntilListed(w.FileList(), 2));
    InputCatalog& c = d.app.Catalog();
    QCOMPARE(c.InputPaths(), (std::vector<std::string>{media.dir.File("b.avi"), media.clip}));
    QCOMPARE(c.Options(media.dir.File("b.avi")).volume, 0.5f);
    QVERIFY(!c.IsCustomFilters(media.dir.File("b.avi")));
    QCOMPARE(c.FilterCount(media.dir.File("b.avi")), std::size_t{4});  // 100, 180, 260, 300
    QCOMPARE(c.FilterCount(media.clip), std::size_t{1});
    QCOMPARE(c.FilterAt(media.clip, 0)->width, 96);
    QCOMPARE(c.Settings().quality, 80);
    QCOMPARE(w.Settings().Simple().findChild<QLineEdit*>("rangeEnd")->text(), QString("300"));
    QCOMPARE(d.store.ReadSettingInt(settings::kRangeEnd, settings::kFilterSection), std::optional<std::int32_t>(300));
    QCOMPARE(w.Settings().DestinationText(), media.out);  // the job names none: the one typed stays

    std::ofstream(job) << "{\"version\": 1,\n \"files\": [{\"path\": \"b.avi\",\n \"volume\": \"loud\"}]}";
    QVERIFY(!w.OpenListFrom(Q(job)));
    QCOMPARE(d.notifier.texts().back(), "Can't open the list " + job + ":\nline 3: \"volume\" must be a number\n"
                                        "Nothing was changed.");
    QCOMPARE(w.FileList().Count(), 2);
    QCOMPARE(c.Settings().quality, 80);
  }

  // The list is kept as it changes and offered back at the next start.
  void theListIsKeptAndOfferedBackAtTheNextStart() {
    FakeJobParts parts;
    Media media;
    const std::string kept = media.dir.File("data/session list.json");
    {
      Desktop d(parts.workers, parts.outputs, true, kept);
      QVERIFY(ListClip(d, media));
      d.window->FileList().List().selectAll();
      d.window->FileList().SetVolumeStep(3);
      d.window->KeepSessionList();  // what its timer does every second
      QVERIFY(fs::exists(kept));
    }
    {
      Desktop d(parts.workers, parts.outputs, true, kept);
      d.window->OfferSessionList();
      QCOMPARE(d.notifier.questions().size(), std::size_t{1});
      QCOMPARE(d.notifier.questions()[0].text,
               std::string("The list of your last session has 1 file(s).\nDo you want to open it again?"));
      QVERIFY(WaitUntilListed(d.window->FileList(), 1));
      QCOMPARE(d.app.Catalog().Options(media.clip).volume, 0.8f);
    }
    {
      // Refused, the list is replaced by the new session's, here an empty one.
      Desktop d(parts.workers, parts.outputs, true, kept);
      d.notifier.set_answer(false);
      d.window->OfferSessionList();
      QCOMPARE(d.window->FileList().Count(), 0);
      d.window->KeepSessionList();
      QVERIFY(!fs::exists(kept));
    }
  }

  // The real decode workers and outputs, from Encode to the job's end.
  void realEncodeRunsToTheEnd() {
    DecodeWorkerFactory workers;
    PackageOutputs outputs;
    Media media;
    Desktop d(workers, outputs);
    MainWindow& w = *d.window;
    QVERIFY(ListClip(d, media));
    w.StartEncode();
    QVERIFY(w.Encoding().HasJob());
    QVERIFY(WaitForJobEnd(w));

    QCOMPARE(d.notifier.texts(), std::vector<std::string>{});
    for (const char* name : {"clip.meta.zq48", "clip.html", "zqmPlayer.jar", "buttons.gif"})
      QVERIFY2(fs::exists(fs::path(media.out) / name), name);
    int videoStreams = 0;
    for (const auto& entry : fs::directory_iterator(media.out))
      videoStreams += entry.path().string().ends_with("bps.video.zq48") ? 1 : 0;
    QCOMPARE(static_cast<std::size_t>(videoStreams), d.app.Catalog().FilterCount(media.clip));
    QCOMPARE(Buttons(w.Encoder()), QString("E--"));
    QCOMPARE(w.windowTitle(), QString("ZQ48 Encoder"));
  }

  // A real job of two variants of one size at 60 and 400 kbps: at its end
  // the results show both rows measured, and the file's chart holds both
  // points by rate, quality rising with it; "Results..." keeps them until
  // the next job starts.
  void aRealJobShowsItsMeasuredResults() {
    DecodeWorkerFactory workers;
    PackageOutputs outputs;
    Media media;
    Desktop d(workers, outputs);
    MainWindow& w = *d.window;
    const std::string job = media.dir.File("two.json");
    std::ofstream(job) << R"({"version": 1, "files": [{"path": "clip.avi", "variants": [
  {"w": 160, "h": 120, "fps": 15, "video": 400, "audio": 8, "rate": 8000, "channels": 1},
  {"w": 160, "h": 120, "fps": 15, "video": 60, "audio": 8, "rate": 8000, "channels": 1}]}]})";
    w.Settings().SetDestinationText(media.out);
    QVERIFY(w.OpenListFrom(Q(job)));
    QVERIFY(WaitUntilListed(w.FileList(), 1));
    w.StartEncode();
    QVERIFY(WaitForJobEnd(w));
    QCOMPARE(d.notifier.texts(), std::vector<std::string>{});

    ResultsDialog* results = w.Results();
    QVERIFY(results && results->isVisible());
    QVERIFY(Enabled(w, menu::kResults));
    const ResultsModel& m = results->Model();
    QCOMPARE(m.rowCount(), 2);
    std::vector<QPointF> table;  // (total kbps, PSNR Y) as the table shows them
    for (int row = 0; row < m.rowCount(); ++row) {
      auto cell = [&](ResultsModel::Column c) { return m.data(m.index(row, c)).toString(); };
      QCOMPARE(cell(ResultsModel::State), QString("finished"));
      for (auto c : {ResultsModel::VideoRate, ResultsModel::TotalRate, ResultsModel::PsnrY,
                     ResultsModel::PsnrYuv, ResultsModel::WorstPsnrY})
        QVERIFY2(cell(c) != kNoValue, qPrintable(cell(c)));
      table.emplace_back(cell(ResultsModel::TotalRate).toDouble(), cell(ResultsModel::PsnrY).toDouble());
    }
    std::sort(table.begin(), table.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });

    QChart& chart = results->Chart();
    QCOMPARE(chart.title(), QString("clip.avi"));
    const QList<QPointF> points = static_cast<QLineSeries*>(chart.series().at(0))->points();
    QCOMPARE(points.size(), 2);
    for (int i = 0; i < 2; ++i) {
      QVERIFY(std::abs(points[i].x() - table[i].x()) < 0.051);  // the table rounds to 0.1 kbps
      QVERIFY(std::abs(points[i].y() - table[i].y()) < 0.0051);  // and to 0.01 dB
    }
    QVERIFY(points[0].x() < points[1].x());
    QVERIFY2(points[0].y() > 20 && points[0].y() < points[1].y(),
             qPrintable(QString("%1 dB, then %2 dB").arg(points[0].y()).arg(points[1].y())));

    w.StartEncode();
    QVERIFY(w.Encoding().HasJob());
    QVERIFY(!Enabled(w, menu::kResults));
    QVERIFY(!results->isVisible());
    w.StopEncode();
    QVERIFY(WaitForJobEnd(w));
  }
};

int RunMainWindowTests(int argc, char** argv) {
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
