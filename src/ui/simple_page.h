#pragma once

#include <QWidget>
#include <string>

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace zq48 {

class InputCatalog;
class Notifier;
class SettingsStore;

// The page of the simple settings: destination folder, title and end
// images, the bit-rate range and the quality, and whether the package gets a
// page for today's browsers. A range value or quality
// taken over is stored in the encode settings, persisted, and the ladders of
// every file not edited by hand are built again.
class SimplePage : public QWidget {
  Q_OBJECT

 public:
  SimplePage(InputCatalog& catalog, SettingsStore& store, Notifier& notifier,
             QWidget* parent = nullptr);

  // The destination folder as the user typed it.
  std::string DestinationText() const;
  // The same, taken over by Encode, which checks it: leaving the edit no
  // longer checks it as well.
  std::string TakeDestinationText();
  void SetDestinationText(const std::string& folder);
  // Shows the settings again (folder, images, range, quality, page), after
  // something else has changed them.
  void ShowSettings();
  // Persists the settings the page keeps for the next start, after something
  // else (an opened list) has changed them.
  void StoreSettings();

 public slots:
  // Runs the destination-folder check on the edit's text; the edit shows the
  // folder as kept, or keeps the focus when the check refused it.
  bool AcceptFolder();

 signals:
  // The simple ladders were built again.
  void laddersChanged();

 private:
  enum class Image { Title, End };
  enum class RangeEnd { Begin, End };
  struct ImageRow {
    QCheckBox* box = nullptr;
    QLabel* path = nullptr;
    QPushButton* browse = nullptr;
  };

  bool eventFilter(QObject* watched, QEvent* event) override;
  void OnFolderLeft();
  void BuildFolderRow(QFormLayout* form);
  ImageRow BuildImageRow(QFormLayout* form, Image image);
  void BuildRangeAndQuality(QFormLayout* form);
  void BrowseFolder();
  void ShowImageRow(Image image, bool on);
  void BrowseImage(Image image);
  void CommitRange(RangeEnd which);
  void CommitQuality();
  void BuildWebPageRow(QFormLayout* form);
  void RegenerateLadders();
  ImageRow& Row(Image image) { return image == Image::Title ? title_ : end_; }

  InputCatalog& catalog_;
  SettingsStore& store_;
  Notifier& notifier_;
  QLineEdit* folder_ = nullptr;
  ImageRow title_;
  ImageRow end_;
  QLineEdit* rangeBegin_ = nullptr;
  QLineEdit* rangeEnd_ = nullptr;
  QSlider* quality_ = nullptr;
  QCheckBox* webPage_ = nullptr;
  // Set while a check shows its message and takes the focus back: the edit
  // losing the focus meanwhile is not checked.
  bool checking_ = false;
  // The edit was left by a mouse press: its check waits for the release.
  bool waitingForRelease_ = false;
};

}  // namespace zq48
