#include "formats/tar/TarSource.h"

#include "engine/streams/Stream.h"

namespace qel {

bool OpenTarSource(TStream64& file, TTarSource& source, int& refusal) {
  source = TTarSource();
  refusal = 0;
  uint8_t head[4] = {};
  if (PackedKindOf(head, file.ReadAt(0, head, sizeof head)) != TPackedKind::None) {
    source.Packed = OpenPacked(file, refusal);
    source.Input = source.Packed.get();
    return source.Packed != nullptr;
  }
  if (!file.SetPosition(0)) return false;
  source.Input = &file;
  source.Size = file.Size();
  return true;
}

}  // namespace qel
