#include "ui/settings_placeholder.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "encode/encode_settings.h"

namespace zq48 {

SettingsPlaceholder::SettingsPlaceholder(const EncodeSettings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings) {
  setObjectName("settingsPlaceholder");
  destination_ = new QLineEdit(this);
  destination_->setObjectName("destinationFolder");
  ladder_ = new QLabel(this);
  setFocusProxy(destination_);  // focusing the pane focuses its field

  auto* form = new QFormLayout;
  form->addRow("Destination folder:", destination_);
  form->addRow("Bit-rate range and quality:", ladder_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("<b>Settings</b> (the settings pages come later)", this));
  layout->addLayout(form);
  layout->addStretch(1);
  ShowSettings();
}

std::string SettingsPlaceholder::DestinationText() const {
  return destination_->text().toStdString();
}

void SettingsPlaceholder::SetDestinationText(const std::string& folder) {
  destination_->setText(QString::fromStdString(folder));
}

void SettingsPlaceholder::ShowSettings() {
  destination_->setText(QString::fromStdString(settings_.destinationFolder()));
  ladder_->setText(QString("%1..%2 kbps, quality %3")
                       .arg(settings_.rangeBegin)
                       .arg(settings_.rangeEnd)
                       .arg(settings_.quality));
}

}  // namespace zq48
