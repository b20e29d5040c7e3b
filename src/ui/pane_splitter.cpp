#include "ui/pane_splitter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace zq48 {

namespace {

const QColor kActiveBorder(255, 255, 0);

struct Span {
  int start = 0;
  int length = 0;  // 0: hidden
};

// Splits `total` pixels between a first and a second row (or column). The
// first gets its size, a bar follows, and the second gets the rest; either
// one alone gets everything.
std::array<Span, 2> SplitAxis(int first, int second, int total) {
  if (first <= 0 && second > 0) return {Span{0, 0}, Span{0, total}};
  if (second <= 0 || first >= total - PaneSplitter::kBar) return {Span{0, total}, Span{0, 0}};
  const int secondStart = first + PaneSplitter::kBar;
  return {Span{0, first}, Span{secondStart, total - secondStart}};
}

// Keeps a layout's proportions when the grid changes size.
std::array<int, 2> Scaled(std::array<int, 2> sizes, int oldTotal, int newTotal) {
  if (oldTotal <= 0) return sizes;
  for (int& size : sizes)
    size = static_cast<int>(static_cast<long long>(size) * newTotal / oldTotal);
  return sizes;
}

std::array<int, 2> Halves(int total) { return {total / 2, total - total / 2}; }

}  // namespace

PaneSplitter::PaneSplitter(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);  // for the resize cursor over the bars
  connect(qApp, &QApplication::focusChanged, this, qOverload<>(&QWidget::update));
}

void PaneSplitter::SetPane(Pane pane, QWidget* widget) {
  widget->setParent(this);
  panes_[Index(pane)] = widget;
  Relayout();
}

void PaneSplitter::SetRowSizes(int top, int bottom) {
  rows_ = {top, bottom};
  sized_ = true;
  Relayout();
}

void PaneSplitter::SetColumnSizes(int left, int right) {
  columns_ = {left, right};
  sized_ = true;
  Relayout();
}

QRect PaneSplitter::CellOf(Pane pane) const {
  const Span row = SplitAxis(rows_[0], rows_[1], height())[PaneRow(pane)];
  const Span column = SplitAxis(columns_[0], columns_[1], width())[PaneColumn(pane)];
  if (row.length <= 0 || column.length <= 0) return {};
  return QRect(column.start, row.start, column.length, row.length);
}

void PaneSplitter::Relayout() {
  for (int i = 0; i < kPaneCount; ++i) {
    QWidget* widget = panes_[i];
    if (!widget) continue;
    const QRect cell = CellOf(static_cast<Pane>(i));
    const QRect inside = cell.adjusted(kBorder, kBorder, -kBorder, -kBorder);
    widget->setVisible(inside.isValid());
    if (inside.isValid()) widget->setGeometry(inside);
  }
  update();
}

std::optional<Pane> PaneSplitter::ActivePane() const {
  // The window's focus child, also while another window is active.
  const QWidget* focus = window()->focusWidget();
  for (int i = 0; i < kPaneCount; ++i) {
    const QWidget* widget = panes_[i];
    if (widget && focus && (widget == focus || widget->isAncestorOf(focus)))
      return static_cast<Pane>(i);
  }
  return std::nullopt;
}

void PaneSplitter::resizeEvent(QResizeEvent* event) {
  // Four equal panes until someone says otherwise.
  if (!sized_) {
    rows_ = Halves(height());
    columns_ = Halves(width());
    sized_ = true;
  } else {
    rows_ = Scaled(rows_, event->oldSize().height(), height());
    columns_ = Scaled(columns_, event->oldSize().width(), width());
  }
  Relayout();
}

void PaneSplitter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The active pane is only marked while the window is the active one.
  const std::optional<Pane> active = isActiveWindow() ? ActivePane() : std::nullopt;
  for (int i = 0; i < kPaneCount; ++i) {
    const Pane pane = static_cast<Pane>(i);
    const QRect cell = CellOf(pane);
    if (cell.isEmpty()) continue;
    const bool marked = active == pane;
    const QRect outer = cell.adjusted(0, 0, -1, -1);
    painter.setPen(marked ? kActiveBorder : palette().color(QPalette::Dark));
    painter.drawRect(outer);
    painter.setPen(marked ? kActiveBorder : palette().color(QPalette::Mid));
    painter.drawRect(outer.adjusted(1, 1, -1, -1));
  }
}

void PaneSplitter::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) update();
  QWidget::changeEvent(event);
}

bool PaneSplitter::OnColumnBar(int x) const {
  const Span second = SplitAxis(columns_[0], columns_[1], width())[1];
  return second.length > 0 && second.start > 0 && x >= second.start - kBar && x < second.start;
}

bool PaneSplitter::OnRowBar(int y) const {
  const Span second = SplitAxis(rows_[0], rows_[1], height())[1];
  return second.length > 0 && second.start > 0 && y >= second.start - kBar && y < second.start;
}

void PaneSplitter::UpdateCursor(QPoint at) {
  const bool column = OnColumnBar(at.x());
  const bool row = OnRowBar(at.y());
  if (column && row)
    setCursor(Qt::SizeAllCursor);
  else if (column)
    setCursor(Qt::SplitHCursor);
  else if (row)
    setCursor(Qt::SplitVCursor);
  else
    unsetCursor();
}

void PaneSplitter::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  draggingColumns_ = event->button() == Qt::LeftButton && OnColumnBar(at.x());
  draggingRows_ = event->button() == Qt::LeftButton && OnRowBar(at.y());
}

void PaneSplitter::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (!draggingRows_ && !draggingColumns_) {
    UpdateCursor(at);
    return;
  }
  // Each pane keeps at least a bar's width, so a drag never hides one.
  if (draggingColumns_) {
    const int left = std::clamp(at.x() - kBar / 2, kBar, std::max(kBar, width() - 3 * kBar));
    columns_ = {left, width() - left - kBar};
  }
  if (draggingRows_) {
    const int top = std::clamp(at.y() - kBar / 2, kBar, std::max(kBar, height() - 3 * kBar));
    rows_ = {top, height() - top - kBar};
  }
  Relayout();
}

void PaneSplitter::mouseReleaseEvent(QMouseEvent*) {
  draggingRows_ = false;
  draggingColumns_ = false;
}

}  // namespace zq48
