// TCabInterface: what a cabinet writer is told besides the files: the method's settings,
// each kept within what the format allows, and the compression word they make.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/compress/CompBase.h"

namespace qel {

// What a "Quantum" cabinet really holds: Quantum itself is never written.
enum class TQuantumType : uint8_t { ctStore = 0, ctMsZip = 1, ctLzx = 3 };

class TCabInterface : public TCompBase {
 public:
  using TCompBase::TCompBase;

  int LzxLevel() const { return FLzxLevel; }
  void SetLzxLevel(int bits) { FLzxLevel = std::clamp(bits, 15, 21); }
  TQuantumType QuantumType = TQuantumType::ctMsZip;
  int QuantumLevel() const { return FQuantumLevel; }
  void SetQuantumLevel(int level) { FQuantumLevel = std::clamp(level, 1, 7); }
  int QuantumMemory() const { return FQuantumMemory; }
  void SetQuantumMemory(int bits) { FQuantumMemory = std::clamp(bits, 10, 21); }
  // Kept for callers that set it; an incompressible block is always stored, never a failure.
  bool FailOnIncompressible = true;

  // The folder compression word for CompressMethod: the method in bits 0-3, an LZX window
  // in bits 8-12. "Quantum" writes what QuantumType names; with LZX its memory setting is the
  // window, raised to LZX's smallest (15) where it is below.
  uint16_t CompressionWord() const;

 private:
  int FLzxLevel = 21;
  int FQuantumLevel = 7;
  int FQuantumMemory = 21;
};

}  // namespace qel
