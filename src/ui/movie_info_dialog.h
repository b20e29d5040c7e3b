#pragma once

#include <QDialog>
#include <string>

#include "ui/movie_info_texts.h"

class QFormLayout;
class QLineEdit;

namespace zq48 {

class InputCatalog;

// "Movie information": what the probe learned of one file, in three groups
// (movie, video track, audio track) of read-only fields. Each field has an
// object name (fileName, dataSize, ..., audioDecompressor) for tests.
class MovieInfoDialog : public QDialog {
  Q_OBJECT

 public:
  explicit MovieInfoDialog(const MovieInfoTexts& texts, QWidget* parent = nullptr);

  // The text of the field with that object name.
  QString Field(const char* name) const;

 private:
  QLineEdit* AddField(QFormLayout* form, const char* label, const char* name,
                      const std::string& text);
};

// The video codec name of a file: the one cached in the catalog, else read
// from the file and cached when there is one. A file that cannot be read is
// tried again next time.
std::string CachedVideoCodecName(InputCatalog& catalog, const std::string& path);

// Shows the dialog for a listed file and waits until it is closed.
void ShowMovieInformation(QWidget* parent, InputCatalog& catalog, const std::string& path);

}  // namespace zq48
