// TFormProperties: the facts of the open archive (page ArchiveFile, with its ratio as a bar)
// or of one entry of it (page Selected). Only the page asked for is shown.
#pragma once

#include <QDialog>
#include <map>

#include "app/core/ShellItem.h"

class QLabel;
class QTabWidget;

namespace vk::gui {

class TRarBar;

class TFormProperties : public QDialog {
  Q_OBJECT

 public:
  explicit TFormProperties(QWidget* parent = nullptr);

  // Page ArchiveFile for the archive file `path` holding `files` files saving `ratio` percent.
  void ShowArchive(const QString& path, int files, int ratio);
  // Page Selected for one row of the entry list.
  void ShowEntry(const app::TShellItem& item);

  // The text shown for a row, by its key ("FileSize", "Packed"...).
  QString Value(const QString& name) const;
  int BarProgress() const;

 private:
  QWidget* Page(const QString& name, const std::vector<std::pair<QString, QString>>& rows);
  void Set(const QString& name, const QString& text);
  void ShowPage(QWidget* page);

  QTabWidget* pages_ = nullptr;
  QWidget* archivePage_ = nullptr;
  QWidget* entryPage_ = nullptr;
  TRarBar* bar_ = nullptr;
  std::map<QString, QLabel*> values_;
};

}  // namespace vk::gui
