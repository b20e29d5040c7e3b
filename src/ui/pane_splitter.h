#pragma once

#include <QWidget>
#include <array>
#include <optional>

namespace zq48 {

// The four panes of the main window, in a two-by-two grid.
enum class Pane { List = 0, Settings = 1, Preview = 2, Encoder = 3 };
inline constexpr int kPaneCount = 4;

inline int PaneRow(Pane pane) { return pane == Pane::List || pane == Pane::Settings ? 0 : 1; }
inline int PaneColumn(Pane pane) { return pane == Pane::List || pane == Pane::Preview ? 0 : 1; }

// A static two-by-two splitter: two rows and two columns whose sizes are
// shared by the panes in them. The first row (column) has the size it is
// given; the second takes whatever is left, and a size of 0 hides a row or
// column altogether, which is how one pane fills the whole grid. A size
// change keeps the proportions of the layout. The bars
// between the panes can be dragged. Each pane has a double border, drawn
// yellow around the pane that holds the keyboard focus.
class PaneSplitter : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBorder = 2;  // two nested one-pixel rectangles
  static constexpr int kBar = 4;     // gap between two panes

  explicit PaneSplitter(QWidget* parent = nullptr);

  // The splitter takes the widget over as the pane's content.
  void SetPane(Pane pane, QWidget* widget);
  QWidget* PaneWidget(Pane pane) const { return panes_[Index(pane)]; }

  int RowSize(int row) const { return rows_[row]; }
  int ColumnSize(int column) const { return columns_[column]; }
  void SetRowSizes(int top, int bottom);
  void SetColumnSizes(int left, int right);

  // The pane holding the keyboard focus, if any.
  std::optional<Pane> ActivePane() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  static int Index(Pane pane) { return static_cast<int>(pane); }
  QRect CellOf(Pane pane) const;  // empty while the pane is hidden
  void Relayout();
  bool OnColumnBar(int x) const;
  bool OnRowBar(int y) const;
  void UpdateCursor(QPoint at);

  std::array<QWidget*, kPaneCount> panes_{};
  std::array<int, 2> rows_{};
  std::array<int, 2> columns_{};
  bool sized_ = false;  // false until the first size is known or given
  bool draggingRows_ = false;
  bool draggingColumns_ = false;
};

}  // namespace zq48
