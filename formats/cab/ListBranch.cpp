#include "formats/cab/ListBranch.h"

#include <algorithm>

#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/detect/MethodName.h"
#include "engine/list/ListSession.h"
#include "formats/cab/CabSet.h"

namespace qel {

using namespace cab;

void ListCab(TListSession& s) {
  const TReadAt readAt = s.Reader();
  TCabinetPart first{s.Q.ArchiveFile(), std::max<int64_t>(s.StartOffset, 0), {}};
  if (!ReadCabHeader(readAt, s.FileSize, first.Base, first.Header)) {
    s.BadHeader();
    return;
  }
  // Files whose data began in a cabinet before this one are that cabinet's to list.
  if (std::any_of(first.Header.Files.begin(), first.Header.Files.end(),
                  [](const TCabFileRecord& f) { return f.FromPrevious(); }))
    s.Q.DoError(first.Path, "", msg::CabinetNeedsFirstDisk, "");
  TCabSet set(s.Q, std::move(first));
  do {
    const TCabHeader& h = set.Current().Header;
    for (const TCabFileRecord& f : h.Files) {
      if (s.Cancelled()) return;
      if (f.FromPrevious()) continue;
      TEntryRecord e;
      e.FileName = EntryName(f.Name, f.Attributes);
      e.Date = DosDateTimeToDateTime(f.DosDateTime());
      e.UnpackedSize = f.Size;
      e.ExternalAttr = f.DosAttributes();
      e.Method = h.CompressionOf(f);
      TMethodContext ctx;
      ctx.IsDirectory = f.Attributes & kAttrFolder;
      e.MethodName = MethodName(s.Q.ArcType(), e.Method, 0, ctx);
      e.VolumeName = set.Current().Path;
      s.Report(e, f.Position, 0, false);
    }
  } while ((set.Current().Header.Flags & kHasNext) && !s.Cancelled() && set.Next());
}

}  // namespace qel
