#include "codecs/ppmd/PpmdModel.h"

#include <algorithm>
#include <utility>

namespace qel::ppmd {
namespace {

// The binary contexts' initial escape probabilities, by the suffix's size class.
constexpr uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3,
                                     0x64A1, 0x5ABC, 0x6632, 0x6051};
// Contexts above this order whose successors were all cut off are freed.
constexpr unsigned kKeepOrder = 9;

bool HighSymbol(uint8_t symbol) { return symbol >= 0x40; }

}  // namespace

TPpmdModel::TPpmdModel() {
  ns2BinIndex_[0] = 0;
  ns2BinIndex_[1] = 2;
  std::fill(ns2BinIndex_ + 2, ns2BinIndex_ + 11, uint8_t(4));
  std::fill(ns2BinIndex_ + 11, ns2BinIndex_ + 256, uint8_t(6));
  // Symbol counts to size classes: 1-4 alone, then classes that widen by one each time.
  unsigned i = 0;
  for (; i < 5; ++i) ns2Index_[i] = uint8_t(i);
  for (unsigned m = i, left = 1; i < 260; ++i) {
    ns2Index_[i] = uint8_t(m);
    if (--left == 0) left = ++m - 4;
  }
}

void TPpmdModel::Init(unsigned maxOrder, TRestore restore) {
  maxOrder_ = maxOrder;
  restore_ = restore;
  RestartModel();
  // Stands in for the root context, whose escape is certain; it never adapts.
  dummySee_ = {0, uint8_t(kPeriodBits), 64};
}

void TPpmdModel::RestartModel() {
  mem_.Reset();
  OrderFall = maxOrder_;
  runLength_ = initRunLength_ = -int32_t(std::min(maxOrder_, 12u)) - 1;
  PrevSuccess = 0;

  // The root: every byte once.
  MinContext = maxContext_ = reinterpret_cast<TContext*>(mem_.HiUnit -= kUnitSize);
  MinContext->Suffix = 0;
  MinContext->NumStats = 255;
  MinContext->Flags = 0;
  MinContext->SummFreq = 256 + 1;
  FoundState = reinterpret_cast<TState*>(mem_.LoUnit);
  mem_.LoUnit += 256 / 2 * kUnitSize;
  MinContext->Stats = mem_.Ref(FoundState);
  for (unsigned i = 0; i < 256; ++i) {
    TState& s = FoundState[i];
    s.Symbol = uint8_t(i);
    s.Freq = 1;
    s.SetSuccessor(0);
  }

  for (unsigned i = 0, m = 0; m < 25; ++m) {
    while (ns2Index_[i] == m) ++i;
    for (unsigned k = 0; k < 8; ++k) {
      const uint16_t p = uint16_t(kBinScale - kInitBinEsc[k] / (i + 1));
      for (unsigned r = 0; r < 64; r += 8) binSumm_[m][k + r] = p;
    }
  }
  for (unsigned i = 0, m = 0; m < 24; ++m) {
    while (ns2Index_[i + 3] == m + 3) ++i;
    for (TSee& see : see_[m]) {
      see.Shift = kPeriodBits - 4;
      see.Summ = uint16_t((2 * i + 5) << see.Shift);
      see.Count = 7;
    }
  }
}

// Shrinks a context's list to its count of symbols and scales the counts down by `scale`
// bits, keeping the escape's share.
void TPpmdModel::Refresh(TContext* c, unsigned oldUnits, unsigned scale) {
  unsigned i = c->NumStats;
  auto* s = static_cast<TState*>(mem_.ShrinkUnits(Stats(c), oldUnits, (i + 2) >> 1));
  c->Stats = mem_.Ref(s);
  unsigned flags = (c->Flags & (0x10 + 0x04 * scale)) + 0x08 * HighSymbol(s->Symbol);
  unsigned escFreq = c->SummFreq - s->Freq;
  unsigned sumFreq = s->Freq = uint8_t((s->Freq + scale) >> scale);
  do {
    escFreq -= (++s)->Freq;
    sumFreq += s->Freq = uint8_t((s->Freq + scale) >> scale);
    flags |= 0x08 * HighSymbol(s->Symbol);
  } while (--i);
  c->SummFreq = uint16_t(sumFreq + ((escFreq + scale) >> scale));
  c->Flags = uint8_t(flags);
}

