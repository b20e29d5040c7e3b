#include "ui/file_list_view.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

#include "ui/application.h"
#include "catalog/range_and_crop.h"
#include "encode/filter_ladder.h"
#include "encode/engine.h"
#include "encode/job_file_listing.h"
#include "ui/add_files_worker.h"
#include "ui/effect_button.h"
#include "ui/file_dialog.h"
#include "ui/media_description.h"
#include "ui/media_list_widget.h"
#include "ui/menu_ids.h"
#include "ui/time_range_dialog.h"
#include "ui/volume_steps.h"
#include "ui/wait_dialog.h"

namespace zq48 {

namespace {

// Command ids of the toolbar and the context menu.
constexpr int kToolbarAdd = 32810;
constexpr int kToolbarInformation = 32811;
constexpr int kFirstVolumeId = 32798;

}  // namespace

FileListView::FileListView(Application& app, Engine& engine, Notifier& notifier, QWidget* parent)
    : QWidget(parent),
      app_(app),
      engine_(engine),
      notifier_(notifier),
      patterns_(QString::fromStdString(app.VideoPatterns())),
      worker_(std::make_unique<AddFilesWorker>(engine, notifier)) {
  setObjectName("fileListView");
  list_ = new MediaListWidget(app_.Columns(), this);
  wait_ = new WaitDialog(this);
  BuildToolbar();
  fullScreenToggle_ = new EffectButton(this);
  fullScreenToggle_->setObjectName("fullScreen");
  fullScreenToggle_->setCheckable(true);
  fullScreenToggle_->setFixedSize(24, 20);
  fullScreenToggle_->SetToolTips("Full screen", "pushed state ('No full screen')");
  fullScreenToggle_->SetIcons(style()->standardIcon(QStyle::SP_TitleBarMaxButton),
                              style()->standardIcon(QStyle::SP_TitleBarNormalButton));
  fullScreenToggle_->SetEffect({ButtonEffect::kGlowOverFace, 8, 30, 0, QColor(0, 0, 0)});
  connect(fullScreenToggle_, &QAbstractButton::clicked, this, &FileListView::toggleFullScreen);

  // The toolbar on the left, the toggle in the top-right corner.
  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 0, 0);
  top->setSpacing(0);
  top->addWidget(findChild<QToolBar*>());
  top->addStretch(1);
  top->addWidget(fullScreenToggle_, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(top);
  layout->addWidget(list_);

  connect(worker_.get(), &AddFilesWorker::probed, this, &FileListView::OnProbed);
  connect(worker_.get(), &AddFilesWorker::idle, this, &FileListView::OnAddsDone);
  connect(list_, &MediaListWidget::pathsDropped, this, &FileListView::AddPaths);
  // The job encodes the files in the order the list shows them.
  connect(list_, &MediaListWidget::rowsReordered, this, [this] {
    std::vector<std::string> order;
    for (const QString& path : list_->Paths()) order.push_back(path.toStdString());
    app_.Catalog().ReorderInputPaths(order);
  });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const bool selected = !list_->selectedItems().isEmpty();
    infoAction_->setEnabled(selected);
    emit listHasSelection(selected);
    emit selectedFileChanged(FirstSelectedPath());
  });
  connect(list_, &MediaListWidget::selectionTouched, this, &FileListView::ReportSelection);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, &FileListView::PlaySelected);
  auto* insert = new QShortcut(QKeySequence(Qt::Key_Insert), this);
  insert->setContext(Qt::WidgetWithChildrenShortcut);
  connect(insert, &QShortcut::activated, this, &FileListView::OpenAddDialog);
}

FileListView::~FileListView() {
  worker_.reset();  // no result may arrive into a half-destroyed view
  list_->StoreWidths();
  SaveListColumns(app_.Store(), app_.Columns());
}

