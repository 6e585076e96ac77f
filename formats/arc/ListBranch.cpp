#include "formats/arc/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/arc/ArcHeader.h"

namespace qel {

using namespace arc;

void ListArc(TListSession& s) {
  const TReadAt readAt = s.Reader();
  TArcFolders folders;
  int64_t pos = std::max<int64_t>(s.StartOffset, 0);
  TArcRecord r;
  while (!s.Cancelled()) {
    const THeaderRead read = ReadArcRecord(readAt, s.FileSize, pos, r);
    if (read == THeaderRead::End) return;
    if (read == THeaderRead::Bad) {
      s.BadHeader();
      return;
    }
    pos = r.Next;
    TEntryRecord e;
    e.FileName = folders.NameOf(r);
    const TFolderStep step = folders.Apply(r);
    if (step == TFolderStep::TooDeep) {
      s.BadHeader();
      return;
    }
    if (r.Method == kCloseFolder) continue;
    e.Date = DosDateTimeToDateTime(r.DosTime);
    e.Method = r.Method;
    TMethodContext ctx;
    ctx.IsDirectory = r.Method == kOpenFolder;
    e.MethodName = MethodName(s.Q.ArcType(), e.Method, 0, ctx);
    if (step == TFolderStep::Applied) {
      // The folder's sizes are those of its contents, which are listed on their own.
      e.FileName += '/';
      e.ExternalAttr = 0x10;
      s.Report(e, r.Position, 0, false);
      continue;
    }
    e.CRC = r.Crc;
    e.PackedSize = r.Packed;
    e.UnpackedSize = r.Unpacked;
    e.Ratio = CalcRatio(r.Unpacked, r.Packed);
    s.Report(e, r.Position, r.Packed, false);
  }
}

}  // namespace qel
