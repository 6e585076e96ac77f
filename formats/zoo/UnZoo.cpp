#include "formats/zoo/UnZoo.h"

#include <algorithm>

#include "codecs/io/StoredCopy.h"
#include "codecs/lzw/ZooLzw.h"
#include "engine/base/Messages.h"

namespace qel {

using namespace zoo;

namespace {

enum TZooMethod : uint8_t { zmStored, zmLzw, zmLzh };

}  // namespace

TUnZoo::TUnZoo() = default;
TUnZoo::~TUnZoo() = default;

int64_t TUnZoo::Collect(std::vector<TZooEntry>& entries) {
  const TReadAt readAt = HeaderReadAt();
  const int64_t fileSize = ArchiveStream()->Size();
  std::optional<int64_t> pos =
      ReadZooArchiveHeader(readAt, fileSize, std::max<int64_t>(HeaderOffset(), 0));
  if (!pos) {
    DoError(ArchiveFile(), "", msg::BadFileHeader, "");
    return 0;
  }
  int64_t packedTotal = 0;
  TZooEntry e;
  while (!Cancel()) {
    const THeaderRead r = ReadZooEntry(readAt, fileSize, *pos, e);
    if (r == THeaderRead::End) break;
    if (r == THeaderRead::Bad) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      break;
    }
    pos = e.Next;
    if (e.Deleted || !MatchesSpec(EntryName(e))) continue;
    NoteEntryDate(e.DosTime);
    packedTotal += e.Packed;
    entries.push_back(e);
  }
  return packedTotal;
}

void TUnZoo::Decode(const TZooEntry& e) {
  const std::string stored = EntryName(e);
  TUnEntry entry;
  entry.StoredName = stored;
  entry.PackedSize = e.Packed;
  entry.UnpackedSize = e.Unpacked;
  entry.DosDateTime = e.DosTime;
  if (e.UnixMode) {
    entry.ExternalAttr = uint32_t(*e.UnixMode) << 16;
    entry.HostSystem = 3;
  }
  if (!BuildOutputName(entry) || !PrepareEntry(false)) return;
  if (e.Method > zmLzh) {
    DoError(stored, std::to_string(e.Method), msg::UnsupportedMethod, "");
    PassOver(OutputName());
    return;
  }
  DecodeEntry(e.DataStart, TCrcWidth::crc16, e.Crc,
              [&](const TCodecSource& source, const TCodecSink& sink) {
                switch (e.Method) {
                  case zmStored:
                    return CopyStored(source, sink);
                  case zmLzw:
                    return ZooLzw(source, sink, e.Unpacked);
                  default:
                    if (!FLzh) FLzh = std::make_unique<TLzhDecoder>(kLh5);
                    return FLzh->Decode(source, sink, e.Unpacked);
                }
              });
}

}  // namespace qel
