#include "codecs/ppmd/PpmdCoder.h"

#include <cstring>

namespace qel::ppmd {
namespace {

// A binary context's escape seeds InitEsc, the escape count of a context that grows from
// binary to two symbols: the likelier the escape was, the larger.
constexpr uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

// A binary probability moves 1/128 of the way towards the outcome.
unsigned BinMean(unsigned p) { return (p + (1u << (kPeriodBits - 2))) >> kPeriodBits; }
uint16_t AfterHit(unsigned p) { return uint16_t(p + (1u << kIntBits) - BinMean(p)); }
uint16_t AfterMiss(unsigned p) { return uint16_t(p - BinMean(p)); }

// Symbols already excluded by a longer context: 0 for those, 0xFF for the rest, so that
// `Freq & mask` counts only the rest.
struct TMask {
  uint8_t Bits[256];
  void Reset() { std::memset(Bits, 0xFF, sizeof Bits); }
  void ExcludeAll(const TState* s, unsigned count) {
    for (unsigned k = 0; k < count; ++k) Bits[s[k].Symbol] = 0;
  }
};

}  // namespace

void EncodeSymbol(TPpmdModel& m, TRangeEncoder& rc, int symbol) {
  TMask mask;
  TContext* c = m.MinContext;
  if (c->NumStats != 0) {
    TState* s = m.Stats(c);
    if (s->Symbol == symbol) {
      rc.Encode(0, s->Freq, c->SummFreq);
      m.FoundState = s;
      m.UpdateFirst();
      return;
    }
    m.PrevSuccess = 0;
    uint32_t sum = s->Freq;
    for (unsigned i = c->NumStats; i; --i) {
      if ((++s)->Symbol == symbol) {
        rc.Encode(sum, s->Freq, c->SummFreq);
        m.FoundState = s;
        m.UpdateOther();
        return;
      }
      sum += s->Freq;
    }
    mask.Reset();
    mask.ExcludeAll(m.Stats(c), c->NumStats + 1u);
    rc.Encode(sum, c->SummFreq - sum, c->SummFreq);
  } else {
    uint16_t& p = m.BinProbability();
    TState* s = c->OneState();
    if (s->Symbol == symbol) {
      rc.EncodeBit0(p);
      p = AfterHit(p);
      m.FoundState = s;
      m.UpdateBinary();
      return;
    }
    rc.EncodeBit1(p);
    p = AfterMiss(p);
    m.InitEsc = kExpEscape[p >> 10];
    mask.Reset();
    mask.Bits[s->Symbol] = 0;
    m.PrevSuccess = 0;
  }

  for (;;) {
    const unsigned masked = m.MinContext->NumStats;
    // Suffixes with no symbol beyond those excluded are passed over without a code.
    do {
      ++m.OrderFall;
      if (!m.MinContext->Suffix) return;  // the end mark escaped from the root
      m.MinContext = m.Suffix(m.MinContext);
    } while (m.MinContext->NumStats == masked);

    uint32_t escFreq;
    TSee* see = m.MakeEscFreq(masked, escFreq);
    TState* s = m.Stats(m.MinContext);
    uint32_t sum = 0;
    for (unsigned i = m.MinContext->NumStats + 1u; i; --i, ++s) {
      if (s->Symbol == symbol) {
        const uint32_t low = sum;
        TState* found = s;
        for (; i; --i, ++s) sum += s->Freq & mask.Bits[s->Symbol];
        rc.Encode(low, found->Freq, sum + escFreq);
        see->Update();
        m.FoundState = found;
        m.UpdateAfterEscape();
        return;
      }
      sum += s->Freq & mask.Bits[s->Symbol];
      mask.Bits[s->Symbol] = 0;
    }
    rc.Encode(sum, escFreq, sum + escFreq);
    see->Summ = uint16_t(see->Summ + sum + escFreq);
  }
}

int DecodeSymbol(TPpmdModel& m, TRangeDecoder& rc) {
  TMask mask;
  TContext* c = m.MinContext;
  if (c->NumStats != 0) {
    TState* s = m.Stats(c);
    const uint32_t count = rc.Threshold(c->SummFreq);
    uint32_t hiCnt = s->Freq;
    if (count < hiCnt) {
      rc.Decode(0, s->Freq);
      m.FoundState = s;
      const uint8_t symbol = s->Symbol;
      m.UpdateFirst();
      return symbol;
    }
    m.PrevSuccess = 0;
    for (unsigned i = c->NumStats; i; --i) {
      if ((hiCnt += (++s)->Freq) > count) {
        rc.Decode(hiCnt - s->Freq, s->Freq);
        m.FoundState = s;
        const uint8_t symbol = s->Symbol;
        m.UpdateOther();
        return symbol;
      }
    }
    if (count >= c->SummFreq) return kDataError;
    rc.Decode(hiCnt, c->SummFreq - hiCnt);
    mask.Reset();
    mask.ExcludeAll(m.Stats(c), c->NumStats + 1u);
  } else {
    uint16_t& p = m.BinProbability();
    if (rc.BitThreshold() < p) {
      rc.Decode(0, p);
      p = AfterHit(p);
      m.FoundState = c->OneState();
      const uint8_t symbol = m.FoundState->Symbol;
      m.UpdateBinary();
      return symbol;
    }
    rc.Decode(p, (1u << kBinBits) - p);
    p = AfterMiss(p);
    m.InitEsc = kExpEscape[p >> 10];
    mask.Reset();
    mask.Bits[c->OneState()->Symbol] = 0;
    m.PrevSuccess = 0;
  }

  for (;;) {
    const unsigned masked = m.MinContext->NumStats;
    do {
      ++m.OrderFall;
      if (!m.MinContext->Suffix) return kEndMark;
      m.MinContext = m.Suffix(m.MinContext);
    } while (m.MinContext->NumStats == masked);

    // The symbols not excluded, in list order, and their total.
    TState* candidates[256];
    const unsigned count = m.MinContext->NumStats - masked;
    uint32_t hiCnt = 0;
    TState* s = m.Stats(m.MinContext);
    for (unsigned n = 0; n != count; ++s) {
      const uint8_t bits = mask.Bits[s->Symbol];
      hiCnt += s->Freq & bits;
      candidates[n] = s;
      n += bits & 1;
    }

    uint32_t freqSum;
    TSee* see = m.MakeEscFreq(masked, freqSum);
    freqSum += hiCnt;
    const uint32_t at = rc.Threshold(freqSum);
    if (at < hiCnt) {
      TState** pick = candidates;
      for (hiCnt = 0; (hiCnt += (*pick)->Freq) <= at;) ++pick;
      s = *pick;
      rc.Decode(hiCnt - s->Freq, s->Freq);
      see->Update();
      m.FoundState = s;
      const uint8_t symbol = s->Symbol;
      m.UpdateAfterEscape();
      return symbol;
    }
    if (at >= freqSum) return kDataError;
    rc.Decode(hiCnt, freqSum - hiCnt);
    see->Summ = uint16_t(see->Summ + freqSum);
    for (unsigned n = 0; n < count; ++n) mask.Bits[candidates[n]->Symbol] = 0;
  }
}

}  // namespace qel::ppmd
