// TUnARJ: extracts or tests the entries of an ARJ archive, volume by volume: each volume's
// headers are read first and the entries the file filters select recorded, then decoded in
// archive order. A file split over volumes is written to one output, piece after piece; it
// passes only when every piece came and the whole matches the pieces' CRCs.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codecs/lzh/LzhDecoder.h"
#include "engine/extract/UnBase.h"
#include "formats/arj/ArjGarble.h"
#include "formats/arj/ArjHeader.h"

namespace qel {

class TUnARJ : public TUnBase {
 public:
  TUnARJ();
  ~TUnARJ() override;

 protected:
  void ExtractEntries() override;
  // A piece never runs past its volume's end: a volume cut short is damaged, not a reason
  // to read on into the next one. The reader moves between volumes itself.
  bool OpenNextVolume() override { return false; }
  WideString NextVolumeName() override;

 private:
  // The entry whose pieces are being written: its output stays open from volume to volume.
  struct TOpenEntry {
    std::string Name;      // as stored
    WideString Shown;      // as reported
    uint64_t Written = 0;  // bytes of the whole file so far
    uint32_t Crc = 0;      // the CRC the whole file must have, from the pieces' CRCs
    bool Intact = true;
    std::string Password;
  };

  // Records the entries of the volume open now; false when it holds no ARJ volume.
  bool Collect(std::vector<arj::TArjHeader>& entries, bool& continues);
  void Begin(const arj::TArjHeader& h);
  void Continue(const arj::TArjHeader& h);
  // Ends the entry after its last piece: the verdict over the whole file.
  void Close();
  // Ends the entry whose next piece never came.
  void Abandon();
  // Decodes one piece from its data start; false when it is damaged.
  bool DecodePiece(const arj::TArjHeader& h, const std::string& password);

  int FVolume = 0;  // counts the volumes read, from 0
  std::optional<TOpenEntry> FOpen;
  std::string FSkipping;  // the stored name of an entry passed over, whose pieces go with it
  arj::TArjGarble FGarble;
  std::unique_ptr<TLzhDecoder> FLzh;  // made when first needed
};

}  // namespace qel
