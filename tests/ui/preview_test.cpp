// The preview: the volume rules, the player's clock and seeking, the
// view's layout and seek bar, and the main window's Preview commands with
// the list's previewed row.
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>
#include <fstream>

#include "catalog/media_facts.h"
#include "desktop_fixture.h"
#include "list_adding.h"
#include "support/test_media.h"
#include "ui/file_list_view.h"
#include "ui/media_list_widget.h"
#include "ui/menu_ids.h"
#include "ui/pane_splitter.h"
#include "ui/preview_parts.h"
#include "ui/preview_player.h"
#include "ui/preview_view.h"
#include "ui/preview_volume.h"

using namespace zq48;
using namespace zq48::testing;

namespace {

constexpr int kPictureWaitMs = 10000;

struct Clip {
  explicit Clip(double seconds = 2.0) { WriteAvi(path, ClipSpec{.seconds = seconds}); }
  TempDir dir;
  std::string path = dir.File("clip.avi");
  QString qpath() const { return QString::fromStdString(path); }
};

MediaFacts FactsOf(double seconds) {
  MediaFacts facts;
  facts.width = 160;
  facts.height = 120;
  facts.hasVideo = facts.hasAudio = true;
  facts.videoDuration = facts.audioDuration = seconds;
  return facts;
}

// Play, Pause and Stop of the Preview menu as "PPS" with '-' for off.
QString MenuCommands(MainWindow& w) {
  QString s;
  s += w.Action(menu::kPlay)->isEnabled() ? 'P' : '-';
  s += w.Action(menu::kPause)->isEnabled() ? 'P' : '-';
  s += w.Action(menu::kStop)->isEnabled() ? 'S' : '-';
  return s;
}

// The same three entries of the list's context menu.
QString ContextCommands(FileListView& list) {
  std::unique_ptr<QMenu> menu = list.MakeContextMenu();
  QString s;
  for (const char* text : {"&Play", "Pause", "&Stop"})
    for (QAction* a : menu->actions())
      if (a->text() == text) s += a->isEnabled() ? text[text[0] == '&' ? 1 : 0] : '-';
  return s;
}

bool AnyPreviewed(MediaListWidget& rows) {
  for (int i = 0; i < rows.topLevelItemCount(); ++i)
    if (MediaListWidget::IsPreviewed(rows.topLevelItem(i))) return true;
  return false;
}

// A desktop with the clip listed; the row is left unselected.
struct ListedDesktop {
  explicit ListedDesktop(double seconds = 2.0) : clip(seconds), desktop(parts.workers, parts.outputs) {
    if (AddAndWait(desktop.window->FileList(), {clip.qpath()}) != 1) qFatal("the clip was refused");
    rows().clearSelection();  // adding selects the new row
    emit window().FileList().listHasSelection(false);
  }
  MainWindow& window() { return *desktop.window; }
  MediaListWidget& rows() { return desktop.window->FileList().List(); }
  void Select() {
    rows().clearSelection();
    rows().topLevelItem(0)->setSelected(true);
    emit window().FileList().listHasSelection(true);
  }
  Clip clip;
  FakeJobParts parts;
  Desktop desktop;
};

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ClearSettings(); }

  void volumeSliderMapsToAttenuation() {
    QCOMPARE(Attenuation(100, false), 0);
    QCOMPARE(Attenuation(1, false), kSilence);  // -100 dB is below the audible floor
    QCOMPARE(Attenuation(10, false), -5000);
    QCOMPARE(Attenuation(50, false), -1505);  // truncated toward zero, not rounded down
    QCOMPARE(Attenuation(100, true), kSilence);
    QCOMPARE(MovieVolume(0), 256);  // 10^2.41 is above the scale: capped
    QCOMPARE(MovieVolume(kSilence), 0);
    QCOMPARE(MovieVolume(-5000), 16);
    QCOMPARE(LinearGain(0), 1.0);
    QCOMPARE(LinearGain(kSilence), 0.0);
  }

  void seekBarFollowsPositionAndDuration() {
    QCOMPARE(SeekBarPosition(5'000'000, 20'000'000), 25);
    QCOMPARE(SeekBarPosition(5'000'000, 0), 0);
    QCOMPARE(SeekBarPosition(5'000'000, -1), 0);
    // Hours of 100 ns units: the product must not overflow 32 bits.
    QCOMPARE(SeekBarPosition(36'000'000'000, 72'000'000'000), 50);
  }

  void enablingRulesInEachState() {
    QCOMPARE(EnabledCommands(PreviewState::Stopped, false), (PreviewCommands{false, false, false}));
    QCOMPARE(EnabledCommands(PreviewState::Stopped, true), (PreviewCommands{true, false, false}));
    QCOMPARE(EnabledCommands(PreviewState::Playing, false), (PreviewCommands{false, true, true}));
    QCOMPARE(EnabledCommands(PreviewState::Paused, false), (PreviewCommands{true, false, true}));
  }

  void volumeSliderJumpsToTheClickedValue() {
    VolumeSlider slider;
    slider.resize(104, 20);  // a wedge 100 pixels wide inside the margins
    slider.setValue(kVolumeSliderMax);
    QCOMPARE(slider.minimum(), kVolumeSliderMin);
    QCOMPARE(slider.maximum(), kVolumeSliderMax);
    QSignalSpy changes(&slider, &QSlider::valueChanged);
    const int x = slider.width() / 4;
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(x, slider.height() / 2));
    QCOMPARE(slider.value(), slider.ValueAt(x));  // at once, not a page step
    QVERIFY(qAbs(slider.value() - 25) <= 2);
    QCOMPARE(changes.size(), 1);
    QVERIFY(!slider.isSliderDown());
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(0, slider.height() / 2));
    QCOMPARE(slider.value(), kVolumeSliderMin);  // left of the wedge is the quietest
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(slider.width() - 1, slider.height() / 2));
    QCOMPARE(slider.value(), kVolumeSliderMax);
  }

  void muteAndUnmuteRestoreTheSlidersVolume() {
    PreviewView view;
    view.Volume().setValue(10);
    QCOMPARE(view.CurrentAttenuation(), -5000);
    view.ToggleMute();
    QCOMPARE(view.CurrentAttenuation(), kSilence);
    view.Volume().setValue(100);  // moving the slider while muted stays silent
    QCOMPARE(view.CurrentAttenuation(), kSilence);
    view.ToggleMute();
    QCOMPARE(view.CurrentAttenuation(), 0);
  }

  void seekingAStoppedPlayerPausesItFirst() {
    Clip clip;
    PreviewPlayer player;
    QSignalSpy pictures(&player, &PreviewPlayer::pictureChanged);
    QVERIFY(player.Open(clip.qpath(), 2.0));
    QCOMPARE(player.State(), PreviewState::Stopped);
    player.Seek(1.0);
    QCOMPARE(player.State(), PreviewState::Paused);
    QCOMPARE(player.Position(), 1.0);  // a paused clock does not move
    QVERIFY(pictures.wait(kPictureWaitMs));  // the picture there is shown while paused
    QVERIFY(!player.Picture().isNull());
    QCOMPARE(player.Position(), 1.0);
    player.Play();
    QCOMPARE(player.State(), PreviewState::Playing);
    player.Stop();
    QCOMPARE(player.State(), PreviewState::Stopped);
    QVERIFY(player.Picture().isNull());
    player.Seek(1.0);  // nothing loaded: nothing to seek in
    QCOMPARE(player.State(), PreviewState::Stopped);
  }

  void pausedPlayerKeepsItsPosition() {
    Clip clip;
    PreviewPlayer player;
    QVERIFY(player.Open(clip.qpath(), 2.0));
    player.Play();
    player.Pause();
    const double held = player.Position();
    QVERIFY(held >= 0.0 && held <= 2.0);
    QCOMPARE(player.Position(), held);
    player.Seek(0.5);  // a paused player stays paused at the new place
    QCOMPARE(player.State(), PreviewState::Paused);
    QCOMPARE(player.Position(), 0.5);
  }

  void aMovieOfZeroDurationLeavesTheSeekBarAtZero() {
    Clip clip;
    PreviewView view;
    QSignalSpy pictures(&view.Player(), &PreviewPlayer::pictureChanged);
    QVERIFY(view.Play(clip.qpath(), FactsOf(0.0)));
    QVERIFY(pictures.wait(kPictureWaitMs));  // time has passed in the file
    view.OnPositionTimer();
    QCOMPARE(view.Seek().value(), 0);
    view.SeekTo(50);  // nowhere to go in no time
    view.OnPositionTimer();
    QCOMPARE(view.Seek().value(), 0);
  }

  void seekBarClickSeeksAndTheTimerFollows() {
    Clip clip;
    PreviewView view;
    view.resize(400, 300);
    QVERIFY(view.Play(clip.qpath(), FactsOf(2.0)));
    view.Pause();
    view.SetCommands(EnabledCommands(view.State(), true));
    QSlider& seek = view.Seek();
    QTest::mouseClick(&seek, Qt::LeftButton, {}, QPoint(seek.width() / 2, seek.height() / 2));
    const int clicked = seek.value();
    QVERIFY(qAbs(clicked - 50) <= 2);
    QCOMPARE(view.State(), PreviewState::Paused);
    QCOMPARE(view.Player().Position(), 2.0 * clicked / 100.0);
    seek.setValue(0);
    view.OnPositionTimer();  // paused: the bar comes back to exactly where it was put
    QCOMPARE(seek.value(), clicked);
  }

  void videoAreaKeepsThePicturesShapeWhilePlaying() {
    Clip clip;
    PreviewView view;
    view.resize(400, 300);
    view.show();
    // The box is 380 x 240 inside the margins; 4:3 in it is pillar-boxed.
    QCOMPARE(view.VideoRect(), QRect(10, 30, 380, 240));
    QVERIFY(view.Play(clip.qpath(), FactsOf(2.0)));
    QCOMPARE(view.VideoRect(), QRect(40, 30, 320, 240));
    QCOMPARE(view.Seek().geometry(), QRect(40, 270, 320, 20));
    view.resize(400, 460);  // now the box is taller than 4:3: letter-boxed
    QCOMPARE(view.VideoRect(), QRect(10, 30 + (400 - 285) / 2, 380, 285));
    view.Stop();
    QCOMPARE(view.VideoRect(), QRect(10, 30, 380, 400));
  }

  void fullScreenToggleAsksToFillThenToRestore() {
    PreviewView view;
    view.resize(400, 300);
    view.show();
    auto* toggle = view.findChild<QAbstractButton*>("fullScreen");
    QVERIFY(toggle);
    // Top-right corner, beside the tool bar and above the picture.
    QCOMPARE(toggle->geometry().right(), view.width() - 1);
    QCOMPARE(toggle->geometry().top(), 0);
    QVERIFY(toggle->geometry().bottom() < view.VideoRect().top());
    QCOMPARE(toggle->toolTip(), QString("Full screen"));

    QSignalSpy fills(&view, &PreviewView::fullScreenRequested);
    toggle->click();
    QCOMPARE(fills.size(), 1);
    QCOMPARE(fills.at(0).at(0).toBool(), true);
    QVERIFY(view.IsFullScreen());
    QVERIFY(toggle->isChecked());
    QCOMPARE(toggle->toolTip(), QString("pushed state ('No full screen')"));

    toggle->click();
    QCOMPARE(fills.size(), 2);
    QCOMPARE(fills.at(1).at(0).toBool(), false);
    QVERIFY(!view.IsFullScreen());
    QVERIFY(!toggle->isChecked());
    QCOMPARE(toggle->toolTip(), QString("Full screen"));
  }

  void fullScreenToggleFillsTheWindowWithThePreview() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    PaneSplitter& grid = w.Panes();
    const int b = PaneSplitter::kBorder;
    auto* toggle = w.Preview().findChild<QAbstractButton*>("fullScreen");
    QVERIFY(toggle);
    toggle->click();
    QCOMPARE(grid.PaneWidget(Pane::Preview)->geometry(),
             QRect(b, b, grid.width() - 2 * b, grid.height() - 2 * b));
    for (Pane other : {Pane::List, Pane::Settings, Pane::Encoder})
      QVERIFY(!grid.PaneWidget(other)->isVisible());
    toggle->click();
    for (Pane pane : {Pane::List, Pane::Settings, Pane::Preview, Pane::Encoder})
      QVERIFY(grid.PaneWidget(pane)->isVisible());
    QVERIFY(grid.PaneWidget(Pane::Preview)->width() < grid.width() / 2 + PaneSplitter::kBar);
  }

  void aFileThePlayerCannotOpenIsReported() {
    FakeJobParts parts;
    Desktop d(parts.workers, parts.outputs);
    MainWindow& w = *d.window;
    TempDir dir;
    const std::string path = dir.File("broken.avi");
    std::ofstream(path, std::ios::binary) << "RIFF this is no movie at all";
    // Listed as though the probe had taken it, so that only the player finds out.
    MediaFacts& facts = d.app.Catalog().MutableFacts(path);
    facts = FactsOf(2.0);
    d.app.Catalog().AddInputPath(path);
    MediaListWidget& rows = w.FileList().List();
    rows.AddRow(QString::fromStdString(path), facts);
    rows.clearSelection();
    rows.topLevelItem(0)->setSelected(true);
    emit w.FileList().listHasSelection(true);
    QCOMPARE(MenuCommands(w), QString("P--"));

    w.Action(menu::kPlay)->trigger();
    QCOMPARE(d.notifier.texts(), std::vector<std::string>{"error open movie"});
    QCOMPARE(d.notifier.messages().at(0).caption, std::string(kAppCaption));
    QVERIFY(d.notifier.messages().at(0).presentation == Presentation::AppBox);
    QCOMPARE(w.Preview().State(), PreviewState::Stopped);
    QVERIFY(!AnyPreviewed(rows));
    QCOMPARE(MenuCommands(w), QString("P--"));
  }

  void playWithNoSelectedRowDoesNothing() {
    ListedDesktop d;
    d.window().PlayPreview();
    QCOMPARE(d.window().Preview().State(), PreviewState::Stopped);
    QVERIFY(!AnyPreviewed(d.rows()));
    QCOMPARE(MenuCommands(d.window()), QString("---"));
  }

  void menuAndContextMenuFollowTheState() {
    ListedDesktop d;
    MainWindow& w = d.window();
    QCOMPARE(MenuCommands(w), QString("---"));
    d.Select();
    QCOMPARE(MenuCommands(w), QString("P--"));
    w.Action(menu::kPlay)->trigger();
    QCOMPARE(w.Preview().State(), PreviewState::Playing);
    QVERIFY(MediaListWidget::IsPreviewed(d.rows().topLevelItem(0)));
    QCOMPARE(MenuCommands(w), QString("-PS"));
    QCOMPARE(ContextCommands(w.FileList()), QString("-PS"));
    QVERIFY(w.Preview().ToolAction("pause")->isEnabled());
    QVERIFY(w.Preview().Volume().isEnabled());
    w.Action(menu::kPause)->trigger();
    QCOMPARE(w.Preview().State(), PreviewState::Paused);
    QCOMPARE(MenuCommands(w), QString("P-S"));
    QCOMPARE(ContextCommands(w.FileList()), QString("P-S"));
    w.Preview().ToolAction("play")->trigger();  // the tool bar goes through the menu's command
    QCOMPARE(w.Preview().State(), PreviewState::Playing);
    QCOMPARE(MenuCommands(w), QString("-PS"));
    w.Action(menu::kStop)->trigger();
    QCOMPARE(w.Preview().State(), PreviewState::Stopped);
    QVERIFY(!AnyPreviewed(d.rows()));
    QCOMPARE(MenuCommands(w), QString("P--"));  // the row is still selected
    QCOMPARE(w.Preview().Seek().value(), 0);
    QVERIFY(!w.Preview().Volume().isEnabled());
    d.rows().clearSelection();
    emit w.FileList().listHasSelection(false);
    QCOMPARE(MenuCommands(w), QString("---"));
  }

  void deletingThePreviewedRowStopsThePreview() {
    ListedDesktop d;
    d.Select();
    d.window().PlayPreview();
    QCOMPARE(d.window().Preview().State(), PreviewState::Playing);
    d.window().FileList().DeleteSelected();
    QCOMPARE(d.window().Preview().State(), PreviewState::Stopped);
    QCOMPARE(MenuCommands(d.window()), QString("---"));
  }

  void encodeStopsThePreviewFirst() {
    ListedDesktop d;
    d.Select();
    d.window().PlayPreview();
    d.window().StartEncode();
    QCOMPARE(d.window().Preview().State(), PreviewState::Stopped);
    QVERIFY(!AnyPreviewed(d.rows()));
    d.window().StopEncode();
    QVERIFY(QTest::qWaitFor([&] { return !d.window().Encoding().HasJob(); }, 20000));
  }

  void endOfTheFileStopsThePreview() {
    ListedDesktop d(0.5);
    d.Select();
    d.window().PlayPreview();
    QVERIFY(QTest::qWaitFor(
        [&] { return d.window().Preview().State() == PreviewState::Stopped; }, kPictureWaitMs));
    QVERIFY(!AnyPreviewed(d.rows()));
    QCOMPARE(MenuCommands(d.window()), QString("P--"));
  }
};

int RunPreviewTests(int argc, char** argv) {
  PreviewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "preview_test.moc"
