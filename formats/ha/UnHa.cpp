#include "formats/ha/UnHa.h"

#include <algorithm>

#include "codecs/io/StoredCopy.h"
#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/detect/MethodName.h"

namespace qel {

using namespace ha;

int64_t TUnHa::Collect(std::vector<THaEntry>& entries) {
  const TReadAt readAt = HeaderReadAt();
  const int64_t fileSize = ArchiveStream()->Size();
  const int64_t base = std::max<int64_t>(HeaderOffset(), 0);
  const std::optional<uint16_t> count = HaEntryCount(readAt, base);
  if (!count) {
    DoError(ArchiveFile(), "", msg::BadFileHeader, "");
    return 0;
  }
  int64_t packedTotal = 0;
  THaEntry e;
  int64_t pos = base + kArchiveHeader;
  for (uint16_t i = 0; i < *count && !Cancel(); ++i, pos = e.Next) {
    const THeaderRead r = ReadHaEntry(readAt, fileSize, pos, e);
    if (r != THeaderRead::Ok) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      break;
    }
    if (!MatchesSpec(EntryName(e))) continue;
    NoteEntryDate(UnixToDosDateTime(e.UnixTime));
    packedTotal += e.Packed;
    entries.push_back(e);
  }
  return packedTotal;
}

void TUnHa::Decode(const THaEntry& e) {
  const std::string stored = EntryName(e);
  TUnEntry entry;
  entry.StoredName = stored;
  entry.PackedSize = e.Packed;
  entry.UnpackedSize = e.Unpacked;
  entry.UnixTime = e.UnixTime;
  entry.DosDateTime = UnixToDosDateTime(e.UnixTime);
  const bool folder = e.Method == kFolder;
  if (!BuildOutputName(entry) || !PrepareEntry(folder) || folder) return;
  if (e.Method != kStored) {
    DoError(stored, MethodName(ArcType(), e.Method, 0), msg::UnsupportedMethod, "");
    PassOver(OutputName());
    return;
  }
  DecodeEntry(e.DataStart, TCrcWidth::crc32, e.Crc, &CopyStored);
}

}  // namespace qel
