#include "ui/pane_emphasis.h"

#include <cstdlib>

namespace zq48 {

bool PaneEmphasis::Track::Advance() {
  if (std::abs(target - current) <= 2 * step) return true;
  current += target > current ? step : -step;
  return false;
}

PaneEmphasis::PaneEmphasis(PaneSplitter& splitter, QObject* parent)
    : QObject(parent), splitter_(splitter) {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &PaneEmphasis::Tick);
}

void PaneEmphasis::Start(Pane pane) {
  timer_.stop();
  pane_ = pane;
  const int row = PaneRow(pane);
  const int column = PaneColumn(pane);
  row_ = {splitter_.RowSize(row), splitter_.height() * 2 / 3, kRowStep};
  column_ = {splitter_.ColumnSize(column), splitter_.width() * 2 / 3, kColumnStep};
  emit started();
  timer_.start();
}

void PaneEmphasis::Stop() { timer_.stop(); }

bool PaneEmphasis::Tick() {
  // Both axes move on every tick, even when the first has arrived.
  const bool rowDone = row_.Advance();
  const bool columnDone = column_.Advance();
  Apply();
  if (!rowDone || !columnDone) return false;
  timer_.stop();
  emit finished();
  return true;
}

void PaneEmphasis::Apply() {
  const int height = splitter_.height();
  const int width = splitter_.width();
  if (PaneRow(pane_) == 0)
    splitter_.SetRowSizes(row_.current, height - row_.current);
  else
    splitter_.SetRowSizes(height - row_.current, row_.current);
  if (PaneColumn(pane_) == 0)
    splitter_.SetColumnSizes(column_.current, width - column_.current);
  else
    splitter_.SetColumnSizes(width - column_.current, column_.current);
}

}  // namespace zq48
