// The PPMd variant I (revision 1) context model: contexts of up to MaxOrder preceding bytes,
// each with the symbols seen after it and their counts; binary contexts (one symbol) coded
// through adaptive probabilities; escapes estimated from secondary statistics (SEE). The
// model updates itself after every symbol exactly as the published algorithm does, since the
// decoder must rebuild the coder's model bit for bit.
#pragma once

#include <cstdint>

#include "codecs/ppmd/PpmdMemory.h"

namespace qel::ppmd {

constexpr unsigned kMinOrder = 2;
constexpr unsigned kMaxOrder = 16;
// When the memory is used up: start again from nothing, or cut the model back to what the
// most recent text still uses (writers choose this for the high orders).
enum class TRestore : uint8_t { Restart = 0, CutOff = 1 };

constexpr unsigned kIntBits = 7;
constexpr unsigned kPeriodBits = 7;
constexpr unsigned kBinScale = 1u << (kIntBits + kPeriodBits);  // binary probabilities' total
constexpr unsigned kMaxFreq = 124;

// Lives in the model's memory: packed to 6 bytes, the successor split so that it needs only
// 2-byte alignment.
struct TState {
  uint8_t Symbol;
  uint8_t Freq;
  uint16_t SuccessorLow;
  uint16_t SuccessorHigh;

  uint32_t Successor() const { return SuccessorLow | uint32_t(SuccessorHigh) << 16; }
  void SetSuccessor(uint32_t ref) {
    SuccessorLow = uint16_t(ref);
    SuccessorHigh = uint16_t(ref >> 16);
  }
};

// One unit. NumStats is the symbol count less one; a binary context (NumStats 0) keeps its
// one state in place of SummFreq and Stats.
struct TContext {
  uint8_t NumStats;
  uint8_t Flags;  // 0x04 rescaled, 0x08 a symbol >= 0x40, 0x10 reached by one
  uint16_t SummFreq;
  uint32_t Stats;
  uint32_t Suffix;

  TState* OneState() { return reinterpret_cast<TState*>(&SummFreq); }
  const TState* OneState() const { return reinterpret_cast<const TState*>(&SummFreq); }
};
static_assert(sizeof(TState) == 6 && sizeof(TContext) == kUnitSize);

// An adaptive escape estimate for contexts whose symbols were partly masked.
struct TSee {
  uint16_t Summ;
  uint8_t Shift;
  uint8_t Count;

  // The estimate taken for one coding; the sum keeps the rest.
  unsigned Mean() {
    const unsigned r = Summ >> Shift;
    Summ = uint16_t(Summ - r);
    return r + (r == 0);
  }
  void Update() {
    if (Shift < kPeriodBits && --Count == 0) {
      Summ = uint16_t(Summ << 1);
      Count = uint8_t(3 << Shift++);
    }
  }
};

class TPpmdModel {
 public:
  TPpmdModel();

  // The model's memory; kept when the size is the same as before.
  bool Allocate(uint32_t bytes) { return mem_.Allocate(bytes); }
  void Init(unsigned maxOrder, TRestore restore);

  // What the coders work with: the context the next symbol is coded in, the state of the
  // symbol just coded, and the updates that follow each kind of coding.
  TContext* MinContext = nullptr;
  TState* FoundState = nullptr;
  unsigned OrderFall = 0;
  unsigned PrevSuccess = 0;
  unsigned InitEsc = 0;

  TState* Stats(const TContext* c) const { return reinterpret_cast<TState*>(mem_.At(c->Stats)); }
  TContext* Suffix(const TContext* c) const {
    return reinterpret_cast<TContext*>(mem_.At(c->Suffix));
  }
  // The probability of the binary context MinContext's symbol, chosen by its count, the
  // suffix's size, the last coding's success, the flags and a long run of successes.
  uint16_t& BinProbability() {
    const TContext* c = MinContext;
    return binSumm_[ns2Index_[c->OneState()->Freq - 1]][ns2BinIndex_[Suffix(c)->NumStats] +
                                                        PrevSuccess + c->Flags +
                                                        ((runLength_ >> 26) & 0x20)];
  }
  // The escape estimate for MinContext after `masked` + 1 symbols were masked.
  TSee* MakeEscFreq(unsigned masked, uint32_t& escFreq);
  // After the first symbol of MinContext, another of its symbols, its binary symbol, or a
  // symbol found after escapes.
  void UpdateFirst();
  void UpdateOther();
  void UpdateBinary();
  void UpdateAfterEscape();

 private:
  TContext* Context(uint32_t ref) const { return reinterpret_cast<TContext*>(mem_.At(ref)); }
  void RestartModel();
  void Refresh(TContext* c, unsigned oldUnits, unsigned scale);
  uint32_t CutOff(TContext* c, unsigned order);
  void RestoreModel(TContext* c1);
  TContext* CreateSuccessors(bool skip, TState* s1, TContext* c);
  TContext* ReduceOrder(TState* s1, TContext* c);
  void UpdateModel();
  void Rescale();
  void NextContext();

  TPpmdMemory mem_;
  TContext* maxContext_ = nullptr;
  unsigned maxOrder_ = 0;
  TRestore restore_ = TRestore::Restart;
  int32_t runLength_ = 0;
  int32_t initRunLength_ = 0;

  uint8_t ns2BinIndex_[256];
  uint8_t ns2Index_[260];
  TSee dummySee_;
  TSee see_[24][32];
  uint16_t binSumm_[25][64];
};

}  // namespace qel::ppmd