// Drops from the tree below `c` every context that only text references reach (those lie
// below UnitsStart) and every symbol leading nowhere; answers what is left of `c`, or 0.
uint32_t TPpmdModel::CutOff(TContext* c, unsigned order) {
  if (!c->NumStats) {
    TState* s = c->OneState();
    if (mem_.At(s->Successor()) >= mem_.UnitsStart) {
      s->SetSuccessor(order < maxOrder_ ? CutOff(Context(s->Successor()), order + 1) : 0);
      if (s->Successor() || order <= kKeepOrder) return mem_.Ref(c);
    }
    mem_.SpecialFreeUnit(c);
    return 0;
  }

  const unsigned units = (unsigned(c->NumStats) + 2) >> 1;
  c->Stats = mem_.Ref(mem_.MoveUnitsUp(Stats(c), units));
  // Symbols that lead nowhere go to the end of the list.
  TState* stats = Stats(c);
  int last = c->NumStats;
  for (int k = last; k >= 0; --k) {
    TState& s = stats[k];
    if (mem_.At(s.Successor()) < mem_.UnitsStart) {
      s.SetSuccessor(0);
      std::swap(s, stats[last--]);
    } else {
      s.SetSuccessor(order < maxOrder_ ? CutOff(Context(s.Successor()), order + 1) : 0);
    }
  }
  if (last != c->NumStats && order) {
    c->NumStats = uint8_t(last);
    TState* s = Stats(c);
    if (last < 0) {
      mem_.FreeUnits(s, units);
      mem_.SpecialFreeUnit(c);
      return 0;
    }
    if (last == 0) {
      c->Flags = uint8_t((c->Flags & 0x10) + 0x08 * HighSymbol(s->Symbol));
      *c->OneState() = *s;
      mem_.FreeUnits(s, units);
      c->OneState()->Freq = uint8_t((unsigned(c->OneState()->Freq) + 11) >> 3);
    } else {
      Refresh(c, units, c->SummFreq > 16 * last);
    }
  }
  return mem_.Ref(c);
}

// The memory ran out while the symbol just coded was being added to the contexts from
// maxContext_ down to `c1`: takes it out of them again, then restarts or cuts back.
void TPpmdModel::RestoreModel(TContext* c1) {
  mem_.Text = mem_.TextStart();
  TContext* c = maxContext_;
  for (; c != c1; c = Suffix(c)) {
    if (--c->NumStats == 0) {
      TState* s = Stats(c);
      c->Flags = uint8_t((c->Flags & 0x10) + 0x08 * HighSymbol(s->Symbol));
      *c->OneState() = *s;
      mem_.SpecialFreeUnit(s);
      c->OneState()->Freq = uint8_t((unsigned(c->OneState()->Freq) + 11) >> 3);
    } else {
      Refresh(c, (c->NumStats + 3) >> 1, 0);
    }
  }
  for (; c != MinContext; c = Suffix(c)) {
    if (!c->NumStats)
      c->OneState()->Freq = uint8_t(c->OneState()->Freq - (c->OneState()->Freq >> 1));
    else if ((c->SummFreq += 4) > 128 + 4 * c->NumStats)
      Refresh(c, (c->NumStats + 2) >> 1, 1);
  }

  if (restore_ == TRestore::Restart || mem_.UsedMemory() < (mem_.Size() >> 1)) {
    RestartModel();
    return;
  }
  while (maxContext_->Suffix) maxContext_ = Suffix(maxContext_);
  do {
    CutOff(maxContext_, 0);
    mem_.ExpandTextArea();
  } while (mem_.UsedMemory() > 3 * (mem_.Size() >> 2));
  mem_.GlueSoon();
  OrderFall = maxOrder_;
}

