#include "formats/tar/TarSource.h"

#include "engine/base/Messages.h"
#include "engine/streams/Stream.h"

namespace qel {

bool OpenTarSource(TStream64& file, TTarSource& source, int& refusal,
                   std::function<bool()> cancelled) {
  source = TTarSource();
  refusal = msg::BadFileHeader;
  uint8_t head[4] = {};
  if (PackedKindOf(head, file.ReadAt(0, head, sizeof head)) != TPackedKind::None) {
    source.Packed = OpenPacked(file, refusal);
    source.Input = source.Packed.get();
    if (!source.Packed) return false;
    source.Packed->Cancelled = std::move(cancelled);
    return true;
  }
  if (!file.SetPosition(0)) return false;
  source.Input = &file;
  source.Size = file.Size();
  return true;
}

int PackedFault(TTarSource& source) {
  if (!source.Packed) return 0;
  source.Input->Seek(INT64_MAX / 2, TSeekOrigin::soCurrent);
  switch (source.Packed->State()) {
    case TPackedState::Intact:
      return 0;
    case TPackedState::Truncated:
      return msg::UnexpectedEndOfFile;
    default:
      return msg::CrcCheckFailed;
  }
}

}  // namespace qel
