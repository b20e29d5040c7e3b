#include "ui/main_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QVBoxLayout>

#include "ui/application.h"
#include "ui/about_dialog.h"
#include "catalog/output_names.h"
#include "container/whole_file.h"
#include "encode/job_file_listing.h"
#include "ui/encoder_view.h"
#include "ui/exit_confirmation.h"
#include "ui/file_list_view.h"
#include "ui/menu_ids.h"
#include "ui/movie_info_dialog.h"
#include "ui/pane_emphasis.h"
#include "ui/media_list_widget.h"
#include "ui/preview_view.h"
#include "ui/program_icon.h"
#include "ui/results_dialog.h"
#include "ui/settings_view.h"
#include "ui/simple_page.h"

namespace zq48 {

namespace {
// The grid keeps a small margin to the window's right and bottom edges.
constexpr int kEdgeMargin = 5;
// How often the list is kept for the next session when it has changed: a
// crash loses at most this much of the user's work.
constexpr int kSessionListPeriodMs = 1000;
constexpr const char* kJobFileFilter = "Lists (*.json);;All Files (*)";

// The engine reads movie files as far as the application offers them.
EngineParts WithMovieFiles(EngineParts parts, const Application& app) {
  parts.movieFiles = app.MovieFilesAvailable();
  return parts;
}
}  // namespace

MainWindow::MainWindow(Application& app, Notifier& notifier, EngineParts parts, QWidget* parent)
    : QMainWindow(parent),
      app_(app),
      notifier_(notifier),
      engine_(app.Catalog(), app.Store(), notifier, host_, WithMovieFiles(parts, app)) {
  setWindowTitle(kAppCaption);
  // The dialogs it owns show it too.
  setWindowIcon(ProgramIcon());
  BuildPanes();
  BuildMenus();
  ConnectJob();
  settings_->setFocus();
  if (!app_.SessionListPath().empty()) {
    sessionTimer_ = new QTimer(this);
    sessionTimer_->setObjectName("sessionTimer");
    sessionTimer_->setInterval(kSessionListPeriodMs);
    connect(sessionTimer_, &QTimer::timeout, this, &MainWindow::KeepSessionList);
    sessionTimer_->start();
  }
}

MainWindow::~MainWindow() {
  delete emphasis_;
  engine_.StopAndWait();
  // The views read the job's state, which goes with the controller: they go first.
  delete panes_;
}

void MainWindow::BuildPanes() {
  auto* frame = new QWidget(this);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(0, 0, kEdgeMargin, kEdgeMargin);
  panes_ = new PaneSplitter(frame);
  layout->addWidget(panes_);
  setCentralWidget(frame);

  list_ = new FileListView(app_, engine_, notifier_);
  settings_ = new SettingsView(app_, notifier_);
  preview_ = new PreviewView;
  encoder_ = new EncoderView(engine_.State(), app_.Catalog().Settings());
  panes_->SetPane(Pane::List, list_);
  panes_->SetPane(Pane::Settings, settings_);
  panes_->SetPane(Pane::Preview, preview_);
  panes_->SetPane(Pane::Encoder, encoder_);
  // The panes without an emphasis request of their own ask when the pointer enters them.
  for (QWidget* pane : {static_cast<QWidget*>(list_), static_cast<QWidget*>(settings_),
                        static_cast<QWidget*>(preview_)})
    pane->installEventFilter(this);

  emphasis_ = new PaneEmphasis(*panes_, this);
  connect(emphasis_, &PaneEmphasis::started, this, [this] { encoder_->SetAnimating(true); });
  connect(emphasis_, &PaneEmphasis::finished, this, [this] {
    encoder_->SetAnimating(false);
    encoder_->ShowButtons();
  });

  connect(list_, &FileListView::listHasItems, this, &MainWindow::OnListHasItems);
  connect(list_, &FileListView::listHasSelection, this, [this](bool selected) {
    Action(menu::kDeleteFile)->setEnabled(selected);
    UpdatePreviewCommands();
  });
  // The list asks for the preview through the main window's own commands.
  connect(list_, &FileListView::playRequested, this, [this] { Action(menu::kPlay)->trigger(); });
  connect(list_, &FileListView::pauseRequested, this, [this] { Action(menu::kPause)->trigger(); });
  connect(list_, &FileListView::stopRequested, this, [this] { Action(menu::kStop)->trigger(); });
  list_->SetPreviewRule([this](int id) { return Action(id) && Action(id)->isEnabled(); });
  connect(list_, &FileListView::informationRequested, this, [this](const QString& path) {
    ShowMovieInformation(this, app_.Catalog(), path.toStdString());
  });
  connect(list_, &FileListView::fileOptionsChanged, settings_, &SettingsView::Refresh);
  connect(list_, &FileListView::selectedFileChanged, settings_, &SettingsView::SelectFile);
  // Deleting the previewed row asks for Stop while the row is still there
  // and selected; the selection is only settled once the rows are gone.
  connect(list_, &FileListView::selectedFileChanged, this, &MainWindow::UpdatePreviewCommands);
  connect(encoder_, &EncoderView::encodeRequested, this, &MainWindow::StartEncode);
  connect(encoder_, &EncoderView::pauseRequested, this, &MainWindow::PauseEncode);
  connect(encoder_, &EncoderView::stopRequested, this, &MainWindow::StopEncode);
  connect(encoder_, &EncoderView::fullScreenRequested, this, [this](bool fill) {
    if (fill)
      MaximizePane(Pane::Encoder);
    else
      RestorePanes();
  });
  connect(preview_, &PreviewView::playRequested, this, [this] { Action(menu::kPlay)->trigger(); });
  connect(preview_, &PreviewView::pauseRequested, this,
          [this] { Action(menu::kPause)->trigger(); });
  connect(preview_, &PreviewView::stopRequested, this, [this] { Action(menu::kStop)->trigger(); });
  connect(preview_, &PreviewView::finished, this, &MainWindow::StopPreview);
  connect(list_, &FileListView::fullScreenRequested, this,
          [this](bool fill) { fill ? MaximizePane(Pane::List) : RestorePanes(); });
  connect(preview_, &PreviewView::fullScreenRequested, this,
          [this](bool fill) { fill ? MaximizePane(Pane::Preview) : RestorePanes(); });
  connect(encoder_, &EncoderView::emphasizeRequested, this,
          [this] { EmphasizeFromPointer(Pane::Encoder); });
  connect(encoder_, &EncoderView::titleChanged, this, &QWidget::setWindowTitle);
}

QAction* MainWindow::AddAction(QMenu* menu, const QString& text, int id) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  actions_[id] = action;
  return action;
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("File");
  connect(AddAction(file, "Add file(s)", menu::kAddFiles), &QAction::triggered, list_,
          &FileListView::OpenAddDialog);
  connect(AddAction(file, "Delete file", menu::kDeleteFile), &QAction::triggered, list_,
          &FileListView::DeleteSelected);
  connect(AddAction(file, "Delete all", menu::kDeleteAll), &QAction::triggered, list_,
          &FileListView::DeleteAll);
  file->addSeparator();
  connect(AddAction(file, "Open list...", menu::kOpenList), &QAction::triggered, this, &MainWindow::OpenList);
  connect(AddAction(file, "Save list...", menu::kSaveList), &QAction::triggered, this, &MainWindow::SaveList);
  file->addSeparator();
  connect(AddAction(file, "Results...", menu::kResults), &QAction::triggered, this, &MainWindow::OpenResults);
  file->addSeparator();
  connect(AddAction(file, "Exit", menu::kExit), &QAction::triggered, this, &QWidget::close);

