#pragma once

#include <QStringList>
#include <QWidget>

class QTreeWidget;

namespace zq48 {

class Application;
class Notifier;

// Stands in for the file list view until it exists: the files of the job in
// the order they will be encoded. Files come in through the add-files dialog
// (or AddFiles), are probed and get their default volume and simple ladder,
// exactly as the list view will do it; the column layout is read from and
// kept in the settings.
class FileListPane : public QWidget {
  Q_OBJECT

 public:
  // At most this many rows.
  static constexpr int kMaxRows = 1001;

  FileListPane(Application& app, Notifier& notifier, QWidget* parent = nullptr);
  // Keeps the column widths for the next start.
  ~FileListPane() override;

  // The add-files dialog; it stays open until closed, each "&Add" adding files.
  void OpenAddDialog();
  // Adds what the list accepts of the paths, in order; returns how many.
  int AddFiles(const QStringList& paths);
  void DeleteSelected();
  void DeleteAll();
  int Count() const;

 signals:
  // The list got its first row (true) or lost its last one (false).
  void hasItemsChanged(bool hasItems);
  void hasSelectionChanged(bool hasSelection);

 private:
  void BuildColumns();
  bool Accepts(const QString& path) const;
  bool AddOne(const QString& path);
  void AddRow(const QString& path);
  void RememberInputFolder(const QString& folder);

  Application& app_;
  Notifier& notifier_;
  QTreeWidget* list_ = nullptr;
};

// A few lines on what a media file holds, for the file dialog's preview.
QString DescribeMedia(const QString& path, bool movieFilesAvailable);

}  // namespace zq48
