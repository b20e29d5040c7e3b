#include "ui/time_range_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QMessageBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zq48 {

namespace {

// Wide enough for any film; negative values can be typed so that the check
// can tell the user what is wrong with them.
constexpr double kMaxSeconds = 1e7;
constexpr int kMaxPixels = 100000;

QDoubleSpinBox* SecondsEdit(const char* name) {
  auto* edit = new QDoubleSpinBox;
  edit->setObjectName(name);
  edit->setRange(-kMaxSeconds, kMaxSeconds);
  edit->setDecimals(3);
  return edit;
}

QSpinBox* PixelsEdit(const char* name) {
  auto* edit = new QSpinBox;
  edit->setObjectName(name);
  edit->setRange(-kMaxPixels, kMaxPixels);
  return edit;
}

}  // namespace

TimeRangeDialog::TimeRangeDialog(const RangeAndCrop& values, const InputCatalog& catalog,
                                 QWidget* parent)
    : QDialog(parent), catalog_(catalog) {
  setWindowTitle("Dialog");
  begin_ = SecondsEdit("begin");
  end_ = SecondsEdit("end");
  left_ = PixelsEdit("left");
  right_ = PixelsEdit("right");
  top_ = PixelsEdit("top");
  bottom_ = PixelsEdit("bottom");

  auto* range = new QGroupBox("Time range selection (seconds)");
  auto* rangeForm = new QFormLayout(range);
  rangeForm->addRow("Begin", begin_);
  rangeForm->addRow("End", end_);
  auto* crop = new QGroupBox("Video margins / cropping (pixels)");
  auto* cropForm = new QFormLayout(crop);
  cropForm->addRow("Left", left_);
  cropForm->addRow("Right", right_);
  cropForm->addRow("Top", top_);
  cropForm->addRow("Bottom", bottom_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TimeRangeDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TimeRangeDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(range);
  layout->addWidget(crop);
  layout->addWidget(buttons);
  SetValues(values);
}

RangeAndCrop TimeRangeDialog::Values() const {
  return {static_cast<float>(begin_->value()), static_cast<float>(end_->value()), left_->value(),
          right_->value(), top_->value(), bottom_->value()};
}

void TimeRangeDialog::SetValues(const RangeAndCrop& values) {
  begin_->setValue(static_cast<float>(values.begin));
  end_->setValue(static_cast<float>(values.end));
  left_->setValue(values.left);
  right_->setValue(values.right);
  top_->setValue(values.top);
  bottom_->setValue(values.bottom);
}

void TimeRangeDialog::accept() {
  if (std::optional<std::string> problem = ValidateTimeRangeAndCrop(Values(), catalog_)) {
    QMessageBox::warning(this, kInvalidInputCaption, QString::fromStdString(*problem));
    return;
  }
  QDialog::accept();
}

}  // namespace zq48
