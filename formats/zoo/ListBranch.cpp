#include "formats/zoo/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/zoo/ZooHeader.h"

namespace qel {

using namespace zoo;

void ListZoo(TListSession& s) {
  const TReadAt readAt = s.Reader();
  std::optional<int64_t> pos =
      ReadZooArchiveHeader(readAt, s.FileSize, std::max<int64_t>(s.StartOffset, 0));
  if (!pos) {
    s.BadHeader();
    return;
  }
  TZooEntry z;
  while (!s.Cancelled()) {
    const THeaderRead r = ReadZooEntry(readAt, s.FileSize, *pos, z);
    if (r == THeaderRead::End) return;
    if (r == THeaderRead::Bad) {
      s.BadHeader();
      return;
    }
    pos = z.Next;
    if (z.Deleted) continue;
    TEntryRecord e;
    e.FileName = EntryName(z);
    e.Date = DosDateTimeToDateTime(z.DosTime);
    e.CRC = z.Crc;
    e.PackedSize = z.Packed;
    e.UnpackedSize = z.Unpacked;
    e.Ratio = CalcRatio(z.Unpacked, z.Packed);
    e.Method = z.Method;
    e.MethodName = MethodName(s.Q.ArcType(), e.Method, 0, {});
    s.Report(e, z.Position, z.Packed, false);
  }
}

}  // namespace qel
