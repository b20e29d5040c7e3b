#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QLabel;

namespace zq48 {

// Qt's form of a filter entry: "Media files (*.avi *.mpg)" from a label and
// a pattern list written "*.avi;*.mpg;".
QString NameFilter(const QString& label, const QString& patterns);

// The places the file dialog's places bar offers, top to bottom.
enum class Place { History, Documents, Desktop, Favourites, WebFolders };
inline constexpr int kPlaceCount = 5;

// The folder a place opens. History is where the user last added files from
// (the home folder before that); the others are the user's XDG folders:
// documents, desktop, videos and the public share.
QString PlaceFolder(Place place, const QString& lastInputFolder);

// The file dialog for input files and images: the file browser with a
// places bar on its left and a preview of the current file on its right.
// In Add mode its "&Add" button hands each selection over and the dialog
// stays open, so that files can be added from several folders; Cancel
// closes it. In Open mode its "&Open" button ends it with the selection.
// Several files can be selected in both.
class BXFileDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { Add, Open };

  BXFileDialog(Mode mode, const QString& title, const QStringList& nameFilters,
               const QString& lastInputFolder, QWidget* parent = nullptr);

  // What the preview shows for a file that is not a picture (none: nothing).
  void SetDescriber(std::function<QString(const QString& path)> describe);

  // Open mode, after the dialog was accepted: the chosen files.
  QStringList SelectedFiles() const;
  // The folder the browser shows.
  QString Folder() const;
  QFileDialog& Browser() { return *browser_; }

  // The picture dialog of the settings pages: the chosen files, none when cancelled.
  static QStringList GetImageFiles(QWidget* parent, const QString& lastInputFolder);

 signals:
  // Add mode, each press of "&Add": the folder shown and the full paths chosen.
  void filesAdded(const QString& folder, const QStringList& paths);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* MakePlacesBar();
  QWidget* MakePreview();
  void GoTo(Place place);
  void ShowPreview(const QString& path);

  Mode mode_;
  QString lastInputFolder_;
  QFileDialog* browser_ = nullptr;
  QButtonGroup* places_ = nullptr;
  QCheckBox* previewOn_ = nullptr;
  QLabel* preview_ = nullptr;
  std::function<QString(const QString&)> describe_;
  QStringList selected_;
};

}  // namespace zq48
