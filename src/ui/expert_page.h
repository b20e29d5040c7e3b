#pragma once

#include <QString>
#include <QWidget>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace zq48 {

class FilterTable;
class InputCatalog;
class Notifier;
struct OutputFilter;
struct RangeAndCrop;

// The page on which the user edits the variant list of one file by hand:
// the fields of one variant, the list of the file's variants, and Add,
// Del, Change and Restore. The first hand edit makes the file's list custom,
// so that changes of the simple settings leave it alone; Restore makes it
// simple again.
class ExpertPage : public QWidget {
  Q_OBJECT

 public:
  ExpertPage(InputCatalog& catalog, Notifier& notifier, QWidget* parent = nullptr);

  const std::string& CurrentFile() const { return path_; }
  // The page's volume factor: 1 plus the slider's percentage.
  float VolumeFactor() const;
  // The page's frame rate, as the slider or the edit last set it.
  double FrameRate() const { return frameRate_; }
  FilterTable& Table() { return *table_; }

 public slots:
  // The file whose variants the page shows; empty, or a file the catalog
  // does not hold, shows none.
  void SelectFile(const QString& path);
  // Shows the current file's variants again and selects the last one.
  void Refresh();
  void Add();
  void Delete();
  void Change();
  void Restore();

 private:
  void BuildFields();
  void BuildButtons();
  void ConnectFrameRate();
  void FillFrom(int row);
  void ShowRangeAndCrop(const RangeAndCrop& values);
  RangeAndCrop TypedRangeAndCrop() const;
  void ShowVolume(int percent);
  void SetFrameRate(double rate);
  void OnFrameRateStep(int action);
  void OnFrameRateEdited();
  double SourceRate() const;
  int AudioBitRate() const;
  bool HasSameFilter(int width, int height, double rate, int totalKbps, int audioKbps) const;
  void WriteAudio(OutputFilter& filter) const;

  InputCatalog& catalog_;
  Notifier& notifier_;
  std::string path_;
  double frameRate_ = 0;

  QLineEdit* width_ = nullptr;
  QLineEdit* height_ = nullptr;
  QSlider* rateSlider_ = nullptr;
  QLabel* sourceRate_ = nullptr;
  QLineEdit* rateEdit_ = nullptr;
  QLineEdit* dataRate_ = nullptr;
  QComboBox* audioRate_ = nullptr;
  QSlider* volume_ = nullptr;
  QLabel* volumeText_ = nullptr;
  QLineEdit* begin_ = nullptr;
  QLineEdit* end_ = nullptr;
  QLineEdit* left_ = nullptr;
  QLineEdit* right_ = nullptr;
  QLineEdit* top_ = nullptr;
  QLineEdit* bottom_ = nullptr;
  QLabel* caption_ = nullptr;
  FilterTable* table_ = nullptr;
};

// The volume slider's text: "-20% scale volume".
QString VolumeText(int percent);

}  // namespace zq48