// Creates the chain of binary contexts for FoundState's symbol below `c`, down to where the
// suffixes already have a context for it; their one symbol is the one that followed in the
// text. Null when the memory ran out.
TContext* TPpmdModel::CreateSuccessors(bool skip, TState* s1, TContext* c) {
  const uint32_t upBranch = FoundState->Successor();
  TState* ps[kMaxOrder + 1];
  unsigned numPs = 0;
  if (!skip) ps[numPs++] = FoundState;

  while (c->Suffix) {
    c = Suffix(c);
    TState* s;
    if (s1) {
      s = std::exchange(s1, nullptr);
    } else if (c->NumStats) {
      for (s = Stats(c); s->Symbol != FoundState->Symbol; ++s) {
      }
      if (s->Freq < kMaxFreq - 9) {
        ++s->Freq;
        ++c->SummFreq;
      }
    } else {
      s = c->OneState();
      s->Freq = uint8_t(s->Freq + (!Suffix(c)->NumStats & (s->Freq < 24)));
    }
    if (s->Successor() != upBranch) {
      c = Context(s->Successor());
      if (numPs == 0) return c;
      break;
    }
    ps[numPs++] = s;
  }

  TState up;
  up.Symbol = *mem_.At(upBranch);
  up.SetSuccessor(upBranch + 1);
  const uint8_t flags =
      uint8_t(0x10 * HighSymbol(FoundState->Symbol) + 0x08 * HighSymbol(up.Symbol));
  if (c->NumStats == 0) {
    up.Freq = c->OneState()->Freq;
  } else {
    TState* s = Stats(c);
    while (s->Symbol != up.Symbol) ++s;
    const uint32_t cf = s->Freq - 1u;
    const uint32_t s0 = c->SummFreq - c->NumStats - cf;
    up.Freq = uint8_t(1 + (2 * cf <= s0 ? (5 * cf > s0) : (cf + 2 * s0 - 3) / s0));
  }

  while (numPs) {
    auto* child = static_cast<TContext*>(mem_.AllocContext());
    if (!child) return nullptr;
    child->NumStats = 0;
    child->Flags = flags;
    *child->OneState() = up;
    child->Suffix = mem_.Ref(c);
    ps[--numPs]->SetSuccessor(mem_.Ref(child));
    c = child;
  }
  return c;
}

// The symbol just coded had no successor context: points the suffixes' states for it at the
// text, down to one that has a context, and answers that context (made now if it was only
// text). Null when the memory ran out.
TContext* TPpmdModel::ReduceOrder(TState* s1, TContext* c) {
  TState* s = nullptr;
  TContext* const start = c;
  const uint32_t upBranch = mem_.Ref(mem_.Text);
  FoundState->SetSuccessor(upBranch);
  ++OrderFall;

  for (;;) {
    if (s1) {
      c = Suffix(c);
      s = std::exchange(s1, nullptr);
    } else {
      if (!c->Suffix) return c;
      c = Suffix(c);
      if (c->NumStats) {
        s = Stats(c);
        while (s->Symbol != FoundState->Symbol) ++s;
        if (s->Freq < kMaxFreq - 9) {
          s->Freq += 2;
          c->SummFreq += 2;
        }
      } else {
        s = c->OneState();
        s->Freq = uint8_t(s->Freq + (s->Freq < 32));
      }
    }
    if (s->Successor()) break;
    s->SetSuccessor(upBranch);
    ++OrderFall;
  }

  if (s->Successor() <= upBranch) {
    TState* const found = std::exchange(FoundState, s);
    TContext* successor = CreateSuccessors(false, nullptr, c);
    s->SetSuccessor(successor ? mem_.Ref(successor) : 0);
    FoundState = found;
  }
  if (OrderFall == 1 && start == maxContext_) {
    FoundState->SetSuccessor(s->Successor());
    --mem_.Text;
  }
  return s->Successor() ? Context(s->Successor()) : nullptr;
}

