// The writer's method settings: each kept within what the format allows, and the folder
// compression word they make ("Quantum" writes what its type names, never Quantum data).
#include <gtest/gtest.h>

#include "formats/cab/CabinetWriter.h"
#include "formats/cab/MakeCab.h"

namespace qel {
namespace {

using enum TCompressMethod;

TEST(MakeCabSettings, ClampsAndCompressionWords) {
  const struct {
    TCompressMethod method;
    int lzx, quantumLevel, quantumMemory;
    TQuantumType quantumType;
    uint16_t word;
  } rows[] = {
      {cmStore, 21, 7, 21, TQuantumType::ctMsZip, 0x0000},
      {cmMsZip, 21, 7, 21, TQuantumType::ctMsZip, 0x0001},
      {cmLzx, 21, 7, 21, TQuantumType::ctMsZip, 0x1503},
      {cmLzx, 30, 7, 21, TQuantumType::ctMsZip, 0x1503},  // kept at 21
      {cmLzx, 3, 7, 21, TQuantumType::ctMsZip, 0x0F03},   // raised to 15
      {cmQuantum, 21, 0, 5, TQuantumType::ctMsZip, 0x0001},
      {cmQuantum, 21, 7, 21, TQuantumType::ctStore, 0x0000},
      {cmQuantum, 21, 7, 18, TQuantumType::ctLzx, 0x1203},
      {cmQuantum, 21, 7, 5, TQuantumType::ctLzx, 0x0F03},  // memory 10 is no LZX window
  };
  for (const auto& r : rows) {
    TMakeCab cab;
    ASSERT_TRUE(cab.SetCompressMethod(r.method));
    cab.SetLzxLevel(r.lzx);
    cab.SetQuantumLevel(r.quantumLevel);
    cab.SetQuantumMemory(r.quantumMemory);
    cab.QuantumType = r.quantumType;
    EXPECT_EQ(cab.CompressionWord(), r.word) << int(r.method) << " " << r.lzx;
    EXPECT_TRUE(cab::CanWrite(cab.CompressionWord()));
    EXPECT_GE(cab.QuantumLevel(), 1);
    EXPECT_GE(cab.QuantumMemory(), 10);
  }
}

}  // namespace
}  // namespace qel
