#pragma once

#include <QString>
#include <QWidget>
#include <string>

class QTabWidget;

namespace zq48 {

class Application;
class ExpertPage;
class Notifier;
class SimplePage;

// The settings pane (the program calls it CInfoViewer): the "Simple" and
// "Expert" pages on two tabs. Ctrl+Tab and Ctrl+Shift+Tab go round the tabs.
class SettingsView : public QWidget {
  Q_OBJECT

 public:
  SettingsView(Application& app, Notifier& notifier, QWidget* parent = nullptr);

  SimplePage& Simple() { return *simple_; }
  ExpertPage& Expert() { return *expert_; }
  QTabWidget& Tabs() { return *tabs_; }

  // The destination folder as typed on the Simple page.
  std::string DestinationText() const;
  void SetDestinationText(const std::string& folder);
  // Shows the simple settings again after a check has changed them.
  void ShowSettings();

 public slots:
  // The file whose variants the Expert page shows (the first one selected
  // in the file list); empty for none.
  void SelectFile(const QString& path);
  // Shows the current file's variants again, after the file list changed
  // its options or removed it.
  void Refresh();

 private:
  void StepTab(int by);

  QTabWidget* tabs_ = nullptr;
  SimplePage* simple_ = nullptr;
  ExpertPage* expert_ = nullptr;
};

}  // namespace zq48
