#include "formats/ha/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/ha/HaHeader.h"

namespace qel {

using namespace ha;

void ListHa(TListSession& s) {
  const TReadAt readAt = s.Reader();
  const int64_t base = std::max<int64_t>(s.StartOffset, 0);
  const std::optional<uint16_t> count = HaEntryCount(readAt, base);
  if (!count) {
    s.BadHeader();
    return;
  }
  THaEntry h;
  int64_t pos = base + kArchiveHeader;
  for (uint16_t i = 0; i < *count && !s.Cancelled(); ++i, pos = h.Next) {
    const THeaderRead r = ReadHaEntry(readAt, s.FileSize, pos, h);
    if (r != THeaderRead::Ok) {
      s.BadHeader();
      return;
    }
    TEntryRecord e;
    e.FileName = EntryName(h);
    e.Date = UnixToDateTime(h.UnixTime);
    e.CRC = h.Crc;
    e.PackedSize = h.Packed;
    e.UnpackedSize = h.Unpacked;
    e.Ratio = CalcRatio(h.Unpacked, h.Packed);
    e.Method = h.Method;
    e.MethodName = MethodName(s.Q.ArcType(), e.Method, 0);
    if (h.Method == kFolder) e.ExternalAttr = 0x10;
    s.Report(e, h.Position, h.Packed, false);
  }
}

}  // namespace qel
