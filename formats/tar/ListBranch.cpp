#include "formats/tar/ListBranch.h"

#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/detect/MethodName.h"
#include "engine/list/ListSession.h"
#include "formats/tar/TarNames.h"
#include "formats/tar/TarSource.h"
#include "formats/tar/TarWalker.h"

namespace qel {

using namespace tar;

void ListTar(TListSession& s) {
  TTarSource source;
  int refusal = 0;
  if (!OpenTarSource(*s.File(), source, refusal, [&s] { return s.Cancelled(); })) {
    s.Q.DoError(s.Q.ArchiveFile(), "", refusal, "");
    return;
  }
  TTarWalker walker(*source.Input, source.Size);
  TTarMember m;
  while (!s.Cancelled()) {
    const TTarStep step = walker.Next(m);
    if (step == TTarStep::End) return;
    if (step == TTarStep::Bad) {
      s.BadHeader();
      return;
    }
    // Devices, pipes and labels are nothing a file list can show or give back.
    if (m.Kind == TTarKind::Other) continue;
    TEntryRecord e;
    e.FileName = MemberName(m);
    e.Date = UnixToDateTime(m.MTime);
    e.CRC = m.Checksum;
    e.PackedSize = e.UnpackedSize = m.Size;
    e.MethodName = MethodName(atTar, 0, 0);
    if (m.Kind == TTarKind::Folder) e.ExternalAttr = 0x10;
    s.Report(e, m.Start, uint64_t(m.Size), false);
  }
}

}  // namespace qel
