#include "ui/expert_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/notifier.h"
#include "catalog/input_catalog.h"
#include "catalog/range_and_crop.h"
#include "encode/filter_ladder.h"
#include "encode/frame_rate_steps.h"
#include "catalog/same_filter.h"
#include "ui/filter_table.h"

namespace zq48 {

namespace {

// The slider counts frame rates in micro-frames per second.
constexpr double kRateScale = 1'000'000;
constexpr int kVolumeSpan = 50;  // percent either way

QLineEdit* NewEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

QString Real(double value) { return QString::asprintf("%.2f", value); }

}  // namespace

QString VolumeText(int percent) { return QString::asprintf("%i", percent) + "% scale volume"; }

ExpertPage::ExpertPage(InputCatalog& catalog, Notifier& notifier, QWidget* parent)
    : QWidget(parent), catalog_(catalog), notifier_(notifier) {
  setObjectName("expertPage");
  BuildFields();
  BuildButtons();
  ConnectFrameRate();
  Refresh();
}

void ExpertPage::BuildFields() {
  width_ = NewEdit(this, "width");
  height_ = NewEdit(this, "height");
  rateEdit_ = NewEdit(this, "frameRate");
  dataRate_ = NewEdit(this, "dataRate");
  begin_ = NewEdit(this, "begin");
  end_ = NewEdit(this, "end");
  left_ = NewEdit(this, "cropLeft");
  right_ = NewEdit(this, "cropRight");
  top_ = NewEdit(this, "cropTop");
  bottom_ = NewEdit(this, "cropBottom");

  rateSlider_ = new QSlider(Qt::Horizontal, this);
  rateSlider_->setObjectName("frameRateSlider");
  sourceRate_ = new QLabel(this);
  sourceRate_->setObjectName("sourceRate");
  audioRate_ = new QComboBox(this);
  audioRate_->setObjectName("audioBitRate");
  audioRate_->addItems({"8", "16", "32"});
  volume_ = new QSlider(Qt::Horizontal, this);
  volume_->setObjectName("volume");
  volume_->setRange(-kVolumeSpan, kVolumeSpan);
  volumeText_ = new QLabel(VolumeText(0), this);
  volumeText_->setObjectName("volumeText");
  connect(volume_, &QSlider::valueChanged, this, &ExpertPage::ShowVolume);

  auto* rateRow = new QHBoxLayout;
  rateRow->addWidget(new QLabel("0.1", this));
  rateRow->addWidget(rateSlider_, 1);
  rateRow->addWidget(sourceRate_);
  auto* volumeRow = new QHBoxLayout;
  volumeRow->addWidget(new QLabel("-50%", this));
  volumeRow->addWidget(volume_, 1);
  volumeRow->addWidget(new QLabel("+50%", this));

  auto* video = new QFormLayout;
  video->addRow("Width:", width_);
  video->addRow("Height:", height_);
  video->addRow(rateRow);
  video->addRow("Target frame rate (fps):", rateEdit_);
  video->addRow("Target data rate (kbps):", dataRate_);
  auto* audio = new QFormLayout;
  audio->addRow("Bit rate (kbps):", audioRate_);
  audio->addRow(volumeRow);
  audio->addRow(volumeText_);
  audio->addRow("Begin:", begin_);
  audio->addRow("End:", end_);
  auto* crop = new QFormLayout;
  crop->addRow("Left:", left_);
  crop->addRow("Right:", right_);
  crop->addRow("Top:", top_);
  crop->addRow("Bottom:", bottom_);

  auto* fields = new QHBoxLayout;
  fields->addLayout(video);
  fields->addLayout(audio);
  fields->addLayout(crop);

  caption_ = new QLabel(this);
  caption_->setObjectName("currentFile");
  table_ = new FilterTable(this);
  table_->setObjectName("filters");
  connect(table_, &FilterTable::rowSelected, this, &ExpertPage::FillFrom);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(caption_);
  layout->addWidget(table_, 1);
}

void ExpertPage::BuildButtons() {
  struct Button {
    const char* text;
    const char* tip;
    void (ExpertPage::*slot)();
  };
  const Button buttons[] = {{"Add", "Add filter", &ExpertPage::Add},
                            {"Del", "Delete filter", &ExpertPage::Delete},
                            {"Change", "Change filter", &ExpertPage::Change},
                            {"Restore", "Restore filter", &ExpertPage::Restore}};
  auto* row = new QHBoxLayout;
  for (const Button& b : buttons) {
    auto* button = new QPushButton(b.text, this);
    button->setObjectName(QString(b.text).toLower());
    button->setToolTip(b.tip);
    connect(button, &QPushButton::clicked, this, b.slot);
    row->addWidget(button);
  }
  row->addStretch(1);
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

// ---- frame rate ------------------------------------------------------------

void ExpertPage::ConnectFrameRate() {
  rateSlider_->setPageStep(static_cast<int>(kRateScale));
  rateSlider_->setSingleStep(static_cast<int>(kRateScale / 100));  // 0.01 fps
  connect(rateSlider_, &QSlider::actionTriggered, this, &ExpertPage::OnFrameRateStep);
  connect(rateSlider_, &QSlider::sliderMoved, this,
          [this](int position) { rateEdit_->setText(Real(position / kRateScale)); });
  connect(rateSlider_, &QSlider::sliderReleased, this, [this] {
    SetFrameRate(SnapFrameRate(rateSlider_->sliderPosition() / kRateScale, SourceRate()));
  });
  connect(rateEdit_, &QLineEdit::editingFinished, this, &ExpertPage::OnFrameRateEdited);
}

double ExpertPage::SourceRate() const { return catalog_.Facts(path_).frameRate; }

void ExpertPage::SetFrameRate(double rate) {
  frameRate_ = rate;
  rateEdit_->setText(Real(rate));
  const QSignalBlocker quiet(rateSlider_);
  rateSlider_->setSliderPosition(static_cast<int>(std::lround(rate * kRateScale)));
}

// Page steps go from one whole fraction of the source rate to the next;
// other keys move the slider freely.
void ExpertPage::OnFrameRateStep(int action) {
  const double source = SourceRate();
  double rate = rateSlider_->sliderPosition() / kRateScale;
  if (action == QAbstractSlider::SliderPageStepAdd)
    rate = HigherFraction(frameRate_, source);
  else if (action == QAbstractSlider::SliderPageStepSub)
    rate = LowerFraction(frameRate_, source);
  else if (action == QAbstractSlider::SliderMove)
    return;  // a drag: the release decides
  SetFrameRate(ClampFrameRate(rate, source));
}

void ExpertPage::OnFrameRateEdited() {
  SetFrameRate(ClampFrameRate(rateEdit_->text().toDouble(), SourceRate()));
}

// ---- the current file --------------------------------------------------------

void ExpertPage::SelectFile(const QString& path) {
  path_ = path.toStdString();
  if (!catalog_.Contains(path_)) path_.clear();
  const double source = SourceRate();
  sourceRate_->setText(Real(source));
  {
    const QSignalBlocker quiet(rateSlider_);
    rateSlider_->setRange(static_cast<int>(kMinFrameRate * kRateScale),
                          static_cast<int>(std::max(kMinFrameRate, source) * kRateScale));
  }
  Refresh();
}

void ExpertPage::Refresh() {
  if (!path_.empty() && !catalog_.Contains(path_)) path_.clear();  // deleted from the list
  caption_->setText("Current file: " + QString::fromStdString(path_));
  std::vector<const OutputFilter*> filters;
  for (std::size_t i = 0; i < catalog_.FilterCount(path_); ++i)
    filters.push_back(catalog_.FilterAt(path_, i));
  table_->Show(filters);
}

void ExpertPage::FillFrom(int row) {
  const OutputFilter* f = catalog_.FilterAt(path_, static_cast<std::size_t>(row));
  if (!f) return;
  width_->setText(QString::number(f->width));
  height_->setText(QString::number(f->height));
  dataRate_->setText(QString::number(f->videoBitRate));
  ShowRangeAndCrop(RangeAndCropOf(*f));
  if (int item = audioRate_->findText(QString::number(f->audioBitRate)); item >= 0)
    audioRate_->setCurrentIndex(item);
  // A file without sound has volume 0, which is no offset the slider can show.
  const int percent = f->volume > 0 ? static_cast<int>(std::lround((f->volume - 1) * 100)) : 0;
  volume_->setValue(std::clamp(percent, -kVolumeSpan, kVolumeSpan));
  ShowVolume(volume_->value());
  SetFrameRate(f->frameRate);
}

void ExpertPage::ShowRangeAndCrop(const RangeAndCrop& values) {
  begin_->setText(Real(values.begin));
  end_->setText(Real(values.end));
  left_->setText(QString::number(values.left));
  right_->setText(QString::number(values.right));
  top_->setText(QString::number(values.top));
  bottom_->setText(QString::number(values.bottom));
}

RangeAndCrop ExpertPage::TypedRangeAndCrop() const {
  return {begin_->text().toDouble(), end_->text().toDouble(), left_->text().toInt(),
          right_->text().toInt(),    top_->text().toInt(),    bottom_->text().toInt()};
}

void ExpertPage::ShowVolume(int percent) { volumeText_->setText(VolumeText(percent)); }

float ExpertPage::VolumeFactor() const {
  return static_cast<float>(volume_->value() + 100) / 100.0f;
}

int ExpertPage::AudioBitRate() const { return audioRate_->currentText().toInt(); }

// ---- the buttons ---------------------------------------------------------------

// Compares with what Add would make of the values, so that the same variant
// is never listed twice, whether it was added by hand or by the ladder.
bool ExpertPage::HasSameFilter(int width, int height, double rate, int totalKbps,
                               int audioKbps) const {
  const int videoKbps = totalKbps - AudioRatesForTotal(static_cast<std::uint32_t>(totalKbps)).bitRateKbps;
  return zq48::HasSameFilter(catalog_, path_, width, height, rate, videoKbps, audioKbps);
}

// A file without sound keeps its audio fields at 0: a bit rate or a volume
// would make the encoder look for sound that is not there.
void ExpertPage::WriteAudio(OutputFilter& filter) const {
  if (!catalog_.Facts(path_).hasAudio) return;
  filter.audioBitRate = AudioBitRate();
}

void ExpertPage::Add() {
  if (path_.empty()) return;
  const int width = width_->text().toInt();
  const int height = height_->text().toInt();
  const int total = dataRate_->text().toInt();
  if (HasSameFilter(width, height, frameRate_, total, AudioBitRate())) {
    notifier_.Show({kSameFilterText, kSameFilterCaption, Presentation::AppBox});
    return;
  }
  catalog_.SetCustomFilters(path_, true);
  OutputFilter* filter =
      MakeFilter(catalog_, path_, static_cast<std::uint32_t>(std::max(total, 0)), frameRate_, 1, 1);
  filter->width = width;
  filter->height = height;
  WriteAudio(*filter);
  Refresh();
}

void ExpertPage::Delete() {
  const int row = table_->SelectedRow();
  if (path_.empty() || row < 0) return;
  catalog_.RemoveFilter(path_, catalog_.FilterAt(path_, static_cast<std::size_t>(row)));
  catalog_.SetCustomFilters(path_, true);
  Refresh();
  table_->SelectRow(std::min(row, table_->rowCount() - 1));
}

void ExpertPage::Change() {
  const int row = table_->SelectedRow();
  if (path_.empty() || row < 0) return;
  OutputFilter& f = *catalog_.FilterAt(path_, static_cast<std::size_t>(row));
  f.width = width_->text().toInt();
  f.height = height_->text().toInt();
  f.frameRate = frameRate_;
  f.videoBitRate = dataRate_->text().toInt();
  WriteAudio(f);
  if (catalog_.Facts(path_).hasAudio) f.volume = VolumeFactor();
  ApplyRangeAndCrop(TypedRangeAndCrop(), f);
  catalog_.SetCustomFilters(path_, true);
  Refresh();
}

void ExpertPage::Restore() {
  if (path_.empty()) return;
  RestoreSimpleFilters(catalog_, path_);
  Refresh();
  table_->setFocus();
}

}  // namespace zq48
