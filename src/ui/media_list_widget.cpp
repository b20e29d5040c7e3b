#include "ui/media_list_widget.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <algorithm>
#include <array>

#include "catalog/media_facts.h"
#include "ui/grid_line_delegate.h"
#include "ui/list_sorting.h"

namespace zq48 {

namespace {

// The fields, by logical column (which is also the sort slot).
constexpr std::array<const char*, 4> kFields{"File name", "Full path", "Size", "Duration"};
constexpr int kSizeField = 2;

constexpr int kSortRole = Qt::UserRole;         // per cell: the sort text
constexpr int kPathRole = Qt::UserRole + 1;     // column 0: the full path
constexpr int kPreviewRole = Qt::UserRole + 2;  // column 0: played in the preview

// A row orders by the sort texts of the sorted column.
class MediaListItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return CompareSortTexts(data(column, kSortRole).toString(),
                            other.data(column, kSortRole).toString()) < 0;
  }
};

QString DisplayText(int logical, const QString& sortText) {
  return logical == kSizeField ? sortText + " KB" : sortText;
}

}  // namespace

MediaListWidget::MediaListWidget(std::vector<ListColumn>& columns, QWidget* parent)
    : QTreeWidget(parent), columns_(columns) {
  setObjectName("mediaList");
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAllColumnsShowFocus(true);
  setUniformRowHeights(true);
  setItemDelegate(new GridLineDelegate(this));
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  BuildColumns();

  QHeaderView* head = header();
  head->setSectionsMovable(true);
  head->setSectionsClickable(true);
  head->setSortIndicatorShown(false);
  head->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(head, &QHeaderView::sectionClicked, this,
          [this](int logical) { SortByColumn(kFields.at(logical)); });
  connect(head, &QHeaderView::customContextMenuRequested, this, &MediaListWidget::ShowHeaderMenu);
  connect(head, &QHeaderView::sectionMoved, this, &MediaListWidget::OnSectionMoved);
}

int MediaListWidget::LogicalOf(const QString& title) const {
  for (int i = 0; i < static_cast<int>(kFields.size()); ++i)
    if (title == kFields[i]) return i;
  return -1;
}

ListColumn* MediaListWidget::Record(const QString& title) {
  const std::string name = title.toStdString();
  auto it = std::find_if(columns_.begin(), columns_.end(),
                         [&](const ListColumn& c) { return c.name == name; });
  return it == columns_.end() ? nullptr : &*it;
}

