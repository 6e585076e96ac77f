// The rows of an entry list: a table model over the main window's entry list, whose row
// index is the index into that list. Texts, icons and colours are made only for the rows a
// view asks for, so an archive of hundreds of thousands of entries opens at once.
#pragma once

#include <QAbstractTableModel>
#include <QLocale>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/core/ShellItem.h"
#include "app/gui/FileIcons.h"

namespace vk::gui {

class TEntryModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TEntryModel(QObject* parent = nullptr);

  // Replaces the rows; the records stay owned by the caller and must outlive them.
  void SetRows(std::vector<app::TShellItem*> rows);
  const std::vector<app::TShellItem*>& Rows() const { return rows_; }
  // The record behind a row; null for a row beyond the list.
  app::TShellItem* EntryAt(int row) const;
  // Sorts the rows by a column (folder rows first with `foldersFirst`); views keep their
  // selection of records.
  void Sort(int column, bool ascending, bool foldersFirst);

  void SetColoredItems(bool on);
  // Whether names may be edited in place: the archive shown can be renamed in.
  void SetRenamable(bool on) { renamable_ = on; }
  // Called for the rows a drag takes out of the list.
  std::function<QMimeData*(const QModelIndexList&)> MakeDragData;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // A translated column caption.
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                     int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // An edited name is handed on (NameEdited); the row keeps its record until the archive is
  // listed again.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  QStringList mimeTypes() const override;
  Qt::DropActions supportedDragActions() const override;

 signals:
  // `path` is the row's stored path (StoredPathOf).
  void NameEdited(const QString& path, const QString& name);

 private:
  std::vector<app::TShellItem*> rows_;
  mutable TFileIcons icons_;
  QStringList captions_;
  QLocale locale_;
  bool colored_ = false;
  bool renamable_ = false;
};

}  // namespace vk::gui
