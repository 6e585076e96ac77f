#include "formats/rar/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "formats/rar/RarListing.h"

namespace qel {

using namespace unrar;

void ListRar(TListSession& s) {
  const TUnrarLibrary lib = BindUnrar();
  if (!lib.Available) {
    s.Q.DoError(s.Q.ArchiveFile(), "", msg::RarLibraryNotFound, "");
    return;
  }
  WalkRarListing(lib, s.Q, s.Q.ArchiveFile(), [&](const TRarListed& e) {
    const RARHeaderDataEx& h = *e.Header;
    TEntryRecord r;
    r.FileName = e.Name;
    r.Date = e.UnixTime < 0 ? 0 : UnixToDateTime(e.UnixTime);
    r.CRC = h.FileCRC;
    r.Encrypted = h.Flags & RHDF_ENCRYPTED;
    r.PackedSize = int64_t(e.Packed);
    r.UnpackedSize = int64_t(e.Unpacked);
    r.Ratio = CalcRatio(e.Unpacked, e.Packed);
    r.Method = uint16_t(h.Method);
    TMethodContext ctx;
    ctx.IsDirectory = e.Directory;
    r.MethodName = MethodName(s.Q.ArcType(), r.Method, 0, ctx);
    r.ExternalAttr = e.Attr;
    r.VersionMadeBy = uint16_t((h.HostOS << 8) | (h.UnpVer & 0xFF));
    r.VersionNeeded = uint16_t(h.UnpVer);
    r.VolumeName = e.Volume;
    s.Report(r, 0, e.Packed, false);
    return !s.Cancelled();
  });
}

}  // namespace qel
