#include "ui/file_list_pane.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/application.h"
#include "catalog/probe.h"
#include "encode/filter_ladder.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "ui/file_dialog.h"

namespace zq48 {

namespace {

constexpr int kPathRole = Qt::UserRole;

// Probes with the FFmpeg services; movie files only where this build reads them.
bool ProbeFile(InputCatalog& catalog, Notifier& notifier, bool movieFiles,
               const std::string& path) {
  FfmpegGeneralMedia general;
  FfmpegMovieMedia movie;
  MediaProbe probe(catalog, notifier, MediaServices{&general, movieFiles ? &movie : nullptr});
  return probe.Probe(path);
}

// Keeps the probe's complaint for the preview instead of showing a box.
class FirstMessage : public Notifier {
 public:
  void Show(const Message& message) override {
    if (text.empty()) text = message.text;
  }
  bool Ask(const std::string&, const std::string&) override { return false; }
  std::string text;
};

QString CellText(const ListColumn& column, const QString& path, const MediaFacts& facts) {
  if (column.name == "File name") return QFileInfo(path).fileName();
  if (column.name == "Full path") return path;
  if (column.name == "Size") return QString::fromStdString(facts.sizeText) + " KB";
  if (column.name == "Duration") return QString::fromStdString(facts.durationText);
  return {};
}

Qt::Alignment AlignmentOf(const ListColumn& column) {
  return (column.format == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

QString DescribeMedia(const QString& path, bool movieFilesAvailable) {
  InputCatalog scratch;
  FirstMessage complaint;
  const std::string file = path.toStdString();
  if (!ProbeFile(scratch, complaint, movieFilesAvailable, file))
    return complaint.text.empty() ? QString("Not a media file this program reads.")
                                  : QString::fromStdString(complaint.text);
  const MediaFacts& f = scratch.Facts(file);
  QStringList lines;
  if (f.hasVideo)
    lines
        << QString("Video: %1 x %2, %3 fps").arg(f.width).arg(f.height).arg(f.frameRate, 0, 'f', 2);
  lines << (f.hasAudio ? QString("Audio: yes") : QString("Audio: none"));
  if (!f.durationText.empty()) lines << "Duration: " + QString::fromStdString(f.durationText);
  lines << "Size: " + QString::fromStdString(f.sizeText) + " KB";
  lines << "Modified: " + QString::fromStdString(f.modifiedDate);
  return lines.join('\n');
}

FileListPane::FileListPane(Application& app, Notifier& notifier, QWidget* parent)
    : QWidget(parent), app_(app), notifier_(notifier) {
  setObjectName("fileListPane");
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setAllColumnsShowFocus(true);
  BuildColumns();
  connect(list_, &QTreeWidget::itemSelectionChanged, this,
          [this] { emit hasSelectionChanged(!list_->selectedItems().isEmpty()); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);
}

FileListPane::~FileListPane() {
  // Widths as the user left them, looked up by the header text.
  QTreeWidgetItem* header = list_->headerItem();
  for (ListColumn& column : app_.Columns()) {
    for (int i = 0; i < list_->columnCount(); ++i) {
      if (header->text(i).toStdString() == column.name) column.width = list_->columnWidth(i);
    }
  }
  SaveListColumns(app_.Store(), app_.Columns());
}

void FileListPane::BuildColumns() {
  QStringList titles;
  std::vector<const ListColumn*> shown;
  for (const ListColumn& column : app_.Columns()) {
    if (!column.show) continue;
    titles << QString::fromStdString(column.name);
    shown.push_back(&column);
  }
  list_->setColumnCount(static_cast<int>(titles.size()));
  list_->setHeaderLabels(titles);
  for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
    list_->setColumnWidth(i, shown[i]->width);
    list_->headerItem()->setTextAlignment(i, AlignmentOf(*shown[i]));
  }
}

void FileListPane::OpenAddDialog() {
  const QString patterns = QString::fromStdString(app_.MediaPatterns());
  BXFileDialog dialog(BXFileDialog::Mode::Add, "Add file(s) to list",
                      {NameFilter("Media files", patterns), "All Files (*)"},
                      QString::fromStdString(app_.Catalog().InputFolder()), this);
  const bool movies = app_.MovieFilesAvailable();
  dialog.SetDescriber([movies](const QString& path) { return DescribeMedia(path, movies); });
  connect(&dialog, &BXFileDialog::filesAdded, this,
          [this](const QString& folder, const QStringList& paths) {
            RememberInputFolder(folder);
            AddFiles(paths);
          });
  dialog.exec();
}

void FileListPane::RememberInputFolder(const QString& folder) {
  std::string text = folder.toStdString();
  if (!text.empty() && text.back() != '/') text += '/';
  app_.Catalog().SetInputFolder(text);
  app_.Store().WriteSettingString(text, settings::kPathInput, settings::kRootSection);
}

int FileListPane::AddFiles(const QStringList& paths) {
  int added = 0;
  for (const QString& path : paths) added += AddOne(path) ? 1 : 0;
  if (added > 0) list_->setCurrentItem(list_->topLevelItem(list_->topLevelItemCount() - 1));
  return added;
}

// Plain files whose extension is one of the media patterns, as written
// (case matters), and whose name is not in the list yet.
bool FileListPane::Accepts(const QString& path) const {
  const QFileInfo info(path);
  if (!info.isFile()) return false;
  const QString name = info.fileName();
  const int dot = name.lastIndexOf('.');
  if (dot < 0 || !QString::fromStdString(app_.MediaPatterns()).contains(name.mid(dot)))
    return false;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    if (QFileInfo(list_->topLevelItem(i)->data(0, kPathRole).toString()).fileName() == name)
      return false;
  }
  return true;
}

bool FileListPane::AddOne(const QString& given) {
  // A link is listed as the file it points to.
  const QFileInfo link(given);
  const QString path = link.isSymLink() ? link.canonicalFilePath() : link.absoluteFilePath();
  if (!Accepts(path) || Count() >= kMaxRows) return false;

  InputCatalog& catalog = app_.Catalog();
  const std::string file = path.toStdString();
  if (!ProbeFile(catalog, notifier_, app_.MovieFilesAvailable(), file)) {
    catalog.Forget(file);  // the probe keeps what it learnt before refusing
    return false;
  }
  catalog.MutableOptions(file).volume = catalog.Facts(file).hasAudio ? 1.0f : 0.0f;
  catalog.AddInputPath(file);
  GenerateSimpleFilters(catalog, file);
  AddRow(path);
  if (Count() == 1) emit hasItemsChanged(true);
  return true;
}

void FileListPane::AddRow(const QString& path) {
  const MediaFacts& facts = app_.Catalog().Facts(path.toStdString());
  auto* row = new QTreeWidgetItem(list_);
  row->setData(0, kPathRole, path);
  int cell = 0;
  for (const ListColumn& column : app_.Columns()) {
    if (!column.show) continue;
    row->setText(cell, CellText(column, path, facts));
    row->setTextAlignment(cell, AlignmentOf(column));
    ++cell;
  }
}

void FileListPane::DeleteSelected() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  emit hasSelectionChanged(false);
  for (QTreeWidgetItem* row : selected) {
    app_.Catalog().Forget(row->data(0, kPathRole).toString().toStdString());
    delete row;
  }
  if (Count() == 0) emit hasItemsChanged(false);
}

void FileListPane::DeleteAll() {
  if (Count() == 0) return;
  for (int i = 0; i < Count(); ++i)
    app_.Catalog().Forget(list_->topLevelItem(i)->data(0, kPathRole).toString().toStdString());
  list_->clear();
  emit hasItemsChanged(false);
  emit hasSelectionChanged(false);
}

int FileListPane::Count() const { return list_->topLevelItemCount(); }

}  // namespace zq48
