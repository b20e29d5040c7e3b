#include "ui/results_dialog.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "catalog/output_names.h"

namespace zq48 {

namespace {

QString WithSlash(QString folder) { return folder.isEmpty() || folder.endsWith('/') ? folder : folder + '/'; }

QString FileNameOf(const QString& path) { return QString::fromStdString(BaseName(path.toStdString(), true)); }

QPushButton* AddButton(QHBoxLayout* row, const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  button->setAutoDefault(false);
  row->addWidget(button);
  return button;
}

}  // namespace

QString ResultsFolder(const std::vector<VariantResult>& results, const QString& destination) {
  for (const VariantResult& r : results)
    for (const std::string* file : {&r.videoFile, &r.audioFile})
      if (!file->empty()) return WithSlash(QFileInfo(QString::fromStdString(*file)).absolutePath());
  return WithSlash(destination);
}

ResultsDialog::ResultsDialog(QWidget* parent)
    : QDialog(parent), openUrl_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  setWindowTitle("Results");
  setModal(false);

  table_ = new QTableView;
  table_->setObjectName("resultsTable");
  table_->setModel(&model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &ResultsDialog::FollowSelection);

  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(table_);
  split->addWidget(BuildChart());
  split->setSizes({260, 420});

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);
  layout->addWidget(BuildButtons());
  resize(1100, 720);
}

QWidget* ResultsDialog::BuildChart() {
  chart_ = new QChart;
  chart_->legend()->hide();
  series_ = new QLineSeries;
  series_->setPointsVisible(true);
  series_->setMarkerSize(5);
  chart_->addSeries(series_);
  rateAxis_ = new QValueAxis;
  rateAxis_->setTitleText("Total bit rate (kbps)");
  rateAxis_->setLabelFormat("%.0f");
  psnrAxis_ = new QValueAxis;
  psnrAxis_->setTitleText("PSNR Y (dB)");
  psnrAxis_->setLabelFormat("%.1f");
  chart_->addAxis(rateAxis_, Qt::AlignBottom);
  chart_->addAxis(psnrAxis_, Qt::AlignLeft);
  series_->attachAxis(rateAxis_);
  series_->attachAxis(psnrAxis_);

  auto* view = new QChartView(chart_);  // the view owns the chart
  view->setObjectName("resultsChart");
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(260);

  files_ = new QComboBox;
  files_->setObjectName("chartFile");
  connect(files_, &QComboBox::currentIndexChanged, this, &ResultsDialog::ShowFileChart);
  choice_ = new QWidget;
  auto* choice = new QHBoxLayout(choice_);
  choice->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel("Chart of:");
  label->setBuddy(files_);
  choice->addWidget(label);
  choice->addWidget(files_, 1);

  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(choice_);
  column->addWidget(view, 1);
  return box;
}

QWidget* ResultsDialog::BuildButtons() {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  connect(AddButton(row, "Copy", "copy"), &QPushButton::clicked, this,
          [this] { QApplication::clipboard()->setText(ResultsText(model_.Results())); });
  play_ = AddButton(row, "Play in browser", "play");
  connect(play_, &QPushButton::clicked, this, [this] { emit playRequested(folder_, ChosenSource()); });
  connect(AddButton(row, "Open folder", "openFolder"), &QPushButton::clicked, this,
          [this] { openUrl_(QUrl::fromLocalFile(folder_)); });
  row->addStretch(1);
  connect(AddButton(row, "Close", "close"), &QPushButton::clicked, this, &QDialog::close);
  return box;
}

void ResultsDialog::SetResults(std::vector<VariantResult> results, const QString& destination) {
  folder_ = ResultsFolder(results, destination);
  charts_ = ChartsOf(results);
  model_.SetResults(std::move(results));
  play_->setEnabled(std::any_of(model_.Results().begin(), model_.Results().end(),
                                [](const VariantResult& r) { return r.finished; }));
  {
    const QSignalBlocker quiet(files_);
    files_->clear();
    for (const FileChart& chart : charts_) files_->addItem(FileNameOf(chart.path), chart.path);
  }
  // The choice only matters when there is one.
  choice_->setVisible(charts_.size() > 1);
  ShowFileChart(0);
}

void ResultsDialog::ShowFileChart(int file) {
  if (file < 0 || file >= static_cast<int>(charts_.size())) {
    series_->clear();
    chart_->setTitle({});
    return;
  }
  if (files_->currentIndex() != file) {
    files_->setCurrentIndex(file);  // whose signal comes back here
    return;
  }
  const FileChart& chart = charts_[static_cast<std::size_t>(file)];
  series_->replace(QList<QPointF>(chart.points.begin(), chart.points.end()));
  const QString name = FileNameOf(chart.path);
  chart_->setTitle(chart.points.empty() ? name + " (no picture quality measured)" : name);
  double maxRate = 1.0, lowPsnr = 20.0, highPsnr = 50.0;
  if (!chart.points.empty()) {
    maxRate = chart.points.back().x();
    const auto [low, high] = std::minmax_element(chart.points.begin(), chart.points.end(),
                                                 [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    lowPsnr = std::floor(low->y()) - 1.0;
    highPsnr = std::ceil(high->y()) + 1.0;
  }
  // From zero, so that the rates' proportions show.
  rateAxis_->setRange(0.0, std::max(1.0, maxRate * 1.08));
  psnrAxis_->setRange(lowPsnr, highPsnr);
  rateAxis_->applyNiceNumbers();
  psnrAxis_->applyNiceNumbers();
}

QString ResultsDialog::ChosenSource() const {
  if (model_.rowCount() == 0) return {};
  const QModelIndex current = table_->currentIndex();
  return QString::fromStdString(model_.At(current.isValid() ? current.row() : 0).path);
}

void ResultsDialog::FollowSelection(const QModelIndex& current) {
  if (!current.isValid()) return;
  const int file = files_->findData(QString::fromStdString(model_.At(current.row()).path));
  if (file >= 0) files_->setCurrentIndex(file);
}

}  // namespace zq48
