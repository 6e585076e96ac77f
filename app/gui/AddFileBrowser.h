// The Add Files dialog's file browser: a folder box over a list of the folder's folders and
// files, in report view (name, size, type, date) or list view, with One Level Up. The list
// follows changes on disk. Names starting with "." are hidden, as file managers do, until
// Ctrl+H shows them.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "app/core/AddChoices.h"

class QComboBox;
class QFileSystemModel;
class QListView;
class QStackedWidget;
class QToolButton;
class QTreeView;

namespace vk::gui {

class TShellSortModel;

class TAddFileBrowser : public QWidget {
  Q_OBJECT

 public:
  explicit TAddFileBrowser(QWidget* parent = nullptr);

  // Shows `folder`; false, and nothing changes, when it is not a folder.
  bool SetFolder(const QString& folder);
  QString Folder() const { return folder_; }

  // Every row in list order, each with whether it is selected. The rows of a folder are
  // read in the background, so they arrive after SetFolder.
  std::vector<app::TBrowserItem> Items() const;

  void SetReportView(bool report);
  bool ReportView() const;
  void SetShowHidden(bool show);
  bool ShowHidden() const;

  // A click on a column header: sorts by that column, ascending on the first click and the
  // other way on each further one. Folders come before files, descending reverses it all.
  void SortByColumn(int column);

  std::array<int, 4> ColumnWidths() const;
  void SetColumnWidths(const std::array<int, 4>& widths);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillFolderBox();

  QString folder_;
  QComboBox* folderBox_ = nullptr;
  QToolButton* list_ = nullptr;
  QToolButton* report_ = nullptr;
  QStackedWidget* views_ = nullptr;
  QTreeView* reportView_ = nullptr;
  QListView* listView_ = nullptr;
  QFileSystemModel* files_ = nullptr;
  TShellSortModel* sorted_ = nullptr;
  Qt::SortOrder order_ = Qt::DescendingOrder;  // so that the first click sorts ascending
};

}  // namespace vk::gui