  QMenu* preview = menuBar()->addMenu("Preview");
  connect(AddAction(preview, "&Play", menu::kPlay), &QAction::triggered, this,
          &MainWindow::PlayPreview);
  connect(AddAction(preview, "Pause", menu::kPause), &QAction::triggered, this,
          &MainWindow::PausePreview);
  connect(AddAction(preview, "&Stop", menu::kStop), &QAction::triggered, this,
          &MainWindow::StopPreview);

  QMenu* help = menuBar()->addMenu("Help");
  connect(AddAction(help, "About", menu::kAbout), &QAction::triggered, this,
          &MainWindow::ShowAbout);

  for (int id : {menu::kDeleteFile, menu::kDeleteAll, menu::kResults, menu::kPlay, menu::kPause, menu::kStop})
    Action(id)->setEnabled(false);
}

QAction* MainWindow::Action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

// What the job's events show: the file bar starts again when the job and
// each of its files begins and when a file is done, the current-file lines
// name the file begun, and at a stop and after the job's end both bars and
// the title start again. A preview is stopped by StartEncode itself.
void MainWindow::ConnectJob() {
  connect(&host_, &QtJobHost::jobStarted, encoder_, &EncoderView::ResetFileBar);
  connect(&host_, &QtJobHost::fileStarted, encoder_, [this](int index) { encoder_->ShowCurrentFile(index); });
  connect(&host_, &QtJobHost::fileFinished, encoder_, &EncoderView::ResetFileBar);
  connect(&host_, &QtJobHost::jobStopped, this, &MainWindow::ResetProgress);
  connect(&host_, &QtJobHost::rangeSwapped, settings_, &SettingsView::ShowSettings);
  connect(&host_, &QtJobHost::jobFinished, this, &MainWindow::OnJobFinished);
}