void FileListView::BuildToolbar() {
  auto* bar = new QToolBar(this);
  bar->setIconSize(QSize(16, 15));
  addAction_ = bar->addAction(style()->standardIcon(QStyle::SP_FileDialogNewFolder), "Add file(s)");
  addAction_->setData(kToolbarAdd);
  infoAction_ =
      bar->addAction(style()->standardIcon(QStyle::SP_FileDialogInfoView), "Information");
  infoAction_->setData(kToolbarInformation);
  infoAction_->setEnabled(false);  // follows the selection
  connect(addAction_, &QAction::triggered, this, &FileListView::OpenAddDialog);
  connect(infoAction_, &QAction::triggered, this, [this] {
    if (!FirstSelectedPath().isEmpty()) emit informationRequested(FirstSelectedPath());
  });
}

QAction* FileListView::ToolbarAction(int id) const {
  if (id == kToolbarAdd) return addAction_;
  if (id == kToolbarInformation) return infoAction_;
  return nullptr;
}

int FileListView::Count() const { return list_->topLevelItemCount(); }

bool FileListView::Busy() const { return worker_->Pending() > 0; }

void FileListView::toggleFullScreen() {
  fullScreen_ = !fullScreen_;
  fullScreenToggle_->setChecked(fullScreen_);
  emit fullScreenRequested(fullScreen_);
}

void FileListView::ReportSelection() { emit listHasSelection(!list_->selectedItems().isEmpty()); }

// ---- adding -----------------------------------------------------------------

void FileListView::OpenAddDialog() {
  if (dialogOpen_) return;  // one dialog at a time
  dialogOpen_ = true;
  BXFileDialog dialog(BXFileDialog::Mode::Add, "Add file(s) to list",
                      {NameFilter("All video files", patterns_),
                       NameFilter("Media files", QString::fromStdString(app_.MediaPatterns())), "All Files (*)"},
                      QString::fromStdString(app_.Catalog().InputFolder()), this);
  dialog.SetDescriber([this](const QString& path) { return DescribeMedia(engine_, path); });
  connect(&dialog, &BXFileDialog::filesAdded, this,
          [this](const QString& folder, const QStringList& paths) {
            RememberInputFolder(folder);
            AddPaths(paths);
          });
  dialog.exec();
  dialogOpen_ = false;
}

void FileListView::RememberInputFolder(const QString& folder) {
  std::string text = folder.toStdString();
  if (!text.empty() && text.back() != '/') text += '/';
  app_.Catalog().SetInputFolder(text);
  app_.Store().WriteSettingString(text, settings::kPathInput, settings::kRootSection);
}

void FileListView::AddPaths(const QStringList& paths) {
  for (const QString& path : paths) AddPath(path);
}

void FileListView::AddNamedPaths(const QStringList& paths) {
  for (const QString& path : paths) AddPath(path, true);
}

void FileListView::AddPath(const QString& given, bool named) {
  const QString path = ResolveLink(given);
  const QFileInfo info(path);
  if (info.isDir()) {
    if (!accept_.folders) return;
    for (const QString& file : ExpandFolder(path, patterns_)) AddFile(file);
  } else if (info.isFile()) {
    if (!accept_.files) return;
    if (!named && accept_.checkExtension && !ExtensionAccepted(info.fileName(), patterns_)) return;
    AddFile(path);
  }
}

// Checks what can be checked before probing, then hands the file to the worker.
bool FileListView::AddFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  if (!accept_.duplicateNames && (list_->HasFileName(name) || queuedNames_.contains(name)))
    return false;
  if (Count() + worker_->Pending() >= kMaxRows) return false;
  queuedNames_.insert(name);
  if (!wait_->isVisible()) wait_->ShowBeside(*list_);
  worker_->Enqueue(path.toStdString());
  return true;
}

