#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <array>
#include <map>
#include <string>

#include "encode/engine.h"
#include "encode/job_file.h"
#include "ui/pane_splitter.h"
#include "ui/browser_playback.h"
#include "ui/qt_job_host.h"

namespace zq48 {

class Application;
class EncoderView;
class FileListView;
class PaneEmphasis;
class PreviewView;
class ResultsDialog;
class SettingsView;

// The program's window: the menus, the four panes (file list, settings,
// preview, encoder progress) in a two-by-two grid, and the encode job,
// which it starts, pauses, resumes and stops for the encoder view. `notifier`
// is how the program talks to the user; `parts` replaces engine parts in tests.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(Application& app, Notifier& notifier, EngineParts parts = {}, QWidget* parent = nullptr);
  // A job still running is stopped and awaited first.
  ~MainWindow() override;

  // The pane fills the grid at once.
  void MaximizePane(Pane pane);
  // Four equal panes.
  void RestorePanes();
  // Animates the pane to two thirds of the grid; at the end the encoder
  // view shows its buttons again.
  void EmphasizePane(Pane pane);

  // Files and folders named on the command line: listed as the list's own
  // commands list them, except that a file named is taken whatever its
  // extension (the probe decides whether it is media).
  void AddPaths(const QStringList& paths);

  // File > "Save list..." and "Open list...", without their file dialogs.
  // Each tells the user what went wrong and then returns false; a job file
  // that cannot be read changes nothing.
  bool SaveListTo(const QString& path);
  bool OpenListFrom(const QString& path);
  // At start: the list kept from the last session (application's session
  // list path), offered back when it has files.
  void OfferSessionList();
  // Writes the list to the session list path when it has changed.
  void KeepSessionList();

  QAction* Action(int id) const;
  PaneSplitter& Panes() { return *panes_; }
  PaneEmphasis& Emphasis() { return *emphasis_; }
  EncoderView& Encoder() { return *encoder_; }
  FileListView& FileList() { return *list_; }
  SettingsView& Settings() { return *settings_; }
  PreviewView& Preview() { return *preview_; }
  Engine& Encoding() { return engine_; }
  // The results view, once a job's results have been shown.
  ResultsDialog* Results() const { return results_; }

 public slots:
  // The encoder view's three buttons.
  void StartEncode();  // also resumes a paused job
  void PauseEncode();
  void StopEncode();
  // The Preview menu's commands. Play resumes a paused preview, or plays
  // the first selected row; Stop also unmarks the row played.
  void PlayPreview();
  void PausePreview();
  void StopPreview();
  // What a job that ended left (stopped or not): shown at once, and again
  // by File > "Results..." until the next job starts. A job that finished no
  // variant and failed none leaves nothing to show.
  void ShowJobResults(const JobSummary& summary);
  // "Play in browser" of the results view: the package of `sourcePath` in `folder`.
  void PlayInBrowser(const QString& folder, const QString& sourcePath);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildPanes();
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const QString& text, int id);
  void ConnectJob();
  // Both bars and the title start again (a stop, the job's end).
  void ResetProgress();
  void OnJobFinished(const JobSummary& summary);
  void OpenResults();
  void OnListHasItems(bool hasItems);
  void UpdatePreviewCommands();
  void EmphasizeFromPointer(Pane pane);
  void StopAnimation();
  void ToggleEncoderFullScreen();
  void ShowAbout();
  void SaveList();
  void OpenList();
  void OpenJob(const JobFile& job);

  Application& app_;
  Notifier& notifier_;
  QtJobHost host_;  // declared before the engine, which tells it of the job until it is gone
  Engine engine_;

  PaneSplitter* panes_ = nullptr;
  PaneEmphasis* emphasis_ = nullptr;
  FileListView* list_ = nullptr;
  SettingsView* settings_ = nullptr;
  PreviewView* preview_ = nullptr;
  EncoderView* encoder_ = nullptr;
  std::map<int, QAction*> actions_;

  // Set while the pointer's last emphasis went to that pane, so that moving
  // about inside a pane does not start the animation again.
  std::array<bool, kPaneCount> emphasized_{};
  bool userStopped_ = false;     // Stop was pressed during the present job
  bool enlargedForJob_ = false;  // the encoder pane was made full screen for the job
  QTimer* sessionTimer_ = nullptr;  // keeps the list as it changes
  std::string keptList_;            // the job file text last kept
  ResultsDialog* results_ = nullptr;  // made when a job's results are first shown; keeps the last
  BrowserPlayback playback_;          // serves the package played last, until the program ends
};

}  // namespace zq48