// Adds the symbol just coded to every context it escaped from (maxContext_ down to
// MinContext), with a count estimated from its standing in MinContext, and moves to the
// context the symbol leads to.
void TPpmdModel::UpdateModel() {
  uint32_t fSuccessor = FoundState->Successor();
  const unsigned fFreq = FoundState->Freq;
  const uint8_t fSymbol = FoundState->Symbol;
  TState* s = nullptr;

  if (FoundState->Freq < kMaxFreq / 4 && MinContext->Suffix) {
    TContext* c = Suffix(MinContext);
    if (c->NumStats == 0) {
      s = c->OneState();
      if (s->Freq < 32) ++s->Freq;
    } else {
      s = Stats(c);
      if (s->Symbol != fSymbol) {
        do ++s;
        while (s->Symbol != fSymbol);
        if (s[0].Freq >= s[-1].Freq) {
          std::swap(s[0], s[-1]);
          --s;
        }
      }
      if (s->Freq < kMaxFreq - 9) {
        s->Freq += 2;
        c->SummFreq += 2;
      }
    }
  }

  TContext* c = maxContext_;
  if (OrderFall == 0 && fSuccessor) {
    TContext* cs = CreateSuccessors(true, s, MinContext);
    if (!cs) {
      FoundState->SetSuccessor(0);
      RestoreModel(c);
    } else {
      FoundState->SetSuccessor(mem_.Ref(cs));
      maxContext_ = cs;
    }
    return;
  }

  *mem_.Text++ = fSymbol;
  uint32_t successor = mem_.Ref(mem_.Text);
  if (mem_.Text >= mem_.UnitsStart) {
    RestoreModel(c);
    return;
  }
  if (!fSuccessor || mem_.At(fSuccessor) < mem_.UnitsStart) {
    TContext* cs = fSuccessor ? CreateSuccessors(false, s, MinContext) : ReduceOrder(s, MinContext);
    if (!cs) {
      RestoreModel(c);
      return;
    }
    fSuccessor = mem_.Ref(cs);
  }
  if (--OrderFall == 0) {
    successor = fSuccessor;
    mem_.Text -= (maxContext_ != MinContext);
  }

  const unsigned ns = MinContext->NumStats;
  const unsigned s0 = MinContext->SummFreq - ns - fFreq;
  const uint8_t flag = uint8_t(0x08 * HighSymbol(fSymbol));
  for (; c != MinContext; c = Suffix(c)) {
    const unsigned ns1 = c->NumStats;
    if (ns1) {
      // Two states to a unit: an odd count means the list is full.
      if (ns1 & 1) {
        auto* grown = static_cast<TState*>(mem_.GrowUnits(Stats(c), (ns1 + 1) >> 1));
        if (!grown) {
          RestoreModel(c);
          return;
        }
        c->Stats = mem_.Ref(grown);
      }
      c->SummFreq = uint16_t(c->SummFreq + (3 * ns1 + 1 < ns));
    } else {
      auto* list = static_cast<TState*>(mem_.AllocUnits(0));
      if (!list) {
        RestoreModel(c);
        return;
      }
      *list = *c->OneState();
      c->Stats = mem_.Ref(list);
      list->Freq = list->Freq < kMaxFreq / 4 - 1 ? uint8_t(list->Freq << 1) : kMaxFreq - 4;
      c->SummFreq = uint16_t(list->Freq + InitEsc + (ns > 2));
    }
    uint32_t cf = 2 * fFreq * (c->SummFreq + 6u);
    const uint32_t sf = s0 + c->SummFreq;
    if (cf < 6 * sf) {
      cf = 1 + (cf > sf) + (cf >= 4 * sf);
      c->SummFreq += 4;
    } else {
      cf = 4 + (cf > 9 * sf) + (cf > 12 * sf) + (cf > 15 * sf);
      c->SummFreq = uint16_t(c->SummFreq + cf);
    }
    TState* added = Stats(c) + ns1 + 1;
    added->SetSuccessor(successor);
    added->Symbol = fSymbol;
    added->Freq = uint8_t(cf);
    c->Flags |= flag;
    c->NumStats = uint8_t(ns1 + 1);
  }
  maxContext_ = MinContext = Context(fSuccessor);
}

