#include "app/core/EntrySearch.h"

#include <algorithm>

namespace vk::app {

namespace {

// Matches the caption as shown ("name+" for an encrypted entry) without building it.
bool StartsWith(const TShellItem& item, QStringView typed) {
  if (item.Name.startsWith(typed, Qt::CaseInsensitive)) return true;
  return item.Encrypted && typed.size() == item.Name.size() + 1 && typed.endsWith(u'+') &&
         item.Name.compare(typed.chopped(1), Qt::CaseInsensitive) == 0;
}

}  // namespace

int FindEntry(const std::vector<TShellItem*>& rows, const QString& typed, int startRow, bool wrap) {
  const int count = int(rows.size());
  const int start = std::clamp(startRow, 0, count);
  for (int i = start; i < count; ++i)
    if (StartsWith(*rows[i], typed)) return i;
  if (wrap)
    for (int i = 0; i < start; ++i)
      if (StartsWith(*rows[i], typed)) return i;
  return -1;
}

}  // namespace vk::app
