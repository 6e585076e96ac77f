#include "formats/arc/UnArc.h"

#include <algorithm>

#include "codecs/arc/ArcDecoder.h"
#include "engine/base/Messages.h"

namespace qel {

using namespace arc;

namespace {

constexpr uint32_t kArchiveAttribute = 0x20;

int MessageOf(TArcDecodeError why) {
  switch (why) {
    case TArcDecodeError::InvalidTree:
      return msg::InvalidDecodeTree;
    case TArcDecodeError::BadBitCount:
      return msg::IncorrectNumberOfBits;
    case TArcDecodeError::StackOverflow:
      return msg::StackOverflow;
    default:
      return 0;
  }
}

}  // namespace

int64_t TUnArc::Collect(std::vector<TArcEntry>& entries) {
  const TReadAt readAt = HeaderReadAt();
  const int64_t fileSize = ArchiveStream()->Size();
  TArcFolders folders;
  int64_t packedTotal = 0;
  int64_t pos = std::max<int64_t>(HeaderOffset(), 0);
  TArcRecord r;
  while (!Cancel()) {
    const THeaderRead read = ReadArcRecord(readAt, fileSize, pos, r);
    if (read == THeaderRead::End) break;
    if (read == THeaderRead::Bad) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      break;
    }
    pos = r.Next;
    const TFolderStep step = folders.Apply(r);
    if (step == TFolderStep::TooDeep) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      break;
    }
    if (step == TFolderStep::Applied) continue;
    std::string name = folders.NameOf(r);
    if (!MatchesSpec(name)) continue;
    NoteEntryDate(r.DosTime);
    packedTotal += r.Packed;
    entries.push_back({r, std::move(name)});
  }
  return packedTotal;
}

void TUnArc::Decode(const TArcEntry& e) {
  const TArcRecord& r = e.Record;
  TUnEntry entry;
  entry.StoredName = e.Name;
  entry.PackedSize = r.Packed;
  entry.UnpackedSize = r.Unpacked;
  entry.DosDateTime = r.DosTime;
  entry.ExternalAttr = kArchiveAttribute;
  if (!BuildOutputName(entry) || !PrepareEntry(false)) return;
  if (!ArcMethodDecoded(r.Method)) {
    DoError(e.Name, std::to_string(r.Method), msg::UnsupportedMethod, "");
    PassOver(OutputName());
    return;
  }
  DecodeEntry(r.DataStart, TCrcWidth::crc16, r.Crc,
              [&](const TCodecSource& source, const TCodecSink& sink) {
                TArcDecodeError why = TArcDecodeError::None;
                const TDecodeResult result = DecodeArc(r.Method, source, sink, r.Unpacked, &why);
                if (const int code = MessageOf(why)) DoError(e.Name, "", code, "");
                return result;
              });
}

}  // namespace qel
