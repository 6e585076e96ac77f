#include "formats/ace/ListBranch.h"

#include <algorithm>

#include "engine/base/DateTime.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/ace/AceHeader.h"

namespace qel {

using namespace ace;

void ListAce(TListSession& s) {
  const TReadAt read = s.Reader();
  int64_t pos = ReadAceMain(read, s.FileSize, std::max<int64_t>(s.StartOffset, 0));
  if (pos < 0) {
    s.BadHeader();
    return;
  }
  TAceFile f;
  for (THeaderRead r; (r = ReadAceFile(read, s.FileSize, pos, f)) != THeaderRead::End;) {
    if (r == THeaderRead::Bad) {
      s.BadHeader();
      return;
    }
    if (s.Cancelled()) return;
    const int64_t at = pos;
    pos = f.Next;
    // The rest of a file begun in the volume before is that file, listed there.
    if (f.SplitBefore()) continue;
    TEntryRecord e;
    e.FileName = f.Name + (f.Directory() && !f.Name.ends_with('/') ? "/" : "");
    e.Date = DosDateTimeToDateTime(f.DosTime);
    e.CRC = f.Crc;
    e.Encrypted = f.Encrypted();
    e.PackedSize = int64_t(f.Packed);
    e.UnpackedSize = int64_t(f.Unpacked);
    e.Ratio = CalcRatio(f.Unpacked, f.Packed);
    e.Method = f.Quality;
    TMethodContext ctx;
    ctx.IsDirectory = f.Directory();
    e.MethodName = MethodName(s.Q.ArcType(), e.Method, 0, ctx);
    e.ExternalAttr = f.Attr & 0xFFFF;
    e.VolumeName = s.Q.ArchiveFile();
    s.Report(e, at, f.Packed, false);
  }
}

}  // namespace qel
