#include "engine/packed/PackedEntry.h"

#include <sys/stat.h>

#include "engine/packed/GzipHeader.h"
#include "engine/packed/PackedNames.h"
#include "engine/streams/Stream.h"
#include "engine/text/EntryNames.h"

namespace qel {

bool DescribePacked(TStream64& file, const std::string& fileName, TPackedEntry& e) {
  e = TPackedEntry();
  const int64_t size = file.Size();
  uint8_t head[4] = {};
  const int64_t got = file.ReadAt(0, head, sizeof head);
  e.Kind = PackedKindOf(head, got);
  struct stat st {};
  e.UnixTime = ::stat(fileName.c_str(), &st) == 0 ? int64_t(st.st_mtime) : 0;
  bool read = true;
  std::string stored;
  if (e.Kind == TPackedKind::Bzip2) {
    e.Method = uint16_t(head[3] - '0');
  } else {
    gzip::TGzipHeader h;
    read = gzip::ReadGzipHeader(file.ExactReader(), size, 0, h);
    e.Magic = h.Magic;
    e.Flags = h.Flags;
    e.Method = got > 2 ? head[2] : 0;
    if (read) {
      stored = text::DecodeEntryName(h.Name, text::TNameCodePage::Ansi);
      if (h.MTime != 0) e.UnixTime = h.MTime;
    }
    uint8_t trailer[8];
    e.HasTrailer = read && (h.Magic == gzip::kGzip || h.Magic == gzip::kOldGzip) &&
                   size >= h.DataAt + 8 && file.ReadExactAt(size - 8, trailer, 8);
    if (e.HasTrailer) {
      e.Crc = GetU32(trailer);
      e.Length = GetU32(trailer + 4);
      e.Method = h.Method;
    }
  }
  e.Name = UnpackedName(e.Kind, stored, fileName);
  return read;
}

}  // namespace qel
