// Coding one symbol with the PPMd model: first in the current context (as a binary context's
// one symbol, or from its list), then, after each escape, among the symbols of the shorter
// contexts that were not seen in the longer ones. An escape from the root is the end mark.
#pragma once

#include "codecs/ppmd/PpmdModel.h"
#include "codecs/ppmd/PpmdRangeCoder.h"

namespace qel::ppmd {

constexpr int kEndMark = -1;
constexpr int kDataError = -2;

// `symbol` is a byte, or kEndMark.
void EncodeSymbol(TPpmdModel& model, TRangeEncoder& rc, int symbol);
// A byte, kEndMark, or kDataError for a code no encoder makes.
int DecodeSymbol(TPpmdModel& model, TRangeDecoder& rc);

}  // namespace qel::ppmd
