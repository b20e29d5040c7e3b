#pragma once

#include <QStringList>
#include <QTableWidget>
#include <vector>

#include "catalog/output_filter.h"

namespace zq48 {

// The twelve cells of a filter's row: width, height, frame rate, video bit
// rate, begin, end, crop left, top, right, bottom, audio bit rate, volume.
// A field that is 0 shows an empty cell.
QStringList FilterRowTexts(const OutputFilter& filter);

// The Expert page's list of one file's filters, one row per filter in list
// order, whole rows selected one at a time.
class FilterTable : public QTableWidget {
  Q_OBJECT

 public:
  explicit FilterTable(QWidget* parent = nullptr);

  // Shows these filters; the last row is selected afterwards.
  void Show(const std::vector<const OutputFilter*>& filters);
  // The selected row, or -1.
  int SelectedRow() const;
  void SelectRow(int row);

 signals:
  // A row became the selected one, by the user or by the program.
  void rowSelected(int row);
};

}  // namespace zq48
