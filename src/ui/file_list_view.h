#pragma once

#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>

#include "encode/job_file.h"
#include "ui/list_acceptance.h"

class QAction;
class QMenu;
class QMimeData;
class QTreeWidgetItem;

namespace zq48 {

class AddFilesWorker;
class Engine;
class Application;
class EffectButton;
class MediaListWidget;
class Notifier;
class WaitDialog;
struct ProbedFile;

// The file list pane: the input files of the job, in the order they will
// be encoded. Files come in through the add-files dialog, the Insert key,
// the toolbar, drops and whole folders; each is probed off the GUI thread
// and, when it is media, enters the catalog with its default volume and
// simple ladder and gets a row. The context menu deletes rows, sets the
// volume, time range and cropping of the selected files and asks the main
// window for the preview and the information dialog. The engine probes the
// files and lists them in the application's catalog.
class FileListView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxRows = 1001;

  FileListView(Application& app, Engine& engine, Notifier& notifier, QWidget* parent = nullptr);
  // Keeps the column layout for the next start.
  ~FileListView() override;

  // The add-files dialog; it stays open until closed, each "&Add" adding files.
  void OpenAddDialog();
  // Takes each path as given by the dialog or a drop: links are followed,
  // folders expanded. Files are probed in the background: rows appear later.
  void AddPaths(const QStringList& paths);
  // The same for paths the user named one by one (the command line): a
  // file is taken whatever its extension.
  void AddNamedPaths(const QStringList& paths);
  // Files accepted for probing whose answer has not come yet.
  bool Busy() const;
  // Replaces the list by the files of a job file, each given its entry's
  // options and variants once it is probed. A file that cannot be listed is
  // told of (its line, for what the job file says wrongly) and left out.
  void OpenJob(const JobFile& job);
  void DeleteSelected();
  void DeleteAll();
  int Count() const;

  // Sets the volume factor of every selected file to that of the step (0..10).
  void SetVolumeStep(int step);
  // The time range and cropping dialog for the selected files.
  void EditTimeRangeAndCrop();
  // Which of the main window's preview commands (Play, Pause, Stop ids) are
  // enabled now; the context menu follows it.
  void SetPreviewRule(std::function<bool(int id)> enabled) { previewEnabled_ = std::move(enabled); }
  // The context menu as it would open now.
  std::unique_ptr<QMenu> MakeContextMenu();

  MediaListWidget& List() { return *list_; }
  QAction* ToolbarAction(int id) const;
  void SetAcceptFlags(AcceptFlags flags) { accept_ = flags; }
  bool IsFullScreen() const { return fullScreen_; }

 signals:
  // The list got its first row (true) or lost its last one (false).
  void listHasItems(bool hasItems);
  void listHasSelection(bool hasSelection);
  // The first selected file changed (empty: nothing is selected).
  void selectedFileChanged(const QString& path);
  void playRequested();
  void pauseRequested();
  void stopRequested();
  void informationRequested(const QString& path);
  // The volume, time range or cropping of files changed: the settings pages show them again.
  void fileOptionsChanged();
  // The toggle asks the main window to make this pane fill the window (true)
  // or to restore the two-by-two layout (false).
  void fullScreenRequested(bool fill);

 public slots:
  // The full-screen toggle's command.
  void toggleFullScreen();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildToolbar();
  void AddPath(const QString& given, bool named = false);
  // Hands the file to the worker; false when the list refuses it beforehand.
  bool AddFile(const QString& path);
  void OnProbed(const ProbedFile& file);
  // Gives a file just listed its options and variants: its job entry's, or a new file's.
  bool SetUpListedFile(const std::string& path, const MediaFacts& facts, const std::optional<JobFileEntry>& entry);
  void OnAddsDone();
  void RememberInputFolder(const QString& folder);
  void DeleteRow(QTreeWidgetItem* row);
  void PlaySelected();
  QString FirstSelectedPath() const;
  void AddVolumeMenu(QMenu& advanced, bool selection);
  void ReportSelection();

  Application& app_;
  Engine& engine_;
  Notifier& notifier_;
  AcceptFlags accept_;
  QString patterns_;
  MediaListWidget* list_ = nullptr;
  QAction* addAction_ = nullptr;
  QAction* infoAction_ = nullptr;
  EffectButton* fullScreenToggle_ = nullptr;
  bool fullScreen_ = false;
  std::unique_ptr<AddFilesWorker> worker_;
  WaitDialog* wait_ = nullptr;
  QSet<QString> queuedNames_;  // file names on their way in, for the duplicate rule
  QString lastAdded_;
  bool dialogOpen_ = false;
  // Files of an opened job file on their way in, with what the job gives them.
  std::map<std::string, JobFileEntry> jobEntries_;
  std::function<bool(int)> previewEnabled_ = [](int) { return false; };
};

}  // namespace zq48
