#include "formats/ha/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/ha/HaHeader.h"

namespace qel {

using namespace ha;

void ListHa(TListSession& s) {
  const TReadAt readAt = [&s](int64_t at, uint8_t* data, int64_t size) {
    return s.ReadAt(at, data, size);
  };
  const int64_t base = std::max<int64_t>(s.StartOffset, 0);
  if (!IsHaArchive(readAt, base)) {
    s.BadHeader();
    return;
  }
  THaEntry h;
  for (int64_t pos = base + kArchiveHeader; !s.Cancelled(); pos = h.Next) {
    const THeaderRead r = ReadHaEntry(readAt, s.FileSize, pos, h);
    if (r == THeaderRead::End) return;
    if (r == THeaderRead::Bad) {
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
