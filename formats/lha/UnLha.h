// TUnLha: extracts or tests the entries of an LHA archive. A first pass walks the headers
// from the archive's start (behind a self-extractor's program) and collects the entries the
// file filters select; a second pass decodes them in archive order. The method is chosen on
// the whole five-byte id: one the reader does not decode fails alone.
#pragma once

#include <memory>
#include <vector>

#include "codecs/lzh/Lh1Decoder.h"
#include "codecs/lzh/LzhDecoder.h"
#include "engine/extract/UnCollected.h"
#include "formats/lha/LhaHeader.h"

namespace qel {

class TUnLha : public TUnCollected<lha::TLhaHeader> {
 public:
  TUnLha();
  ~TUnLha() override;

 protected:
  int64_t Collect(std::vector<lha::TLhaHeader>& entries) override;
  void Decode(const lha::TLhaHeader& h) override;

 private:
  // Decodes the entry's data from the archive's position; false when the data is damaged.
  bool DecodeData(const lha::TLhaHeader& h, lha::TLhaMethod method);

  // Made when first needed and kept for the archive's other entries.
  std::unique_ptr<TLzhDecoder> FStatic[4];  // -lh4- to -lh7-
  std::unique_ptr<TLh1Decoder> FLh1;
};

}  // namespace qel
