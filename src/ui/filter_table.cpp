#include "ui/filter_table.h"

#include <QHeaderView>
#include <QSignalBlocker>

namespace zq48 {

namespace {

constexpr int kColumnWidth = 70;

QString IntText(long value) { return value == 0 ? QString() : QString::number(value); }
QString RealText(double value) {
  return value == 0 ? QString() : QString::asprintf("%.2f", value);
}

}  // namespace

QStringList FilterRowTexts(const OutputFilter& f) {
  return {IntText(f.width),       IntText(f.height),       RealText(f.frameRate),
          IntText(f.videoBitRate), RealText(f.beginTime),   RealText(f.endTime),
          IntText(f.cropLeft),    IntText(f.cropTop),      IntText(f.cropRight),
          IntText(f.cropBottom),  IntText(f.audioBitRate),
          f.volume > 0 ? RealText(f.volume) : QString()};
}

FilterTable::FilterTable(QWidget* parent) : QTableWidget(parent) {
  const QStringList headers = {"Width", "Height", "Frame rate", "Bps video",
                               "Begin", "End",    "Left",       "Top",
                               "Right", "Bottom", "Bps audio",  "Volume"};
  setColumnCount(headers.size());
  setHorizontalHeaderLabels(headers);
  for (int c = 0; c < headers.size(); ++c) setColumnWidth(c, kColumnWidth);
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
    if (int row = SelectedRow(); row >= 0) emit rowSelected(row);
  });
}

void FilterTable::Show(const std::vector<const OutputFilter*>& filters) {
  clearContents();
  setRowCount(static_cast<int>(filters.size()));
  for (int row = 0; row < rowCount(); ++row) {
    const QStringList texts = FilterRowTexts(*filters[row]);
    for (int column = 0; column < texts.size(); ++column)
      setItem(row, column, new QTableWidgetItem(texts[column]));
  }
  SelectRow(rowCount() - 1);
}

int FilterTable::SelectedRow() const {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  return ranges.isEmpty() ? -1 : ranges.first().topRow();
}

void FilterTable::SelectRow(int row) {
  if (row < 0 || row >= rowCount()) {
    clearSelection();
    return;
  }
  {
    const QSignalBlocker quiet(this);  // one notice below, not a second one from the selection
    selectRow(row);
  }
  // Selecting the row that was already selected changes nothing, but the
  // page must still be filled from it.
  emit rowSelected(row);
}

}  // namespace zq48
