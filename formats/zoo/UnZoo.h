// TUnZoo: extracts or tests the entries of a ZOO archive. The walk over the chain of
// directory entries leaves out the versions marked deleted.
#pragma once

#include <memory>
#include <vector>

#include "codecs/lzh/LzhDecoder.h"
#include "engine/extract/UnCollected.h"
#include "formats/zoo/ZooHeader.h"

namespace qel {

class TUnZoo : public TUnCollected<zoo::TZooEntry> {
 public:
  TUnZoo();
  ~TUnZoo() override;

 protected:
  int64_t Collect(std::vector<zoo::TZooEntry>& entries) override;
  void Decode(const zoo::TZooEntry& e) override;

 private:
  std::unique_ptr<TLzhDecoder> FLzh;  // made when first needed
};

}  // namespace qel
