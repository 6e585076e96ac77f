#include "formats/bh/ListBranch.h"

#include <algorithm>

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/bh/BhHeader.h"

namespace qel {

using namespace bh;

void ListBh(TListSession& s) {
  const TReadAt readAt = s.Reader();
  int64_t pos = std::max<int64_t>(s.StartOffset, 0);
  TBhHeader h;
  while (!s.Cancelled()) {
    const THeaderRead r = ReadBhHeader(readAt, s.FileSize, pos, h);
    if (r == THeaderRead::End) return;
    if (r == THeaderRead::Bad) {
      s.BadHeader();
      return;
    }
    pos = h.Next;
    TEntryRecord e;
    e.FileName = EntryName(h);
    e.Date = DosDateTimeToDateTime(h.DosTime);
    e.CRC = h.Crc;
    e.Encrypted = h.Encrypted();
    e.PackedSize = h.DataSize();
    e.UnpackedSize = h.Unpacked;
    e.Ratio = CalcRatio(h.Unpacked, h.DataSize());
    e.Method = h.Method;
    TMethodContext ctx;
    ctx.IsDirectory = e.FileName.ends_with('/');
    e.MethodName = MethodName(s.Q.ArcType(), e.Method, h.Flags, ctx);
    e.ExternalAttr = h.Attr | (ctx.IsDirectory ? 0x10 : 0);
    s.Report(e, h.Position, h.Packed, false);
  }
}

}  // namespace qel
