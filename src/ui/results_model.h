#pragma once

#include <QAbstractTableModel>
#include <QPointF>
#include <QString>
#include <vector>

#include "encode/job_events.h"

namespace zq48 {

// The results of one job as a table: one row per variant, the rows of a
// file together in the order of its variants, the file's name on its first
// row. Every text is formatted without the locale (a point decimal), and a
// value that was not measured or not written shows as kNoValue.
class ResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    File,
    FrameSize,
    FrameRate,
    VideoRate,
    AudioRate,
    TotalRate,
    VideoSize,
    AudioSize,
    PsnrY,
    PsnrYuv,
    WorstPsnrY,
    State,
    ColumnCount
  };

  explicit ResultsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetResults(std::vector<VariantResult> results);
  // The variant shown on `row`, grouped as the table shows it.
  const VariantResult& At(int row) const { return results_.at(static_cast<std::size_t>(row)); }
  const std::vector<VariantResult>& Results() const { return results_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<VariantResult> results_;
};

inline constexpr const char* kNoValue = "\u2013";  // an en dash

// The results in the table's order: by file, then by variant, the job's
// order kept among equals.
std::vector<VariantResult> GroupedResults(std::vector<VariantResult> results);

// One cell's text. `firstOfFile`: the row begins its file's group (the
// table names the file only there).
QString ResultCell(const VariantResult& result, ResultsModel::Column column, bool firstOfFile = true);
QString ResultHeader(ResultsModel::Column column);

// The whole table as tab-separated text, a header line first and every row
// naming its file, so that it sorts and filters in a spreadsheet.
QString ResultsText(const std::vector<VariantResult>& results);

// What the chart draws for one input file: its finished variants whose
// pictures were measured, as (total bit rate in kbps, PSNR of Y in dB),
// from the lowest rate up.
struct FileChart {
  QString path;  // the input file
  std::vector<QPointF> points;
};
std::vector<FileChart> ChartsOf(const std::vector<VariantResult>& results);

}  // namespace zq48
