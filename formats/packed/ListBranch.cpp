#include "formats/packed/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "engine/packed/GzipHeader.h"
#include "engine/packed/PackedEntry.h"

namespace qel {

void ListPacked(TListSession& s) {
  TPackedEntry packed;
  if (!DescribePacked(*s.File(), s.Q.ArchiveFile(), packed)) {
    s.BadHeader();
    return;
  }
  TEntryRecord e;
  e.FileName = packed.Name;
  e.Method = packed.Method;
  if (packed.HasTrailer) {
    e.PackedSize = s.FileSize - 8;
    e.UnpackedSize = packed.Length;
    e.CRC = packed.Crc;
    e.Encrypted = (packed.Flags & gzip::kEncrypted) != 0;
  } else {
    // BZIP2 and `compress` keep no size.
    e.PackedSize = e.UnpackedSize = std::max<int64_t>(s.FileSize - 10, 0);
  }
  e.Date = UnixToDateTime(packed.UnixTime);
  e.Ratio = CalcRatio(uint64_t(e.UnpackedSize), uint64_t(e.PackedSize));
  TMethodContext ctx;
  ctx.GZipMagic = packed.Magic;
  e.MethodName = MethodName(s.Q.ArcType(), e.Method, 0, ctx);
  s.Report(e, 0, uint64_t(e.PackedSize), false);
}

}  // namespace qel
