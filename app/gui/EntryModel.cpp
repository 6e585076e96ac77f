#include "app/gui/EntryModel.h"

#include <QColor>
#include <QFont>

#include "app/core/ArchiveRename.h"
#include "app/core/ColumnFormat.h"
#include "app/core/EntrySort.h"
#include "app/core/MarkedNames.h"

namespace vk::gui {

TEntryModel::TEntryModel(QObject* parent) : QAbstractTableModel(parent) {
  for (int column = 0; column < app::kColumnCount; ++column)
    captions_ << app::DefaultColumnCaption(column);
}

void TEntryModel::SetRows(std::vector<app::TShellItem*> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

app::TShellItem* TEntryModel::EntryAt(int row) const {
  return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)] : nullptr;
}

void TEntryModel::Sort(int column, bool ascending, bool foldersFirst) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<const app::TShellItem*> held;
  held.reserve(size_t(before.size()));
  for (const QModelIndex& index : before) held.push_back(EntryAt(index.row()));
  app::SortShellItems(rows_, column, ascending, foldersFirst);
  // Selections and the current row follow their records to the new places.
  QHash<const app::TShellItem*, int> place;
  if (!before.isEmpty())
    for (size_t row = 0; row < rows_.size(); ++row) place.insert(rows_[row], int(row));
  QModelIndexList after;
  for (qsizetype i = 0; i < before.size(); ++i)
    after << index(place.value(held[size_t(i)], -1), before[i].column());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TEntryModel::SetColoredItems(bool on) {
  if (colored_ == on) return;
  colored_ = on;
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int TEntryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int TEntryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : app::kColumnCount;
}

QVariant TEntryModel::data(const QModelIndex& index, int role) const {
  app::TShellItem* item = EntryAt(index.row());
  if (!item) return {};
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return column == app::colName ? item->Caption() : app::ColumnText(*item, column, locale_);
    case Qt::EditRole:
      return column == app::colName ? QVariant(item->Name) : QVariant();
    case Qt::DecorationRole:
      if (column == app::colName) {
        if (item->ImageIndex < 0) item->ImageIndex = icons_.IndexFor(*item);
        return icons_.At(item->ImageIndex);
      }
      if (column == app::colFolder && !item->Folder.isEmpty()) return icons_.FolderIcon();
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(app::ColumnAlignment(column) | Qt::AlignVCenter);
    case Qt::ForegroundRole:
    case Qt::FontRole: {
      if (!colored_ || item->IsFolder()) return {};
      const app::TNameKind kind = app::NameKind(item->Name);
      if (kind != app::TNameKind::Readme && kind != app::TNameKind::Setup) return {};
      if (role == Qt::ForegroundRole)
        return kind == app::TNameKind::Readme ? QColor(0xFF, 0x80, 0x00) : QColor(0x00, 0x80, 0xFF);
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    default:
      return {};
  }
}

QVariant TEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= captions_.size()) return {};
  if (role == Qt::DisplayRole) return captions_[section];
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(app::ColumnAlignment(section) | Qt::AlignVCenter);
  return {};
}

bool TEntryModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                int role) {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= captions_.size())
    return false;
  captions_[section] = value.toString();
  emit headerDataChanged(orientation, section, section);
  return true;
}

Qt::ItemFlags TEntryModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const Qt::ItemFlags editable =
      renamable_ && index.column() == app::colName ? Qt::ItemIsEditable : Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
         Qt::ItemNeverHasChildren | editable;
}

bool TEntryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  const app::TShellItem* item = EntryAt(index.row());
  if (role != Qt::EditRole || !item || index.column() != app::colName) return false;
  const QString name = value.toString();
  if (name != item->Name) emit NameEdited(app::StoredPathOf(*item), name);
  return false;
}

QMimeData* TEntryModel::mimeData(const QModelIndexList& indexes) const {
  return MakeDragData ? MakeDragData(indexes) : nullptr;
}

QStringList TEntryModel::mimeTypes() const { return {QStringLiteral("text/uri-list")}; }

Qt::DropActions TEntryModel::supportedDragActions() const {
  return Qt::MoveAction | Qt::CopyAction;
}

}  // namespace vk::gui
