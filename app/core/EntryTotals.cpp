#include "app/core/EntryTotals.h"

#include "app/core/ColumnFormat.h"
#include "app/core/Translation.h"
#include "engine/list/EntryText.h"

namespace vk::app {

namespace {

template <typename Rows>
TTotals SumFiles(const Rows& rows) {
  TTotals totals;
  totals.Count = int(rows.size());
  for (const TShellItem* item : rows) {
    if (item->IsFolder()) continue;
    totals.Packed += item->Packed;
    totals.Unpacked += item->Size;
  }
  return totals;
}

TTotals WithRatio(TTotals totals) {
  // Negative sums cannot come from a sound listing; they count as no saving.
  totals.Ratio = totals.Packed < 0 || totals.Unpacked < 0
                     ? 0
                     : qel::CalcRatio(uint64_t(totals.Unpacked), uint64_t(totals.Packed));
  return totals;
}

}  // namespace

TTotals SelectionTotals(const std::vector<const TShellItem*>& selected) {
  return WithRatio(SumFiles(selected));
}

TTotals ListingTotals(const std::vector<TShellItem*>& rows, int64_t packedTotal,
                      int64_t unpackedTotal) {
  if (packedTotal == 0 && unpackedTotal == 0) return WithRatio(SumFiles(rows));
  TTotals totals;
  totals.Count = int(rows.size());
  totals.Packed = packedTotal;
  totals.Unpacked = unpackedTotal;
  return WithRatio(totals);
}

QStringList TotalsPanels(const TTotals& totals, const QString& typeName) {
  return {totals.Count < 1 ? QString() : Message(490) + u' ' + typeName,
          Message(500) + u' ' + QString::number(totals.Count),
          Message(510) + u' ' + FormatThousands(totals.Packed),
          Message(520) + u' ' + FormatThousands(totals.Unpacked),
          Message(530) + u' ' + QString::number(totals.Ratio) + u'%'};
}

}  // namespace vk::app
