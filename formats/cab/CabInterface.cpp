#include "formats/cab/CabInterface.h"

#include <algorithm>

#include "formats/cab/CabinetWriter.h"

namespace qel {

using cab::TCabMethod;

uint16_t TCabInterface::CompressionWord() const {
  using enum TCompressMethod;
  switch (CompressMethod()) {
    case cmMsZip:
      return cab::CompressionWord(TCabMethod::MsZip);
    case cmLzx:
      return cab::CompressionWord(TCabMethod::Lzx, LzxLevel());
    case cmQuantum:
      if (QuantumType == TQuantumType::ctLzx)
        return cab::CompressionWord(TCabMethod::Lzx, std::max(QuantumMemory(), 15));
      return cab::CompressionWord(TCabMethod(QuantumType));
    default:
      return cab::CompressionWord(TCabMethod::None);
  }
}

}  // namespace qel
