#include "app/core/EntrySort.h"

#include <algorithm>
#include <utility>

#include "app/core/ColumnFormat.h"

namespace vk::app {

namespace {

// Each row's key is taken once, beside its pointer: comparing keys held in one array is
// many times faster than following two pointers and folding two names' case on every one
// of the few million comparisons a list of 200,000 rows needs.
template <typename Key, typename KeyOf>
void SortByKey(std::vector<TShellItem*>& rows, bool ascending, KeyOf keyOf) {
  std::vector<std::pair<Key, TShellItem*>> keyed;
  keyed.reserve(rows.size());
  for (TShellItem* row : rows) keyed.emplace_back(keyOf(*row), row);
  std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
    return ascending ? a.first < b.first : b.first < a.first;
  });
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].second;
}

// Texts compare ignoring case: ordinal order of the case-folded texts.
template <typename Field>
void SortByText(std::vector<TShellItem*>& rows, bool ascending, Field field) {
  SortByKey<QString>(rows, ascending,
                     [field](const TShellItem& row) { return (row.*field).toCaseFolded(); });
}

template <typename Field>
void SortByNumber(std::vector<TShellItem*>& rows, bool ascending, Field field) {
  using Number = std::remove_cvref_t<decltype(std::declval<TShellItem>().*field)>;
  SortByKey<Number>(rows, ascending, [field](const TShellItem& row) { return row.*field; });
}

}  // namespace

void SortShellItems(std::vector<TShellItem*>& rows, int column, bool ascending, bool foldersFirst) {
  switch (column) {
    case colFileType:
      SortByText(rows, ascending, &TShellItem::FileType);
      break;
    case colModified:
      SortByNumber(rows, ascending, &TShellItem::Modified);
      break;
    case colSize:
      SortByNumber(rows, ascending, &TShellItem::Size);
      break;
    case colRatio:
      SortByNumber(rows, ascending, &TShellItem::Ratio);
      break;
    case colPacked:
      SortByNumber(rows, ascending, &TShellItem::Packed);
      break;
    case colCRC:
      // Eight hex digits of equal length order like the numbers; a folder row shows no CRC,
      // and the empty text comes before every other.
      SortByKey<int64_t>(rows, ascending, [](const TShellItem& row) {
        return row.IsFolder() ? int64_t(-1) : int64_t(row.CRC);
      });
      break;
    case colAttributes:
      SortByText(rows, ascending, &TShellItem::Attributes);
      break;
    case colFolder:
      SortByText(rows, ascending, &TShellItem::Folder);
      break;
    default:
      SortByText(rows, ascending, &TShellItem::Name);
      break;
  }
  if (foldersFirst)
    std::stable_partition(rows.begin(), rows.end(),
                          [](const TShellItem* item) { return item->IsFolder(); });
}

}  // namespace vk::app
