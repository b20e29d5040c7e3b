#include "ui/results_model.h"

#include <QBrush>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>

#include "catalog/output_names.h"

namespace zq48 {

namespace {

// QString::number never uses the locale: "34.21" in every language.
QString Fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString Kbps(double bitsPerSecond) { return Fixed(bitsPerSecond / 1000.0, 1); }

QString RateText(std::uint32_t bitsPerSecond) { return bitsPerSecond ? Kbps(bitsPerSecond) : kNoValue; }

QString TotalText(const VariantResult& r) {
  const double total = double(r.videoRate) + double(r.audioRate);
  return total > 0 ? Kbps(total) : QString(kNoValue);
}

// Decimal units, as the rates: "950 B", "812.4 kB", "3.41 MB".
QString SizeText(std::uint64_t bytes) {
  if (bytes == 0) return kNoValue;
  if (bytes < 1000) return QString::number(bytes) + " B";
  if (bytes < 1000 * 1000) return Fixed(double(bytes) / 1e3, 1) + " kB";
  return Fixed(double(bytes) / 1e6, 2) + " MB";
}

// "0:12.4", or "1:02:03.5" from an hour on.
QString TimeText(double seconds) {
  const long long tenths = std::llround(std::max(0.0, seconds) * 10.0);
  const long long wholeSeconds = tenths / 10;
  const QString secondsText =
      QString("%1.%2").arg(wholeSeconds % 60, 2, 10, QChar('0')).arg(tenths % 10);
  const long long minutes = wholeSeconds / 60;
  if (minutes < 60) return QString("%1:%2").arg(minutes).arg(secondsText);
  return QString("%1:%2:%3").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0')).arg(secondsText);
}

bool HasVideo(const VariantResult& r) { return r.filter.videoOn != 0; }

QString FileName(const VariantResult& r) { return QString::fromStdString(BaseName(r.path, true)); }

bool IsNumeric(int column) { return column > ResultsModel::File && column < ResultsModel::State; }

}  // namespace

std::vector<VariantResult> GroupedResults(std::vector<VariantResult> results) {
  std::stable_sort(results.begin(), results.end(), [](const VariantResult& a, const VariantResult& b) {
    return a.fileIndex != b.fileIndex ? a.fileIndex < b.fileIndex : a.variantIndex < b.variantIndex;
  });
  return results;
}

QString ResultCell(const VariantResult& r, ResultsModel::Column column, bool firstOfFile) {
  const VideoQuality& q = r.quality;
  switch (column) {
    case ResultsModel::File:
      return firstOfFile ? FileName(r) : QString();
    case ResultsModel::FrameSize:
      return HasVideo(r) ? QString("%1x%2").arg(r.filter.width).arg(r.filter.height) : kNoValue;
    case ResultsModel::FrameRate:
      return HasVideo(r) && r.filter.frameRate > 0 ? Fixed(r.filter.frameRate, 2) : kNoValue;
    case ResultsModel::VideoRate:
      return RateText(r.videoRate);
    case ResultsModel::AudioRate:
      return RateText(r.audioRate);
    case ResultsModel::TotalRate:
      return TotalText(r);
    case ResultsModel::VideoSize:
      return SizeText(r.videoBytes);
    case ResultsModel::AudioSize:
      return SizeText(r.audioBytes);
    case ResultsModel::PsnrY:
      return q.measured() ? Fixed(q.psnrYDb, 2) : kNoValue;
    case ResultsModel::PsnrYuv:
      return q.measured() ? Fixed(q.psnrDb, 2) : kNoValue;
    case ResultsModel::WorstPsnrY:
      return q.measured() ? Fixed(q.worstPsnrYDb, 2) + " dB at " + TimeText(q.worstAtSeconds) : kNoValue;
    case ResultsModel::State:
      return r.finished ? "finished" : "failed";
    case ResultsModel::ColumnCount:
      break;
  }
  return {};
}

QString ResultHeader(ResultsModel::Column column) {
  switch (column) {
    case ResultsModel::File: return "File";
    case ResultsModel::FrameSize: return "Frame size";
    case ResultsModel::FrameRate: return "Frame rate";
    case ResultsModel::VideoRate: return "Video (kbps)";
    case ResultsModel::AudioRate: return "Audio (kbps)";
    case ResultsModel::TotalRate: return "Total (kbps)";
    case ResultsModel::VideoSize: return "Video size";
    case ResultsModel::AudioSize: return "Audio size";
    case ResultsModel::PsnrY: return "PSNR Y (dB)";
    case ResultsModel::PsnrYuv: return "PSNR YUV (dB)";
    case ResultsModel::WorstPsnrY: return "Worst PSNR Y";
    case ResultsModel::State: return "State";
    case ResultsModel::ColumnCount: break;
  }
  return {};
}

QString ResultsText(const std::vector<VariantResult>& results) {
  QStringList cells;
  for (int c = 0; c < ResultsModel::ColumnCount; ++c) cells << ResultHeader(ResultsModel::Column(c));
  QString text = cells.join('\t') + '\n';
  for (const VariantResult& r : GroupedResults(results)) {
    cells.clear();
    for (int c = 0; c < ResultsModel::ColumnCount; ++c) cells << ResultCell(r, ResultsModel::Column(c));
    text += cells.join('\t') + '\n';
  }
  return text;
}

std::vector<FileChart> ChartsOf(const std::vector<VariantResult>& results) {
  std::vector<FileChart> charts;
  std::map<int, std::size_t> chartOfFile;  // file index -> its chart
  for (const VariantResult& r : GroupedResults(results)) {
    auto [it, added] = chartOfFile.try_emplace(r.fileIndex, charts.size());
    if (added) charts.push_back({QString::fromStdString(r.path), {}});
    if (!r.finished || !r.quality.measured()) continue;
    const double totalKbps = (double(r.videoRate) + double(r.audioRate)) / 1000.0;
    charts[it->second].points.emplace_back(totalKbps, r.quality.psnrYDb);
  }
  for (FileChart& chart : charts)
    std::stable_sort(chart.points.begin(), chart.points.end(),
                     [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
  return charts;
}

// ---- the model ----------------------------------------------------------------

void ResultsModel::SetResults(std::vector<VariantResult> results) {
  beginResetModel();
  results_ = GroupedResults(std::move(results));
  endResetModel();
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(results_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const VariantResult& r = At(index.row());
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole: {
      const bool first = index.row() == 0 || At(index.row() - 1).fileIndex != r.fileIndex;
      return ResultCell(r, Column(column), first);
    }
    case Qt::ToolTipRole:
      if (column == File) return QString::fromStdString(r.path);
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(IsNumeric(column) ? Qt::AlignRight | Qt::AlignVCenter
                                                   : Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
      // A failed variant stands out from the rows that were written.
      if (!r.finished) return QBrush(Qt::darkRed);
      return {};
    default:
      return {};
  }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  return ResultHeader(Column(section));
}

}  // namespace zq48
