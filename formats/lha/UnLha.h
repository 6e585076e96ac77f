// TUnLha: extracts or tests the entries of an LHA archive. A first pass walks the headers
// from the archive's start (behind a self-extractor's program) and collects the entries the
// file filters select; a second pass decodes them in archive order. The method is chosen on
// the whole five-byte id: one the reader does not decode fails alone.
#pragma once

#include <memory>
#include <vector>

#include "codecs/lzh/Lh1Decoder.h"
#include "codecs/lzh/LzhDecoder.h"
#include "engine/extract/UnBase.h"
#include "formats/lha/LhaHeader.h"

namespace qel {

class TUnLha : public TUnBase {
 public:
  TUnLha();
  ~TUnLha() override;

 protected:
  void ExtractEntries() override;

 private:
  void Collect();
  void Decode(const lha::TLhaHeader& h);
  // Decodes the entry's data from the archive's position; false when the data is damaged.
  bool DecodeData(const lha::TLhaHeader& h, lha::TLhaMethod method);
  // The entry is passed over: counted as not processed, its end told.
  void Fail(const WideString& name);

  std::vector<lha::TLhaHeader> FEntries;
  // Made when first needed and kept for the archive's other entries.
  std::unique_ptr<TLzhDecoder> FStatic[4];  // -lh4- to -lh7-
  std::unique_ptr<TLh1Decoder> FLh1;
};

}  // namespace qel
