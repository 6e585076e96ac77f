#include "formats/packed/ListBranch.h"

#include <sys/stat.h>

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "engine/packed/GzipHeader.h"
#include "engine/packed/PackedNames.h"
#include "engine/text/EntryNames.h"

namespace qel {

void ListPacked(TListSession& s) {
  uint8_t head[4] = {};
  if (!s.ReadAt(0, head, std::min<int64_t>(s.FileSize, sizeof head))) return;
  const TPackedKind kind = PackedKindOf(head, s.FileSize);
  struct stat st {};
  int64_t time = ::stat(s.Q.ArchiveFile().c_str(), &st) == 0 ? int64_t(st.st_mtime) : 0;
  TEntryRecord e;
  std::string stored;
  TMethodContext ctx;
  if (kind == TPackedKind::Bzip2) {
    e.Method = uint16_t(head[3] - '0');
    e.PackedSize = e.UnpackedSize = std::max<int64_t>(s.FileSize - 10, 0);
  } else {
    gzip::TGzipHeader h;
    if (!gzip::ReadGzipHeader(
            [&s](int64_t at, uint8_t* data, int64_t n) { return s.ReadAt(at, data, n); },
            s.FileSize, 0, h)) {
      s.BadHeader();
      return;
    }
    ctx.GZipMagic = h.Magic;
    stored = text::DecodeEntryName(h.Name, text::TNameCodePage::Ansi);
    uint8_t trailer[8];
    const bool hasTrailer = h.Magic == gzip::kGzip || h.Magic == gzip::kOldGzip;
    if (hasTrailer && s.FileSize >= h.DataAt + 8 && s.ReadAt(s.FileSize - 8, trailer, 8)) {
      e.Method = h.Method;
      e.PackedSize = s.FileSize - 8;
      e.UnpackedSize = GetU32(trailer + 4);
      e.CRC = GetU32(trailer);
      e.Encrypted = (h.Flags & gzip::kEncrypted) != 0;
      if (h.MTime != 0) time = h.MTime;
    } else {
      // `compress` and the rest keep no size: the third byte stands for the method.
      e.Method = s.FileSize > 2 ? head[2] : 0;
      e.PackedSize = e.UnpackedSize = std::max<int64_t>(s.FileSize - 10, 0);
    }
  }
  e.FileName = UnpackedName(kind, stored, s.Q.ArchiveFile());
  e.Date = UnixToDateTime(time);
  e.Ratio = CalcRatio(uint64_t(e.UnpackedSize), uint64_t(e.PackedSize));
  e.MethodName = MethodName(s.Q.ArcType(), e.Method, 0, ctx);
  s.Report(e, 0, uint64_t(e.PackedSize), false);
}

}  // namespace qel