void MainWindow::AddPaths(const QStringList& paths) { list_->AddNamedPaths(paths); }

// ---- lists --------------------------------------------------------------------

void MainWindow::SaveList() {
  QString path = QFileDialog::getSaveFileName(this, "Save list", QDir::homePath(), kJobFileFilter);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += ".json";
  SaveListTo(path);
}

void MainWindow::OpenList() {
  const QString path = QFileDialog::getOpenFileName(this, "Open list", QDir::homePath(), kJobFileFilter);
  if (!path.isEmpty()) OpenListFrom(path);
}

bool MainWindow::SaveListTo(const QString& path) {
  const std::optional<std::string> problem = WriteJobFile(path.toStdString(), app_.Catalog());
  if (problem) notifier_.ShowApp("Can't save the list to " + path.toStdString() + ":\n" + *problem + ".");
  return !problem;
}

bool MainWindow::OpenListFrom(const QString& path) {
  const std::variant<JobFile, JobFileError> read = ReadJobFile(path.toStdString());
  if (const JobFileError* error = std::get_if<JobFileError>(&read)) {
    const std::string where = error->line > 0 ? "line " + std::to_string(error->line) + ": " : "";
    notifier_.ShowApp("Can't open the list " + path.toStdString() + ":\n" + where + error->text +
                      "\nNothing was changed.");
    return false;
  }
  OpenJob(std::get<JobFile>(read));
  return true;
}

// The settings first, so that the files' ladders are built from them.
void MainWindow::OpenJob(const JobFile& job) {
  const std::string typed = settings_->DestinationText();
  ApplyJobSettings(job, app_.Catalog().Settings());
  settings_->Simple().StoreSettings();
  settings_->ShowSettings();
  // A job without a folder leaves the one typed (checked at Encode).
  if (job.destination.empty()) settings_->SetDestinationText(typed);
  list_->OpenJob(job);
}

void MainWindow::OfferSessionList() {
  const std::string& path = app_.SessionListPath();
  if (path.empty() || !QFileInfo::exists(QString::fromStdString(path))) return;
  const std::variant<JobFile, JobFileError> read = ReadJobFile(path);
  const JobFile* job = std::get_if<JobFile>(&read);
  if (!job || job->files.empty()) return;  // nothing to offer (a damaged list is replaced at the next change)
  const std::string question = "The list of your last session has " + std::to_string(job->files.size()) +
                               " file(s).\nDo you want to open it again?";
  // While the user thinks it over, the kept list must not be replaced by
  // the empty one of this session.
  if (sessionTimer_) sessionTimer_->stop();
  if (notifier_.Ask(question, kAppCaption)) OpenJob(*job);
  if (sessionTimer_) sessionTimer_->start();
}

void MainWindow::KeepSessionList() {
  const std::string& path = app_.SessionListPath();
  if (path.empty()) return;
  const std::string text = JobFileText(JobFileOf(app_.Catalog()));
  if (text == keptList_) return;
  keptList_ = text;
  if (app_.Catalog().InputPathCount() == 0) {
    QFile::remove(QString::fromStdString(path));
    return;
  }
  QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
  WriteWholeFile(path, text);  // a failure only loses the copy: the next change tries again
}

// ---- the job ----------------------------------------------------------------

