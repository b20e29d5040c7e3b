#pragma once

#include <QColor>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QStringList>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "ui/list_columns.h"

class QMimeData;

namespace zq48 {

struct MediaFacts;

// The report list of the file list view: one row per file, with the columns
// "File name", "Full path", "Size" and "Duration" laid out as the column
// records say. Each column of the tree is one field for good (its logical
// index is the field's sort slot); hiding, showing and dragging only change
// where and whether the header shows it, and every change is written back
// to the records, so that they can be saved as the user left them.
class MediaListWidget : public QTreeWidget {
  Q_OBJECT

 public:
  static inline const QColor kNormalText{0, 0, 0};
  static inline const QColor kNormalBack{255, 255, 255};
  static inline const QColor kPreviewText{255, 0, 0};
  static inline const QColor kPreviewBack{189, 177, 228};
  static inline const QColor kSortedBack{239, 227, 255};

  // The records must outlive the widget.
  explicit MediaListWidget(std::vector<ListColumn>& columns, QWidget* parent = nullptr);

  void AddRow(const QString& path, const MediaFacts& facts);
  QString PathOf(const QTreeWidgetItem* row) const;
  QStringList Paths() const;
  // File names of the rows, for the duplicate-name rule.
  bool HasFileName(const QString& name) const;

  // Header click: ascending, or descending when it is the sorted column
  // sorted ascending.
  void SortByColumn(const QString& title);
  void SetColumnShown(const QString& title, bool show);
  // The header's visible titles, left to right.
  QStringList VisibleTitles() const;
  // The cell texts of the row under a title ("" when hidden).
  QString CellText(int row, const QString& title) const;

  // The row played in the preview (none: nullptr), drawn in its colours.
  void SetPreviewed(QTreeWidgetItem* row);
  static bool IsPreviewed(const QTreeWidgetItem* row);
  int SortedColumn() const { return sortedColumn_; }
  // File-type icons fetched so far, one per extension.
  int CachedIconCount() const { return static_cast<int>(icons_.size()); }

  // Puts the header's widths into the records.
  void StoreWidths();
  // Takes what a drop offers; returns the local paths it held (also emitted).
  QStringList HandleDrop(const QMimeData& data);

 signals:
  void pathsDropped(const QStringList& paths);
  // The rows were sorted: the encode order is the new row order.
  void rowsReordered();
  // The records' order or visibility changed.
  void columnsChanged();
  // A double click (either button) or an arrow key went through: the
  // selection may be worth reporting even when it did not change.
  void selectionTouched();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ListColumn* Record(const QString& title);
  int LogicalOf(const QString& title) const;
  void BuildColumns();
  void ShowHeaderMenu(const QPoint& at);
  void OnSectionMoved();
  void Renumber();
  void Recolour();
  void FillCell(QTreeWidgetItem* row, int logical) const;
  QIcon IconFor(const QString& path);

  std::vector<ListColumn>& columns_;
  int sortedColumn_ = -1;  // logical index; -1 unsorted
  bool ascending_ = true;
  bool arranging_ = false;  // the widget itself is moving sections
  QFileIconProvider iconProvider_;
  QHash<QString, QIcon> icons_;  // by file extension ("" for none)
};

}  // namespace zq48