void MediaListWidget::BuildColumns() {
  setColumnCount(static_cast<int>(kFields.size()));
  setHeaderLabels({kFields.begin(), kFields.end()});
  std::vector<ListColumn*> byOrder;
  for (ListColumn& column : columns_) byOrder.push_back(&column);
  std::stable_sort(byOrder.begin(), byOrder.end(),
                   [](const ListColumn* a, const ListColumn* b) { return a->order < b->order; });
  arranging_ = true;
  int place = 0;
  for (ListColumn* column : byOrder) {
    const int logical = LogicalOf(QString::fromStdString(column->name));
    if (logical < 0) continue;  // a record of no field of ours
    setColumnWidth(logical, column->width);
    headerItem()->setTextAlignment(
        logical, (column->format == 1 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    header()->moveSection(header()->visualIndex(logical), place++);
    header()->setSectionHidden(logical, column->show == 0);
  }
  // "File name" names the row: it is always there.
  header()->setSectionHidden(0, false);
  arranging_ = false;
  Renumber();
}

// Order follows the header's arrangement of all columns, shown or not (a
// hidden section keeps its place in the header, so showing it again puts it
// back between the same neighbours); Index counts the shown ones.
void MediaListWidget::Renumber() {
  int shown = 0;
  for (int visual = 0; visual < header()->count(); ++visual) {
    const int logical = header()->logicalIndex(visual);
    ListColumn* column = Record(kFields.at(logical));
    if (!column) continue;
    column->order = visual;
    column->sortColumn = logical;
    column->show = header()->isSectionHidden(logical) ? 0 : 1;
    if (column->show) column->index = shown++;
  }
  std::stable_sort(columns_.begin(), columns_.end(),
                   [](const ListColumn& a, const ListColumn& b) { return a.order < b.order; });
}

void MediaListWidget::OnSectionMoved() {
  if (arranging_) return;
  Renumber();
  emit columnsChanged();
}

void MediaListWidget::StoreWidths() {
  for (int logical = 0; logical < header()->count(); ++logical) {
    ListColumn* column = Record(kFields.at(logical));
    // A hidden section reports no width: it keeps the one it had.
    if (column && !header()->isSectionHidden(logical)) column->width = columnWidth(logical);
  }
}

// ---- rows -------------------------------------------------------------------

void MediaListWidget::FillCell(QTreeWidgetItem* row, int logical) const {
  const QString sortText = row->data(logical, kSortRole).toString();
  row->setText(logical, DisplayText(logical, sortText));
  const ListColumn* column = nullptr;
  for (const ListColumn& c : columns_)
    if (c.name == kFields.at(logical)) column = &c;
  const bool right = column && column->format == 1;
  row->setTextAlignment(logical, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

void MediaListWidget::AddRow(const QString& path, const MediaFacts& facts) {
  auto* row = new MediaListItem;
  const std::array<QString, 4> texts{QFileInfo(path).fileName(), path,
                                     QString::fromStdString(facts.sizeText),
                                     QString::fromStdString(facts.durationText)};
  for (int logical = 0; logical < static_cast<int>(texts.size()); ++logical) {
    row->setData(logical, kSortRole, texts[logical]);
    FillCell(row, logical);
  }
  row->setData(0, kPathRole, path);
  row->setData(0, kPreviewRole, false);
  row->setIcon(0, IconFor(path));
  addTopLevelItem(row);
  Recolour();
}

// Asking the provider means a look at the file and its type; files of one
// extension share one icon, asked for once.
QIcon MediaListWidget::IconFor(const QString& path) {
  const QString extension = QFileInfo(path).suffix();
  auto it = icons_.constFind(extension);
  if (it == icons_.constEnd()) it = icons_.insert(extension, iconProvider_.icon(QFileInfo(path)));
  return *it;
}

QString MediaListWidget::PathOf(const QTreeWidgetItem* row) const {
  return row ? row->data(0, kPathRole).toString() : QString();
}

QStringList MediaListWidget::Paths() const {
  QStringList paths;
  for (int i = 0; i < topLevelItemCount(); ++i) paths << PathOf(topLevelItem(i));
  return paths;
}

// By the row's own file name, not by whatever the first column shows: the
// columns can be dragged into any order.
bool MediaListWidget::HasFileName(const QString& name) const {
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (topLevelItem(i)->data(0, kSortRole).toString() == name) return true;
  return false;
}

QString MediaListWidget::CellText(int row, const QString& title) const {
  const int logical = LogicalOf(title);
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item || logical < 0 || header()->isSectionHidden(logical)) return {};
  return item->text(logical);
}

QStringList MediaListWidget::VisibleTitles() const {
  QStringList titles;
  for (int visual = 0; visual < header()->count(); ++visual) {
    const int logical = header()->logicalIndex(visual);
    if (!header()->isSectionHidden(logical)) titles << kFields.at(logical);
  }
  return titles;
}

// ---- sorting and colours ----------------------------------------------------

void MediaListWidget::SortByColumn(const QString& title) {
  const int logical = LogicalOf(title);
  if (logical < 0) return;
  ascending_ = logical != sortedColumn_ || !ascending_;
  sortedColumn_ = logical;
  const Qt::SortOrder order = ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder;
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(logical, order);
  sortItems(logical, order);
  Recolour();
  emit rowsReordered();
}

bool MediaListWidget::IsPreviewed(const QTreeWidgetItem* row) {
  return row && row->data(0, kPreviewRole).toBool();
}

void MediaListWidget::SetPreviewed(QTreeWidgetItem* previewed) {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = topLevelItem(i);
    row->setData(0, kPreviewRole, row == previewed);
  }
  Recolour();
}

// The previewed row wears its colours across; otherwise the sorted column
// stands out.
void MediaListWidget::Recolour() {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = topLevelItem(i);
    const bool previewed = IsPreviewed(row);
    for (int logical = 0; logical < columnCount(); ++logical) {
      QColor back = previewed ? kPreviewBack : kNormalBack;
      if (!previewed && logical == sortedColumn_) back = kSortedBack;
      row->setForeground(logical, previewed ? kPreviewText : kNormalText);
      row->setBackground(logical, back);
    }
  }
}

// ---- header menu ------------------------------------------------------------

void MediaListWidget::SetColumnShown(const QString& title, bool show) {
  const int logical = LogicalOf(title);
  ListColumn* column = Record(title);
  if (logical <= 0 || !column) return;  // "File name" always stays
  if (!show) StoreWidths();  // a hidden section has no width left to read
  header()->setSectionHidden(logical, !show);
  if (show) setColumnWidth(logical, column->width);
  Renumber();
  emit columnsChanged();
}

void MediaListWidget::ShowHeaderMenu(const QPoint& at) {
  QMenu menu(this);
  for (int logical = 0; logical < static_cast<int>(kFields.size()); ++logical) {
    QAction* entry = menu.addAction(kFields[logical]);
    entry->setCheckable(true);
    entry->setChecked(!header()->isSectionHidden(logical));
    entry->setEnabled(logical != 0);
  }
  QAction* chosen = menu.exec(header()->mapToGlobal(at));
  if (chosen) SetColumnShown(chosen->text(), chosen->isChecked());
}

// ---- drops ------------------------------------------------------------------

QStringList MediaListWidget::HandleDrop(const QMimeData& data) {
  QStringList paths;
  for (const QUrl& url : data.urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  if (!paths.isEmpty()) emit pathsDropped(paths);
  return paths;
}

void MediaListWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    event->ignore();
}

void MediaListWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    event->ignore();
}

void MediaListWidget::dropEvent(QDropEvent* event) {
  if (HandleDrop(*event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

// ---- selection reports ------------------------------------------------------

void MediaListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  emit selectionTouched();
}

void MediaListWidget::keyPressEvent(QKeyEvent* event) {
  QTreeWidget::keyPressEvent(event);
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
      emit selectionTouched();
      break;
    default:
      break;
  }
}

}  // namespace zq48