void MainWindow::StartEncode() {
  StopPreview();
  // The folder as typed goes to the Encode check, which asks about it.
  switch (engine_.Start(settings_->Simple().TakeDestinationText())) {
    case EncodeController::EncodeResult::Refused:
      return;
    case EncodeController::EncodeResult::Resumed:
      encoder_->SetButtonsRunning();
      encoder_->StartRefresh();  // the clock has kept running through the pause
      return;
    case EncodeController::EncodeResult::Started:
      break;
  }
  // The last job's results give way to this one's.
  Action(menu::kResults)->setEnabled(false);
  if (results_) results_->close();
  settings_->ShowSettings();  // the folder as checked and kept
  // The job's pane takes the window: a pane the user had filled gives it up.
  if (list_->IsFullScreen()) list_->toggleFullScreen();
  if (preview_->IsFullScreen()) preview_->toggleFullScreen();
  if (!encoder_->IsFullScreen()) {
    enlargedForJob_ = true;
    ToggleEncoderFullScreen();
  }
  encoder_->EnableFullScreenToggle(false);
  encoder_->SetButtonsRunning();
  encoder_->StartClock();
  encoder_->StartRefresh();
}

void MainWindow::PauseEncode() {
  if (!engine_.HasJob()) return;
  encoder_->SetButtonsPaused();
  engine_.Pause();
  encoder_->StopRefresh();  // the clock goes on: elapsed time includes the pause
}

void MainWindow::StopEncode() {
  // Without a job nothing would ever end the disabled state.
  if (!engine_.HasJob()) return;
  userStopped_ = true;
  if (encoder_->IsFullScreen() && enlargedForJob_) ToggleEncoderFullScreen();
  encoder_->EnableFullScreenToggle(true);
  // Nothing can be pressed until the job has really ended.
  encoder_->SetButtonsDisabled();
  engine_.Stop();
  encoder_->StopRefresh();
  encoder_->StopClock();
  setWindowTitle(kAppCaption);
}

void MainWindow::ResetProgress() {
  encoder_->ResetFileBar();
  encoder_->ResetJobBar();
  setWindowTitle(kAppCaption);
}

void MainWindow::OnJobFinished(const JobSummary& summary) {
  // Closing the window may already have awaited and forgotten the job.
  if (!engine_.HasJob()) return;
  engine_.HandleJobFinished();
  // The bars and the title start again, as after a stop, once the job's end
  // has been handled here.
  QMetaObject::invokeMethod(this, &MainWindow::ResetProgress, Qt::QueuedConnection);
  encoder_->StopRefresh();
  encoder_->StopClock();
  if (app_.Catalog().InputPathCount() > 0)
    encoder_->SetButtonsIdle();
  else
    encoder_->SetButtonsDisabled();
  // After a Stop the pane and the toggle were already given back.
  if (!userStopped_) {
    if (encoder_->IsFullScreen() && enlargedForJob_) ToggleEncoderFullScreen();
    encoder_->EnableFullScreenToggle(true);
  }
  userStopped_ = false;
  enlargedForJob_ = false;
  setWindowTitle(kAppCaption);
  ShowJobResults(summary);
}

void MainWindow::ShowJobResults(const JobSummary& summary) {
  if (summary.variants.empty()) return;
  if (!results_) {
    results_ = new ResultsDialog(this);
    connect(results_, &ResultsDialog::playRequested, this, &MainWindow::PlayInBrowser);
  }
  const std::string destination = app_.Catalog().Settings().destinationFolder();
  results_->SetResults(summary.variants, QString::fromStdString(destination));
  Action(menu::kResults)->setEnabled(true);
  OpenResults();
}

// The view keeps the last job's results; the menu entry is on while they count.
void MainWindow::OpenResults() {
  if (!results_ || !Action(menu::kResults)->isEnabled()) return;
  results_->show();
  results_->raise();
  results_->activateWindow();
}

void MainWindow::PlayInBrowser(const QString& folder, const QString& sourcePath) {
  // The page for today's browsers the job wrote beside the file's other outputs.
  const QString page = QString::fromStdString(PlayPageName(sourcePath.toStdString()));
  if (!QFileInfo(QDir(folder), page).isFile()) {
    // The job wrote no such page (the web page is off in the settings), or it has gone since.
    notifier_.ShowApp("There is no page " + page.toStdString() + " in " + folder.toStdString() +
                      " to play: the web page is off in the settings, or the page was removed.");
    return;
  }
  QString error;
  if (!playback_.Play(folder, page, &error)) notifier_.ShowApp("Can't play " + page.toStdString() + ":\n" + error.toStdString());
}