// Halves MinContext's counts once one passed kMaxFreq, keeping the list sorted by count
// and dropping symbols whose count reached 0.
void TPpmdModel::Rescale() {
  TState* stats = Stats(MinContext);
  TState* s = FoundState;
  // The symbol that overflowed moves to the front.
  const TState found = *s;
  for (; s != stats; --s) s[0] = s[-1];
  *s = found;
  unsigned escFreq = MinContext->SummFreq - s->Freq;
  s->Freq += 4;
  const unsigned adder = OrderFall != 0;
  s->Freq = uint8_t((s->Freq + adder) >> 1);
  unsigned sumFreq = s->Freq;

  unsigned i = MinContext->NumStats;
  do {
    escFreq -= (++s)->Freq;
    s->Freq = uint8_t((s->Freq + adder) >> 1);
    sumFreq += s->Freq;
    if (s[0].Freq > s[-1].Freq) {
      TState* at = s;
      const TState moved = *at;
      do at[0] = at[-1];
      while (--at != stats && moved.Freq > at[-1].Freq);
      *at = moved;
    }
  } while (--i);

  if (s->Freq == 0) {
    const unsigned numStats = MinContext->NumStats;
    do ++i;
    while ((--s)->Freq == 0);
    escFreq += i;
    MinContext->NumStats = uint8_t(MinContext->NumStats - i);
    if (MinContext->NumStats == 0) {
      TState only = *stats;
      only.Freq = uint8_t((2 * only.Freq + escFreq - 1) / escFreq);
      if (only.Freq > kMaxFreq / 3) only.Freq = kMaxFreq / 3;
      mem_.FreeUnits(stats, (numStats + 2) >> 1);
      MinContext->Flags = uint8_t((MinContext->Flags & 0x10) + 0x08 * HighSymbol(only.Symbol));
      *(FoundState = MinContext->OneState()) = only;
      return;
    }
    const unsigned n0 = (numStats + 2) >> 1;
    const unsigned n1 = (MinContext->NumStats + 2) >> 1;
    if (n0 != n1) MinContext->Stats = mem_.Ref(mem_.ShrinkUnits(stats, n0, n1));
    unsigned flags = MinContext->Flags & ~0x08u;
    s = Stats(MinContext);
    for (unsigned k = 0; k <= MinContext->NumStats; ++k) flags |= 0x08 * HighSymbol(s[k].Symbol);
    MinContext->Flags = uint8_t(flags);
  }
  MinContext->SummFreq = uint16_t(sumFreq + escFreq - (escFreq >> 1));
  MinContext->Flags |= 0x04;
  FoundState = Stats(MinContext);
}

TSee* TPpmdModel::MakeEscFreq(unsigned masked, uint32_t& escFreq) {
  const TContext* c = MinContext;
  if (c->NumStats == 0xFF) {
    escFreq = 1;
    return &dummySee_;
  }
  const unsigned ns = c->NumStats;
  TSee* see = see_[ns2Index_[ns + 2] - 3] + (c->SummFreq > 11 * (ns + 1)) +
              2 * (2 * ns < Suffix(c)->NumStats + masked) + c->Flags;
  escFreq = see->Mean();
  return see;
}

void TPpmdModel::NextContext() {
  TContext* c = Context(FoundState->Successor());
  if (OrderFall == 0 && reinterpret_cast<uint8_t*>(c) >= mem_.UnitsStart) {
    MinContext = maxContext_ = c;
  } else {
    UpdateModel();
    MinContext = maxContext_;
  }
}

void TPpmdModel::UpdateFirst() {
  PrevSuccess = 2 * FoundState->Freq >= MinContext->SummFreq;
  runLength_ += int32_t(PrevSuccess);
  MinContext->SummFreq += 4;
  if ((FoundState->Freq += 4) > kMaxFreq) Rescale();
  NextContext();
}

void TPpmdModel::UpdateOther() {
  TState* s = FoundState;
  s->Freq += 4;
  MinContext->SummFreq += 4;
  if (s[0].Freq > s[-1].Freq) {
    std::swap(s[0], s[-1]);
    FoundState = --s;
    if (s->Freq > kMaxFreq) Rescale();
  }
  NextContext();
}

void TPpmdModel::UpdateBinary() {
  FoundState->Freq = uint8_t(FoundState->Freq + (FoundState->Freq < 196));
  PrevSuccess = 1;
  ++runLength_;
  NextContext();
}

void TPpmdModel::UpdateAfterEscape() {
  MinContext->SummFreq += 4;
  if ((FoundState->Freq += 4) > kMaxFreq) Rescale();
  runLength_ = initRunLength_;
  UpdateModel();
  MinContext = maxContext_;
}

}  // namespace qel::ppmd
