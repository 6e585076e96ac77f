// The status bar's totals: of the selected rows or of the whole listing.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "app/core/ShellItem.h"

namespace vk::app {

struct TTotals {
  int Count = 0;
  int64_t Packed = 0;
  int64_t Unpacked = 0;
  int Ratio = 0;
};

// Count = every selected row, folder rows included; the sizes are summed over the selected
// file rows only, as a folder row stands for no bytes of its own.
TTotals SelectionTotals(const std::vector<const TShellItem*>& selected);
// Count = every row; the sizes are the archive's totals as its lister or library reported
// them. A library that reports none (both 0 while there are rows) gets the sums over the
// file rows instead.
TTotals ListingTotals(const std::vector<TShellItem*>& rows, int64_t packedTotal,
                      int64_t unpackedTotal);
// The five panel texts: type, count, packed, unpacked, ratio. The type panel stays empty
// without rows.
QStringList TotalsPanels(const TTotals& totals, const QString& typeName);

}  // namespace vk::app
