#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace zq48 {

// Draws each cell as usual, then its right and bottom edges as grid lines:
// the report list's "grid lines" style, which Qt's tree views lack.
class GridLineDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static inline const QColor kGridColor{192, 192, 192};

  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace zq48
