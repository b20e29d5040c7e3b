// The file dialog (adding in several rounds, opening, places, preview) and
// the way the file list takes files from it.

#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <filesystem>

#include "ui/application.h"
#include "ui/qsettings_store.h"
#include "desktop_fixture.h"
#include "modal_answerer.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "ui/file_list_view.h"
#include "list_adding.h"

using namespace zq48;
using namespace zq48::testing;
namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPushButton* ButtonNamed(QWidget& dialog, const QString& text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>())
    if (button->isVisible() && button->text() == text) return button;
  qFatal("no visible button %s", qPrintable(text));
}

const QStringList kMediaFilters = {NameFilter("Media files", "*.avi;*.mpeg;*.mpg;*.mov;"),
                                   "All Files (*)"};

}  // namespace

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ClearSettings(); }

  void addHandsOverEachSelectionAndStaysOpen() {
    TempDir dir;
    WriteZeroByte(dir.File("a.avi"));
    WriteZeroByte(dir.File("b.avi"));
    BXFileDialog dialog(BXFileDialog::Mode::Add, "Add file(s) to list", kMediaFilters,
                        Q(dir.path() + "/"));
    QSignalSpy added(&dialog, &BXFileDialog::filesAdded);
    dialog.show();
    QCOMPARE(QDir(dialog.Folder()), QDir(Q(dir.path())));

    dialog.Browser().selectFile(Q(dir.File("a.avi")));
    ButtonNamed(dialog, "&Add")->click();
    QVERIFY(dialog.isVisible());
    dialog.Browser().selectFile(Q(dir.File("b.avi")));
    ButtonNamed(dialog, "&Add")->click();
    QVERIFY(dialog.isVisible());

    QCOMPARE(added.size(), 2);
    QCOMPARE(QDir(added[0][0].toString()), QDir(Q(dir.path())));
    QCOMPARE(added[0][1].toStringList(), QStringList{Q(dir.File("a.avi"))});
    QCOMPARE(added[1][1].toStringList(), QStringList{Q(dir.File("b.avi"))});

    ButtonNamed(dialog, "Cancel")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
  }

  void openEndsWithTheSelection() {
    TempDir dir;
    QImage(8, 8, QImage::Format_RGB32).save(Q(dir.File("title.png")));
    BXFileDialog dialog(BXFileDialog::Mode::Open, "Select file of image",
                        {NameFilter("All Supported Files", "*.gif;*.jpg;*.png;*.bmp;")},
                        Q(dir.path()));
    dialog.show();
    dialog.Browser().selectFile(Q(dir.File("title.png")));
    ButtonNamed(dialog, "&Open")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.SelectedFiles(), QStringList{Q(dir.File("title.png"))});
  }

  void historyLeadsBackToTheLastInputFolder() {
    TempDir last;
    TempDir elsewhere;
    BXFileDialog dialog(BXFileDialog::Mode::Add, "Add file(s) to list", kMediaFilters,
                        Q(last.path() + "/"));
    dialog.show();
    dialog.Browser().setDirectory(Q(elsewhere.path()));
    QCOMPARE(QDir(dialog.Folder()), QDir(Q(elsewhere.path())));
    for (QAbstractButton* place : dialog.findChildren<QAbstractButton*>())
      if (place->text() == "History") place->click();
    QCOMPARE(QDir(dialog.Folder()), QDir(Q(last.path())));

    // Before any files were added, History is the home folder.
    QCOMPARE(PlaceFolder(Place::History, ""),
             QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
    QCOMPARE(PlaceFolder(Place::History, Q(last.path() + "/gone")),
             QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
  }

  void previewShowsPicturesAndDescribesOtherFiles() {
    TempDir dir;
    QImage(64, 32, QImage::Format_RGB32).save(Q(dir.File("end.png")));
    WriteZeroByte(dir.File("clip.avi"));
    fs::create_symlink(dir.File("clip.avi"), dir.File("link.avi"));
    BXFileDialog dialog(BXFileDialog::Mode::Add, "Add file(s) to list", kMediaFilters,
                        Q(dir.path()));
    QStringList described;
    dialog.SetDescriber([&](const QString& path) {
      described << path;
      return QString("facts of ") + QFileInfo(path).fileName();
    });
    auto* preview = dialog.findChild<QLabel*>("preview");
    auto select = [&](const std::string& path) {
      QMetaObject::invokeMethod(&dialog.Browser(), "currentChanged", Q_ARG(QString, Q(path)));
    };

    select(dir.File("end.png"));
    QVERIFY(!preview->pixmap().isNull());
    QVERIFY(described.isEmpty());

    // A link is described by what it points to.
    select(dir.File("link.avi"));
    QCOMPARE(preview->text(), QString("facts of clip.avi"));

    select(dir.path());  // a folder shows nothing
    QVERIFY(preview->text().isEmpty());
    QVERIFY(preview->pixmap().isNull());
  }

  void listAddsProbedFilesWithVolumeAndLadder() {
    TempDir dir;
    WriteAvi(dir.File("loud.avi"), ClipSpec{.seconds = 1.0});
    WriteAvi(dir.File("silent.avi"), ClipSpec{.seconds = 1.0, .audio = false});
    QSettingsStore store;
    Application app(store, true);
    RecordingNotifier notifier;
    ListingEngine listing(app, notifier);
    FileListView list(app, listing.engine, notifier);
    QSignalSpy hasItems(&list, &FileListView::listHasItems);

    QCOMPARE(AddAndWait(list, {Q(dir.File("loud.avi")), Q(dir.File("silent.avi"))}), 2);
    const InputCatalog& catalog = app.Catalog();
    QCOMPARE(catalog.InputPaths(),
             (std::vector<std::string>{dir.File("loud.avi"), dir.File("silent.avi")}));
    QCOMPARE(catalog.Options(dir.File("loud.avi")).volume, 1.0f);
    QCOMPARE(catalog.Options(dir.File("silent.avi")).volume, 0.0f);
    QVERIFY(catalog.FilterCount(dir.File("loud.avi")) > 0);
    QVERIFY(catalog.FilterCount(dir.File("silent.avi")) > 0);
    QCOMPARE(hasItems.size(), 1);  // only the first row tells
    QCOMPARE(hasItems[0][0].toBool(), true);
  }

  void listRefusesWhatItMustNotTake() {
    TempDir dir;
    fs::create_directory(dir.File("sub"));
    WriteAvi(dir.File("a.avi"), ClipSpec{.seconds = 1.0});
    WriteAvi(dir.File("sub/a.avi"), ClipSpec{.seconds = 1.0});
    WriteAvi(dir.File("CLIP.AVI"), ClipSpec{.seconds = 1.0});
    WriteMovie(dir.File("m.mov"), ClipSpec{.seconds = 1.0});
    WriteGarbage(dir.File("junk.avi"), 4096);
    QSettingsStore store;
    Application app(store, false);  // no movie files in this build
    RecordingNotifier notifier;
    ListingEngine listing(app, notifier);
    FileListView list(app, listing.engine, notifier);

    QCOMPARE(AddAndWait(list, {Q(dir.File("a.avi"))}), 1);
    QCOMPARE(AddAndWait(list, {Q(dir.File("sub/a.avi"))}), 0);  // the name is listed already
    QCOMPARE(AddAndWait(list, {Q(dir.File("CLIP.AVI"))}), 0);   // extensions match as written
    QCOMPARE(AddAndWait(list, {Q(dir.File("m.mov"))}), 0);
    QVERIFY(notifier.messages().empty());
    QCOMPARE(AddAndWait(list, {Q(dir.File("junk.avi"))}), 0);
    QCOMPARE(notifier.messages().size(), std::size_t{1});  // the probe says why
    QVERIFY(!app.Catalog().Contains(dir.File("junk.avi")));
    QCOMPARE(app.Catalog().InputPaths(), std::vector<std::string>{dir.File("a.avi")});
  }

  void listAddsThroughTheDialogAndKeepsTheFolder() {
    TempDir dir;
    WriteAvi(dir.File("a.avi"), ClipSpec{.seconds = 1.0});
    WriteAvi(dir.File("b.mkv"), ClipSpec{.seconds = 1.0});  // the probe reads it whatever its name
    QSettingsStore store;
    Application app(store, true);
    RecordingNotifier notifier;
    ListingEngine listing(app, notifier);
    FileListView list(app, listing.engine, notifier);
    QString title, shown;
    QStringList filters;
    bool onTop = false;
    OnNextModal act([&](QWidget* modal) {
      auto* dialog = qobject_cast<BXFileDialog*>(modal);
      QVERIFY(dialog);
      title = dialog->windowTitle();
      filters = dialog->Browser().nameFilters();
      shown = dialog->Browser().selectedNameFilter();
      onTop = dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
      dialog->Browser().setDirectory(Q(dir.path()));
      dialog->Browser().selectFile(Q(dir.File("a.avi")));
      ButtonNamed(*dialog, "&Add")->click();
      dialog->Browser().selectFile(Q(dir.File("b.mkv")));
      ButtonNamed(*dialog, "&Add")->click();
      ButtonNamed(*dialog, "Cancel")->click();
    });
    list.OpenAddDialog();
    QVERIFY(QTest::qWaitFor([&] { return !list.Busy(); }));

    QCOMPARE(title, QString("Add file(s) to list"));
    // Every video type the program reads comes first and is shown; the
    // program's own media filter stays in the list.
    QCOMPARE(filters.size(), 3);
    QVERIFY(filters[0].startsWith("All video files (*.avi *.mpeg *.mpg *.mov *.mp4 *.m4v *.mkv *.webm *.ts"));
    QCOMPARE(filters.mid(1), QStringList({"Media files (*.avi *.mpeg *.mpg *.mov)", "All Files (*)"}));
    QCOMPARE(shown, filters[0]);
    QVERIFY(onTop);
    QCOMPARE(list.Count(), 2);
    QCOMPARE(app.Catalog().InputFolder(), dir.path() + "/");
    QCOMPARE(store.ReadSettingString(settings::kPathInput, settings::kRootSection),
             dir.path() + "/");
  }
};

int RunFileDialogTests(int argc, char** argv) {
  FileDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "file_dialog_test.moc"
