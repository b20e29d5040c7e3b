#include "ui/file_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace zq48 {

namespace {

constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 22;
constexpr int kPreviewSize = 200;
constexpr int kMargin = 5;

struct PlaceEntry {
  const char* label;
  QStyle::StandardPixmap icon;
};

constexpr std::array<PlaceEntry, kPlaceCount> kPlaces{{
    {"History", QStyle::SP_BrowserReload},
    {"My Documents", QStyle::SP_DirHomeIcon},
    {"Desktop", QStyle::SP_DesktopIcon},
    {"Favourites", QStyle::SP_DirLinkIcon},
    {"Web Folders", QStyle::SP_DriveNetIcon},
}};

// Qt's own file dialog, used as the browser part of ours. In Add mode an
// accepted selection does not end it: the selection has been handed over
// through filesSelected, and the browser stays for the next one.
class FileBrowser : public QFileDialog {
 public:
  FileBrowser(QWidget* parent, bool keepOpen) : QFileDialog(parent), keepOpen_(keepOpen) {
    setWindowFlags(Qt::Widget);
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    // Our own places bar and buttons stand in for Qt's.
    if (auto* sidebar = findChild<QWidget*>("sidebar")) sidebar->hide();
    if (auto* buttons = findChild<QDialogButtonBox*>("buttonBox")) buttons->hide();
  }

  // The browser's own accept: checks the names typed, and steps into a
  // folder instead of choosing it.
  using QFileDialog::accept;

  void done(int result) override {
    if (keepOpen_ && result == QDialog::Accepted) return;
    QFileDialog::done(result);
  }

 private:
  bool keepOpen_;
};

QString ExistingOrEmpty(const QString& folder) {
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace

QString NameFilter(const QString& label, const QString& patterns) {
  return label + " (" + patterns.split(';', Qt::SkipEmptyParts).join(' ') + ")";
}

QString PlaceFolder(Place place, const QString& lastInputFolder) {
  auto xdg = [](QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location);
  };
  switch (place) {
    case Place::History: {
      // There is no folder of recent documents here; the closest is where
      // the user last took files from.
      QString last = ExistingOrEmpty(lastInputFolder);
      return last.isEmpty() ? xdg(QStandardPaths::HomeLocation) : last;
    }
    case Place::Documents:
      return xdg(QStandardPaths::DocumentsLocation);
    case Place::Desktop:
      return xdg(QStandardPaths::DesktopLocation);
    case Place::Favourites:
      return xdg(QStandardPaths::MoviesLocation);
    case Place::WebFolders:
      return xdg(QStandardPaths::PublicShareLocation);
  }
  return {};
}

BXFileDialog::BXFileDialog(Mode mode, const QString& title, const QStringList& nameFilters,
                           const QString& lastInputFolder, QWidget* parent)
    : QDialog(parent), mode_(mode), lastInputFolder_(lastInputFolder) {
  setWindowTitle(title);
  // Kept on top of every window, and centred on the screen when it opens.
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* browser = new FileBrowser(this, mode == Mode::Add);
  browser_ = browser;
  browser_->setNameFilters(nameFilters);
  if (QString start = ExistingOrEmpty(lastInputFolder); !start.isEmpty())
    browser_->setDirectory(start);

  auto* accept = new QPushButton(mode == Mode::Add ? "&Add" : "&Open", this);
  auto* cancel = new QPushButton("Cancel", this);
  for (QPushButton* button : {accept, cancel}) {
    button->setMinimumSize(kButtonWidth, kButtonHeight);
    button->setAutoDefault(false);
  }
  connect(accept, &QPushButton::clicked, browser, &FileBrowser::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(browser_, &QFileDialog::filesSelected, this, [this](const QStringList& files) {
    if (mode_ == Mode::Add)
      emit filesAdded(Folder(), files);
    else
      selected_ = files;
  });
  connect(browser_, &QDialog::finished, this, &QDialog::done);
  connect(browser_, &QFileDialog::currentChanged, this, &BXFileDialog::ShowPreview);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(accept);
  buttons->addWidget(cancel);

  auto* body = new QHBoxLayout;
  body->setSpacing(kMargin);
  body->addWidget(MakePlacesBar());
  body->addWidget(browser_, 1);
  body->addWidget(MakePreview());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->addLayout(body, 1);
  layout->addLayout(buttons);
}

void BXFileDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

QWidget* BXFileDialog::MakePlacesBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("placesBar");
  auto* column = new QVBoxLayout(bar);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  places_ = new QButtonGroup(this);
  places_->setExclusive(true);  // the pressed place stays highlighted
  for (int i = 0; i < kPlaceCount; ++i) {
    auto* button = new QToolButton(bar);
    button->setText(kPlaces[i].label);
    button->setIcon(style()->standardIcon(kPlaces[i].icon));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setCheckable(true);
    button->setAutoRaise(true);
    // Each place takes a fifth of the bar's height.
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    places_->addButton(button, i);
    column->addWidget(button, 1);
  }
  connect(places_, &QButtonGroup::idClicked, this,
          [this](int id) { GoTo(static_cast<Place>(id)); });
  return bar;
}

QWidget* BXFileDialog::MakePreview() {
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  previewOn_ = new QCheckBox("Preview", box);
  previewOn_->setChecked(true);
  preview_ = new QLabel(box);
  preview_->setObjectName("preview");
  preview_->setFixedWidth(kPreviewSize);
  preview_->setMinimumHeight(kPreviewSize);
  preview_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  preview_->setWordWrap(true);
  preview_->setTextFormat(Qt::PlainText);
  preview_->setFrameShape(QFrame::StyledPanel);
  connect(previewOn_, &QCheckBox::toggled, this, [this](bool on) {
    if (!on) preview_->clear();
  });
  column->addWidget(previewOn_);
  column->addWidget(preview_, 1);
  return box;
}

void BXFileDialog::SetDescriber(std::function<QString(const QString&)> describe) {
  describe_ = std::move(describe);
}

QStringList BXFileDialog::SelectedFiles() const { return selected_; }

QString BXFileDialog::Folder() const { return browser_->directory().absolutePath(); }

void BXFileDialog::GoTo(Place place) {
  const QString folder = PlaceFolder(place, lastInputFolder_);
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) browser_->setDirectory(folder);
}

void BXFileDialog::ShowPreview(const QString& path) {
  preview_->clear();
  if (!previewOn_->isChecked()) return;
  // A link shows what it points to.
  QFileInfo info(path);
  if (info.isSymLink()) info = QFileInfo(info.canonicalFilePath());
  if (!info.isFile()) return;
  QImageReader reader(info.absoluteFilePath());
  if (reader.canRead()) {
    const QImage image = reader.read();
    if (!image.isNull()) {
      preview_->setPixmap(QPixmap::fromImage(
          image.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
      return;
    }
  }
  if (describe_) preview_->setText(describe_(info.absoluteFilePath()));
}

QStringList BXFileDialog::GetImageFiles(QWidget* parent, const QString& lastInputFolder) {
  BXFileDialog dialog(
      Mode::Open, "Select file of image",
      {NameFilter("All Supported Files", "*.gif;*.jpg;*.png;*.bmp;"), "All Files (*)"},
      lastInputFolder, parent);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.SelectedFiles();
}

}  // namespace zq48