void FileListView::OnProbed(const ProbedFile& file) {
  const QString path = QString::fromStdString(file.path);
  queuedNames_.remove(QFileInfo(path).fileName());
  std::optional<JobFileEntry> entry;
  if (auto found = jobEntries_.find(file.path); found != jobEntries_.end()) {
    entry = std::move(found->second);
    jobEntries_.erase(found);
  }
  if (!file.accepted || Count() >= kMaxRows) return;
  if (!engine_.AddToCatalog(file.path, file.facts, notifier_)) return;
  if (!SetUpListedFile(file.path, file.facts, entry)) return;
  list_->AddRow(path, file.facts);
  lastAdded_ = path;
  if (Count() == 1) emit listHasItems(true);
}

bool FileListView::SetUpListedFile(const std::string& path, const MediaFacts& facts,
                                   const std::optional<JobFileEntry>& entry) {
  InputCatalog& catalog = app_.Catalog();
  if (!entry) {
    catalog.MutableOptions(path).volume = facts.hasAudio ? 1.0f : 0.0f;
    GenerateSimpleFilters(catalog, path);
    return true;
  }
  const std::optional<JobFileError> problem = ListJobEntry(*entry, catalog);
  if (!problem) return true;
  catalog.Forget(path);
  notifier_.ShowApp("Line " + std::to_string(problem->line) + " of the list: " + problem->text +
                    "\nThe file is left out.");
  return false;
}

void FileListView::OpenJob(const JobFile& job) {
  DeleteAll();
  for (const JobFileEntry& entry : job.files) {
    // Named one by one: whatever their extension, and a missing one gets the probe's message.
    if (jobEntries_.count(entry.path)) continue;
    jobEntries_[entry.path] = entry;
    if (!AddFile(QString::fromStdString(entry.path))) jobEntries_.erase(entry.path);
  }
}

void FileListView::OnAddsDone() {
  wait_->hide();
  for (int i = Count() - 1; i >= 0; --i) {
    QTreeWidgetItem* row = list_->topLevelItem(i);
    if (list_->PathOf(row) != lastAdded_) continue;
    list_->setCurrentItem(row);
    list_->scrollToItem(row);
    break;
  }
  lastAdded_.clear();
}

// ---- deleting ---------------------------------------------------------------

void FileListView::DeleteRow(QTreeWidgetItem* row) {
  app_.Catalog().Forget(list_->PathOf(row).toStdString());
  if (MediaListWidget::IsPreviewed(row)) emit stopRequested();
  const bool last = Count() == 1;
  delete row;
  if (last) emit listHasItems(false);
}

void FileListView::DeleteSelected() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  emit listHasSelection(false);
  const QSignalBlocker quiet(list_);  // one notice for the whole deletion, given above
  for (QTreeWidgetItem* row : selected) DeleteRow(row);
  infoAction_->setEnabled(false);
  emit selectedFileChanged(FirstSelectedPath());
}

void FileListView::DeleteAll() {
  if (Count() == 0) return;
  bool previewed = false;
  for (int i = 0; i < Count(); ++i) {
    QTreeWidgetItem* row = list_->topLevelItem(i);
    previewed = previewed || MediaListWidget::IsPreviewed(row);
    app_.Catalog().Forget(list_->PathOf(row).toStdString());
  }
  emit listHasItems(false);
  if (previewed) emit stopRequested();
  {
    const QSignalBlocker quiet(list_);
    list_->clear();
  }
  infoAction_->setEnabled(false);
  emit listHasSelection(false);
  emit selectedFileChanged(QString());
}

// ---- per-file options -------------------------------------------------------

QString FileListView::FirstSelectedPath() const {
  // Selected rows in list order, whatever order they were picked in.
  for (int i = 0; i < Count(); ++i) {
    QTreeWidgetItem* row = list_->topLevelItem(i);
    if (row->isSelected()) return list_->PathOf(row);
  }
  return {};
}

void FileListView::SetVolumeStep(int step) {
  InputCatalog& catalog = app_.Catalog();
  for (QTreeWidgetItem* row : list_->selectedItems()) {
    const std::string path = list_->PathOf(row).toStdString();
    catalog.MutableOptions(path).volume = VolumeOfStep(step);
    // The ladder copied the old volume into its variants when it was built.
    RefreshSimpleFilters(catalog, path);
  }
  emit fileOptionsChanged();
}