void MainWindow::OnListHasItems(bool hasItems) {
  Action(menu::kDeleteAll)->setEnabled(hasItems);
  encoder_->ListChanged(hasItems, engine_.HasJob());
}

void MainWindow::ToggleEncoderFullScreen() {
  // The view's own toggle command, so that its flag and button follow.
  QMetaObject::invokeMethod(encoder_, "toggleFullScreen", Qt::DirectConnection);
}

// ---- preview ----------------------------------------------------------------

void MainWindow::PlayPreview() {
  if (preview_->State() == PreviewState::Paused) {
    preview_->Resume();
  } else if (preview_->State() == PreviewState::Stopped) {
    MediaListWidget& rows = list_->List();
    QTreeWidgetItem* first = nullptr;
    for (int i = 0; i < rows.topLevelItemCount() && !first; ++i)
      if (rows.topLevelItem(i)->isSelected()) first = rows.topLevelItem(i);
    const std::string path = first ? rows.PathOf(first).toStdString() : std::string();
    if (!first || !app_.Catalog().Contains(path)) return;
    // A double click has already marked the row; a file that will not play keeps no mark.
    const bool playing = preview_->Play(QString::fromStdString(path), app_.Catalog().Facts(path));
    rows.SetPreviewed(playing ? first : nullptr);
    if (!playing) notifier_.ShowApp("error open movie");
  }
  UpdatePreviewCommands();
}

void MainWindow::PausePreview() {
  preview_->Pause();
  UpdatePreviewCommands();
}

void MainWindow::StopPreview() {
  // A double click marks its row before asking for Stop and Play: only a
  // preview that runs has a mark of its own to take away.
  if (preview_->State() != PreviewState::Stopped) {
    preview_->Stop();
    list_->List().SetPreviewed(nullptr);
  }
  UpdatePreviewCommands();
}

void MainWindow::UpdatePreviewCommands() {
  const bool selected = !list_->List().selectedItems().isEmpty();
  const PreviewCommands commands = EnabledCommands(preview_->State(), selected);
  Action(menu::kPlay)->setEnabled(commands.play);
  Action(menu::kPause)->setEnabled(commands.pause);
  Action(menu::kStop)->setEnabled(commands.stop);
  preview_->SetCommands(commands);
}

// ---- panes ------------------------------------------------------------------

void MainWindow::MaximizePane(Pane pane) {
  StopAnimation();
  const int height = panes_->height();
  const int width = panes_->width();
  if (PaneRow(pane) == 0)
    panes_->SetRowSizes(height, 0);
  else
    panes_->SetRowSizes(0, height);
  if (PaneColumn(pane) == 0)
    panes_->SetColumnSizes(width, 0);
  else
    panes_->SetColumnSizes(0, width);
}

void MainWindow::RestorePanes() {
  StopAnimation();
  const int height = panes_->height();
  const int width = panes_->width();
  panes_->SetRowSizes(height / 2, height - height / 2);
  panes_->SetColumnSizes(width / 2, width - width / 2);
}

void MainWindow::EmphasizePane(Pane pane) { emphasis_->Start(pane); }

// A layout set at once ends a running animation, or the next tick would undo it.
void MainWindow::StopAnimation() {
  if (!emphasis_->Running()) return;
  emphasis_->Stop();
  encoder_->SetAnimating(false);
  encoder_->ShowButtons();
}

void MainWindow::EmphasizeFromPointer(Pane pane) {
  const int index = static_cast<int>(pane);
  if (emphasized_[index] || encoder_->IsFullScreen() || list_->IsFullScreen() || preview_->IsFullScreen()) return;
  emphasized_.fill(false);
  emphasized_[index] = true;
  EmphasizePane(pane);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter) {
    if (watched == list_)
      EmphasizeFromPointer(Pane::List);
    else if (watched == settings_)
      EmphasizeFromPointer(Pane::Settings);
    else if (watched == preview_)
      EmphasizeFromPointer(Pane::Preview);
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- window -----------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
  if (engine_.HasJob()) {
    if (!ConfirmExit()) {
      event->ignore();
      return;
    }
    StopEncode();
    engine_.StopAndWait();
  }
  StopPreview();
  KeepSessionList();
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) app_.SetMaximised(isMaximized());
  QMainWindow::changeEvent(event);
}

void MainWindow::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

}  // namespace zq48
