#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>
#include <vector>

#include "ui/results_model.h"

class QChart;
class QComboBox;
class QLineSeries;
class QPushButton;
class QTableView;
class QValueAxis;

namespace zq48 {

// The folder a job's results are in: that of the first file they name, or
// else `destination` (the job's destination folder). It ends with "/".
QString ResultsFolder(const std::vector<VariantResult>& results, const QString& destination);

// "Results": the table of a job's variants and, for one input file at a
// time, the chart of its picture quality against its total bit rate, which
// shows where more bits stop paying. Not modal: the window stays usable.
class ResultsDialog : public QDialog {
  Q_OBJECT

 public:
  using UrlOpener = std::function<void(const QUrl&)>;

  explicit ResultsDialog(QWidget* parent = nullptr);

  // The results of the job whose destination was `destination`.
  void SetResults(std::vector<VariantResult> results, const QString& destination);
  const ResultsModel& Model() const { return model_; }
  QString Folder() const { return folder_; }
  // The file whose chart is shown, by its place among the files.
  void ShowFileChart(int file);
  QChart& Chart() { return *chart_; }
  // What "Open folder" calls (the desktop's file manager unless replaced).
  void SetUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }

 signals:
  // "Play in browser": the package of `sourcePath` in `folder`.
  void playRequested(const QString& folder, const QString& sourcePath);

 private:
  QWidget* BuildChart();
  QWidget* BuildButtons();
  // The selected row's input file, or the first file's.
  QString ChosenSource() const;
  void FollowSelection(const QModelIndex& current);

  ResultsModel model_;
  std::vector<FileChart> charts_;
  QString folder_;
  UrlOpener openUrl_;
  QTableView* table_ = nullptr;
  QWidget* choice_ = nullptr;  // the file's choice, shown when there are several
  QComboBox* files_ = nullptr;
  QChart* chart_ = nullptr;
  QLineSeries* series_ = nullptr;
  QValueAxis* rateAxis_ = nullptr;
  QValueAxis* psnrAxis_ = nullptr;
  QPushButton* play_ = nullptr;
};

}  // namespace zq48