void FileListView::EditTimeRangeAndCrop() {
  const QString first = FirstSelectedPath();
  if (first.isEmpty()) return;
  InputCatalog& catalog = app_.Catalog();
  TimeRangeDialog dialog(RangeAndCropOf(catalog.Options(first.toStdString())), catalog, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const RangeAndCrop values = dialog.Values();
  for (QTreeWidgetItem* row : list_->selectedItems()) {
    const std::string path = list_->PathOf(row).toStdString();
    ApplyRangeAndCrop(values, catalog.MutableOptions(path));
    RefreshSimpleFilters(catalog, path);
  }
  emit fileOptionsChanged();
}

void FileListView::PlaySelected() {
  QTreeWidgetItem* first = nullptr;
  for (int i = 0; i < Count() && !first; ++i)
    if (list_->topLevelItem(i)->isSelected()) first = list_->topLevelItem(i);
  if (!first) return;
  list_->SetPreviewed(first);
  emit stopRequested();
  emit playRequested();
}

// ---- context menu -----------------------------------------------------------

void FileListView::AddVolumeMenu(QMenu& advanced, bool selection) {
  QMenu* volume = advanced.addMenu("Volume");
  const QString first = FirstSelectedPath();
  const std::string path = first.toStdString();
  const bool audio = selection && app_.Catalog().Facts(path).hasAudio;
  const int checked = selection ? VolumeStepOf(app_.Catalog().Options(path).volume) : -1;
  for (int step = 0; step < kVolumeSteps; ++step) {
    const int percent = (step - kVolumeNeutralStep) * 10;
    const QString text = percent > 0 ? QString("+%1 %").arg(percent) : QString("%1 %").arg(percent);
    QAction* entry = volume->addAction(text);
    entry->setData(kFirstVolumeId + step);
    entry->setCheckable(true);
    entry->setChecked(step == checked);
    entry->setEnabled(audio);
    connect(entry, &QAction::triggered, this, [this, step] { SetVolumeStep(step); });
  }
}

std::unique_ptr<QMenu> FileListView::MakeContextMenu() {
  auto menu = std::make_unique<QMenu>(this);
  const bool selection = !list_->selectedItems().isEmpty();
  emit listHasSelection(selection);
  connect(menu->addAction("&Add file(s)\tIns"), &QAction::triggered, this,
          &FileListView::OpenAddDialog);
  QAction* del = menu->addAction("&Delete\tDel");
  del->setEnabled(selection);
  connect(del, &QAction::triggered, this, &FileListView::DeleteSelected);
  QAction* all = menu->addAction("Delete all");
  all->setEnabled(Count() > 0);
  connect(all, &QAction::triggered, this, &FileListView::DeleteAll);
  menu->addSeparator();
  const std::pair<const char*, int> preview[] = {
      {"&Play", menu::kPlay}, {"Pause", menu::kPause}, {"&Stop", menu::kStop}};
  for (const auto& [text, id] : preview) {
    QAction* entry = menu->addAction(text);
    entry->setEnabled(previewEnabled_(id));
    connect(entry, &QAction::triggered, this, [this, id = id] {
      if (id == menu::kPlay) emit playRequested();
      if (id == menu::kPause) emit pauseRequested();
      if (id == menu::kStop) emit stopRequested();
    });
  }
  menu->addSeparator();
  QMenu* advanced = menu->addMenu("Advanced");
  AddVolumeMenu(*advanced, selection);
  QAction* crop = advanced->addAction("Cropping");
  crop->setEnabled(selection);
  connect(crop, &QAction::triggered, this, &FileListView::EditTimeRangeAndCrop);
  QAction* info = menu->addAction("Information");
  info->setEnabled(selection);
  connect(info, &QAction::triggered, this,
          [this] { emit informationRequested(FirstSelectedPath()); });
  return menu;
}

void FileListView::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu = MakeContextMenu();
  menu->exec(event->globalPos());
}

}  // namespace zq48
