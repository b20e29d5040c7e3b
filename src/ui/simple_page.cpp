#include "ui/simple_page.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "core/notifier.h"
#include "core/settings_store.h"
#include "catalog/input_catalog.h"
#include "encode/filter_ladder.h"
#include "encode/settings_checks.h"
#include "ui/file_dialog.h"

namespace zq48 {

namespace {

// The quality slider has eleven positions, 0..10, for qualities 0..100.
constexpr int kQualityPositions = 10;
constexpr int kQualityPerPosition = 100 / kQualityPositions;

QString Number(std::uint32_t value) { return QString::number(value); }

}  // namespace

SimplePage::SimplePage(InputCatalog& catalog, SettingsStore& store, Notifier& notifier,
                       QWidget* parent)
    : QWidget(parent), catalog_(catalog), store_(store), notifier_(notifier) {
  setObjectName("simplePage");
  auto* form = new QFormLayout;
  BuildFolderRow(form);
  title_ = BuildImageRow(form, Image::Title);
  end_ = BuildImageRow(form, Image::End);
  BuildRangeAndQuality(form);
  BuildWebPageRow(form);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch(1);
  setFocusProxy(folder_);
  ShowSettings();
}

void SimplePage::BuildFolderRow(QFormLayout* form) {
  folder_ = new QLineEdit(this);
  folder_->setObjectName("destinationFolder");
  auto* browse = new QPushButton("...", this);
  browse->setObjectName("folderBrowse");
  // Only a folder the user changed is checked on leaving: merely passing
  // through the edit must not bring up questions.
  connect(folder_, &QLineEdit::editingFinished, this, &SimplePage::OnFolderLeft);
  connect(browse, &QPushButton::clicked, this, &SimplePage::BrowseFolder);
  auto* row = new QHBoxLayout;
  row->addWidget(folder_, 1);
  row->addWidget(browse);
  form->addRow("Destination folder:", row);
}

SimplePage::ImageRow SimplePage::BuildImageRow(QFormLayout* form, Image image) {
  const bool title = image == Image::Title;
  ImageRow r;
  r.box = new QCheckBox(title ? "title image:" : "end image:", this);
  r.box->setObjectName(title ? "titleImage" : "endImage");
  r.path = new QLabel(this);
  r.path->setObjectName(title ? "titleImagePath" : "endImagePath");
  r.browse = new QPushButton("...", this);
  r.browse->setObjectName(title ? "titleImageBrowse" : "endImageBrowse");
  connect(r.box, &QCheckBox::toggled, this, [this, image](bool on) { ShowImageRow(image, on); });
  connect(r.browse, &QPushButton::clicked, this, [this, image] { BrowseImage(image); });
  auto* row = new QHBoxLayout;
  row->addWidget(r.path, 1);
  row->addWidget(r.browse);
  form->addRow(r.box, row);
  r.path->hide();
  r.browse->hide();
  return r;
}

void SimplePage::BuildRangeAndQuality(QFormLayout* form) {
  rangeBegin_ = new QLineEdit(this);
  rangeBegin_->setObjectName("rangeBegin");
  rangeEnd_ = new QLineEdit(this);
  rangeEnd_->setObjectName("rangeEnd");
  connect(rangeBegin_, &QLineEdit::editingFinished, this, [this] { CommitRange(RangeEnd::Begin); });
  connect(rangeEnd_, &QLineEdit::editingFinished, this, [this] { CommitRange(RangeEnd::End); });
  form->addRow("Range begin (kbps):", rangeBegin_);
  form->addRow("Range end (kbps):", rangeEnd_);

  quality_ = new QSlider(Qt::Horizontal, this);
  quality_->setObjectName("quality");
  quality_->setRange(0, kQualityPositions);
  quality_->setTickPosition(QSlider::TicksBelow);
  quality_->setTickInterval(1);
  quality_->setPageStep(1);
  quality_->setValue(catalog_.Settings().quality / kQualityPerPosition);
  // Taken over when the user lets go of the handle; moves made with the
  // keyboard have no release and are taken over at once.
  connect(quality_, &QSlider::sliderReleased, this, &SimplePage::CommitQuality);
  connect(quality_, &QSlider::valueChanged, this, [this] {
    if (!quality_->isSliderDown()) CommitQuality();
  });
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Low", this));
  row->addWidget(quality_, 1);
  row->addWidget(new QLabel("High", this));
  form->addRow("Quality", row);
}

// Persisted at once: it changes no ladder, only what the job writes beside each page.
void SimplePage::BuildWebPageRow(QFormLayout* form) {
  webPage_ = new QCheckBox("Page for today's browsers", this);
  webPage_->setObjectName("webPage");
  webPage_->setChecked(catalog_.Settings().webPageOn);
  connect(webPage_, &QCheckBox::toggled, this, [this](bool on) {
    catalog_.Settings().webPageOn = on;
    store_.WriteSettingInt(on ? 1 : 0, settings::kWebPage, settings::kFilterSection);
  });
  form->addRow(webPage_);
}

std::string SimplePage::DestinationText() const { return folder_->text().toStdString(); }

std::string SimplePage::TakeDestinationText() {
  folder_->setModified(false);
  return DestinationText();
}

void SimplePage::SetDestinationText(const std::string& folder) {
  folder_->setText(QString::fromStdString(folder));
}

void SimplePage::ShowSettings() {
  const EncodeSettings s = catalog_.Settings();
  folder_->setText(QString::fromStdString(s.destinationFolder()));
  rangeBegin_->setText(Number(s.rangeBegin));
  rangeEnd_->setText(Number(s.rangeEnd));
  webPage_->setChecked(s.webPageOn);
  {
    // Shown, not changed: the ladders were built from these values already.
    const QSignalBlocker quiet(quality_);
    quality_->setValue(s.quality / kQualityPerPosition);
  }
  for (Image image : {Image::Title, Image::End}) {
    const bool title = image == Image::Title;
    ImageRow& r = Row(image);
    r.path->setText(QString::fromStdString(title ? s.titleImagePath : s.endImagePath));
    r.box->setChecked(title ? s.titleImageOn : s.endImageOn);
    ShowImageRow(image, title ? s.titleImageOn : s.endImageOn);
  }
}

void SimplePage::StoreSettings() {
  const EncodeSettings& s = catalog_.Settings();
  if (!s.destinationFolder().empty())
    store_.WriteSettingString(s.destinationFolder(), settings::kPathDest, settings::kRootSection);
  store_.WriteSettingInt(static_cast<std::int32_t>(s.rangeBegin), settings::kRangeBegin, settings::kFilterSection);
  store_.WriteSettingInt(static_cast<std::int32_t>(s.rangeEnd), settings::kRangeEnd, settings::kFilterSection);
  store_.WriteSettingInt(s.quality, settings::kSliderQuality, settings::kFilterSection);
  store_.WriteSettingInt(s.webPageOn ? 1 : 0, settings::kWebPage, settings::kFilterSection);
}

// ---- folder ----------------------------------------------------------------

// The edit was left. Left by a press of the mouse (on Encode, say), the
// check waits until that click has been delivered: a question shown at the
// press would take the button's release, and the click would be lost. Encode
// checks the folder itself, taking the text over.
void SimplePage::OnFolderLeft() {
  if (!folder_->isModified()) return;
  if (QGuiApplication::mouseButtons() == Qt::NoButton) {
    AcceptFolder();
    return;
  }
  if (!waitingForRelease_) qApp->installEventFilter(this);
  waitingForRelease_ = true;
}

bool SimplePage::eventFilter(QObject* watched, QEvent* event) {
  if (waitingForRelease_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
    waitingForRelease_ = false;
    qApp->removeEventFilter(this);
    // After the release has reached its widget, and whatever its click started.
    QTimer::singleShot(0, this, [this] {
      if (folder_->isModified()) AcceptFolder();
    });
  }
  return QWidget::eventFilter(watched, event);
}

bool SimplePage::AcceptFolder() {
  if (checking_) return false;  // the edit lost the focus to the check's own box
  checking_ = true;
  const auto kept =
      CheckDestinationFolder(DestinationText(), catalog_.Settings(), store_, notifier_);
  if (!kept) folder_->setFocus();
  checking_ = false;
  if (!kept) return false;
  folder_->setText(QString::fromStdString(*kept));
  return true;
}

void SimplePage::BrowseFolder() {
  const QString chosen = QFileDialog::getExistingDirectory(this, "ZQ48", folder_->text());
  if (chosen.isEmpty()) return;
  folder_->setText(chosen.endsWith('/') ? chosen : chosen + '/');
  AcceptFolder();
}

// ---- images ------------------------------------------------------------------

void SimplePage::ShowImageRow(Image image, bool on) {
  ImageRow& r = Row(image);
  r.path->setVisible(on);
  r.browse->setVisible(on);
  EncodeSettings& s = catalog_.Settings();
  (image == Image::Title ? s.titleImageOn : s.endImageOn) = on;
}

void SimplePage::BrowseImage(Image image) {
  const QStringList chosen =
      BXFileDialog::GetImageFiles(this, QString::fromStdString(catalog_.InputFolder()));
  if (chosen.isEmpty()) return;
  Row(image).path->setText(chosen.first());
  EncodeSettings& s = catalog_.Settings();
  (image == Image::Title ? s.titleImagePath : s.endImagePath) = chosen.first().toStdString();
}

// ---- ladder settings -----------------------------------------------------------

void SimplePage::CommitRange(RangeEnd which) {
  if (checking_) return;
  const bool begin = which == RangeEnd::Begin;
  QLineEdit* edit = begin ? rangeBegin_ : rangeEnd_;
  bool number = false;
  const uint value = edit->text().trimmed().toUInt(&number);
  if (!number || value < kRangeMin || value > kRangeMax) {
    // The focus taken back makes another edit lose it; a second bad value
    // there must wait, or the two edits would refuse each other forever.
    checking_ = true;
    notifier_.ShowApp(begin ? "Range begin must be more 48 and less 900."
                            : "Range end must be more 48 and less 900.");
    edit->setFocus();
    edit->selectAll();
    checking_ = false;
    return;
  }
  EncodeSettings& s = catalog_.Settings();
  (begin ? s.rangeBegin : s.rangeEnd) = value;
  store_.WriteSettingInt(static_cast<std::int32_t>(value),
                         begin ? settings::kRangeBegin : settings::kRangeEnd,
                         settings::kFilterSection);
  RegenerateLadders();
}

void SimplePage::CommitQuality() {
  const int quality = quality_->value() * kQualityPerPosition;
  catalog_.Settings().quality = quality;
  store_.WriteSettingInt(quality, settings::kSliderQuality, settings::kFilterSection);
  RegenerateLadders();
}

void SimplePage::RegenerateLadders() {
  RegenerateSimpleFilters(catalog_);
  emit laddersChanged();
}

}  // namespace zq48
