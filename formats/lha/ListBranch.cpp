#include "formats/lha/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/lha/LhaHeader.h"

namespace qel {

using namespace lha;

void ListLha(TListSession& s) {
  const TReadAt readAt = s.Reader();
  const TArcType type = s.Q.ArcType();
  int64_t pos = std::max<int64_t>(s.StartOffset, 0);
  TLhaHeader h;
  while (!s.Cancelled()) {
    const THeaderRead r = ReadLhaHeader(readAt, s.FileSize, pos, h);
    if (r == THeaderRead::End) return;
    if (r == THeaderRead::Bad) {
      s.BadHeader();
      return;
    }
    pos = h.Next;
    // Links are never made from an archive, so they are not listed either.
    if (h.IsLink()) continue;
    TEntryRecord e;
    e.FileName = EntryName(h);
    // Level 2 and 3 headers always hold Unix time, whatever system made them.
    e.Date = h.UnixTime >= 0 ? UnixToDateTime(h.UnixTime) : DosDateTimeToDateTime(h.DosTime);
    e.CRC = h.Crc;
    e.PackedSize = int64_t(h.Packed);
    e.UnpackedSize = int64_t(h.Unpacked);
    e.Ratio = CalcRatio(h.Unpacked, h.Packed);
    e.ExternalAttr = h.Attr;
    // The "-lh?-" methods by the method table's names; other ids (LArc's, PMarc's) as
    // they stand.
    const TLhaMethod kind = h.Kind();
    const bool lh = h.Method[1] == 'l' && h.Method[2] == 'h';
    e.Method = lh ? uint8_t(h.Method[3]) : 0xFF;
    TMethodContext ctx;
    ctx.IsDirectory = kind == TLhaMethod::Folder;
    e.MethodName =
        lh || ctx.IsDirectory ? MethodName(type, e.Method, 0, ctx) : std::string(h.Method, 5);
    if (kind == TLhaMethod::Folder) e.ExternalAttr |= 0x10;
    s.Report(e, h.Position, h.Packed, false);
  }
}

}  // namespace qel
