#include "formats/arj/ListBranch.h"

#include <optional>

#include "codecs/checksum/Crc.h"
#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "engine/streams/FileStream32.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/arj/ArjHeader.h"

namespace qel {

using namespace arj;

namespace {

// A listed entry, held back while its pieces go on in the next volume.
struct TPending {
  TEntryRecord Entry;
  std::string Stored;  // the name as stored, which its later pieces repeat
  int64_t Offset = 0;
};

TPending EntryOf(const TArjHeader& h, TArcType type, const WideString& volume) {
  TPending p;
  p.Stored = h.Name;
  p.Offset = h.Position;
  TEntryRecord& e = p.Entry;
  e.FileName = EntryName(h);
  e.Date = h.FromUnix() ? UnixToDateTime(h.UnixTime()) : DosDateTimeToDateTime(h.DosTime());
  e.CRC = h.Crc;
  e.PackedSize = h.Packed;
  e.UnpackedSize = h.Unpacked;
  e.Encrypted = h.Flags & kGarbled;
  e.Method = h.Method;
  TMethodContext ctx;
  ctx.IsDirectory = h.FileType == ftDirectory;
  e.MethodName = MethodName(type, e.Method, 0, ctx);
  e.ExternalAttr = h.FromUnix() ? 0 : h.AccessMode & 0xFF;
  if (ctx.IsDirectory) e.ExternalAttr |= 0x10;
  e.VolumeName = volume;
  return p;
}

}  // namespace

void ListArj(TListSession& s) {
  const TReadAt readAt = s.Reader();
  std::optional<TPending> pending;
  const auto report = [&] {
    TEntryRecord& e = pending->Entry;
    e.Ratio = CalcRatio(uint64_t(e.UnpackedSize), uint64_t(e.PackedSize));
    s.Report(e, pending->Offset, uint64_t(e.PackedSize), false);
    pending.reset();
  };
  WideString volume = s.Q.ArchiveFile();
  int64_t pos = std::max<int64_t>(s.StartOffset, 0);
  for (int index = 1;; ++index) {
    TArjHeader h;
    if (ReadArjHeader(readAt, s.FileSize, pos, true, h) != THeaderRead::Ok) {
      s.BadHeader();
      break;
    }
    const bool continues = h.Flags & kVolume;
    pos = h.Next;
    for (;;) {
      if (s.Cancelled()) return;
      const THeaderRead r = ReadArjHeader(readAt, s.FileSize, pos, false, h);
      if (r == THeaderRead::End) break;
      if (r == THeaderRead::Bad) {
        s.BadHeader();
        if (pending) report();
        return;
      }
      pos = h.Next;
      if (h.FileType == ftVolumeLabel || h.FileType == ftChapterLabel) continue;
      if ((h.Flags & kContinued) && pending && pending->Stored == h.Name) {
        TEntryRecord& e = pending->Entry;
        e.PackedSize += h.Packed;
        e.UnpackedSize += h.Unpacked;
        e.CRC = Crc32Combine(e.CRC, h.Crc, h.Unpacked);
      } else {
        if (pending) report();
        pending = EntryOf(h, s.Q.ArcType(), volume);
      }
      if (!(h.Flags & kVolume)) report();
    }
    if (!continues) break;
    WideString next = NextNumberedVolume(volume, s.Q.ArcType() == atArjExe ? 'e' : 'a');
    if (!s.Q.RequestNextVolume(next, index)) break;
    std::unique_ptr<TFileStream32> file = TFileStream32::Open(next, fmOpenRead);
    if (!file) {
      s.Q.DoError(next, "", msg::ErrorOpeningFile, "");
      break;
    }
    s.UseFile(std::move(file));
    volume = next;
    pos = 0;
  }
  if (pending) report();
}

}  // namespace qel
