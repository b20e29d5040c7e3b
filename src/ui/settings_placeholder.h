#pragma once

#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;

namespace zq48 {

struct EncodeSettings;

// Stands in for the settings pages until they exist: the destination folder
// a job writes to (checked when Encode is pressed) and, for information,
// the simple ladder settings the program started with.
class SettingsPlaceholder : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsPlaceholder(const EncodeSettings& settings, QWidget* parent = nullptr);

  // The destination folder as the user typed it.
  std::string DestinationText() const;
  void SetDestinationText(const std::string& folder);
  // Shows the settings again, after a check has changed them.
  void ShowSettings();

 private:
  const EncodeSettings& settings_;
  QLineEdit* destination_ = nullptr;
  QLabel* ladder_ = nullptr;
};

}  // namespace zq48
