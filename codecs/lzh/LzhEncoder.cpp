#include "codecs/lzh/LzhEncoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "codecs/lzh/LzhCode.h"
#include "codecs/lzh/MatchLength.h"

namespace qel {
namespace {

constexpr int kLiterals = 510;
constexpr int kLengthSymbols = 19;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kHashBits = 15;
// How many earlier places with the same three bytes are compared at most: beyond this the
// chains of very repetitive data cost time and give hardly a longer match. After a match
// this long, the place behind it is searched only a quarter as far.
constexpr int kMaxChain = 256;
constexpr int kGoodMatch = 32;
// A block is sent before its buffered form passes 32 KB.
constexpr uint32_t kBlockLimit = 32768 - 24;
constexpr size_t kOutputPiece = 32768;

int BitLength(uint32_t v) { return v ? 32 - __builtin_clz(v) : 0; }

// The entries that code a run of literal/length code lengths: 0 one zero length, 1 three to
// 18 zeros (4 more bits), 2 twenty or more (9 more bits), k + 2 the length k. `put` gets
// each entry with its extra bits' count and value.
template <typename TPut>
void ForEachLengthEntry(const uint8_t* lengths, int n, TPut put) {
  for (int i = 0; i < n;) {
    const int k = lengths[i++];
    if (k) {
      put(k + 2, 0, 0u);
      continue;
    }
    int run = 1;
    while (i < n && lengths[i] == 0) ++i, ++run;
    if (run <= 2) {
      for (int r = 0; r < run; ++r) put(0, 0, 0u);
    } else if (run <= 18) {
      put(1, 4, uint32_t(run - 3));
    } else if (run == 19) {
      put(0, 0, 0u);
      put(1, 4, 15u);
    } else {
      put(2, 9, uint32_t(run - 20));
    }
  }
}

// The count of lengths worth writing: trailing zeros are implied.
int UsedLength(const uint8_t* lengths, int n) {
  while (n > 0 && lengths[n - 1] == 0) --n;
  return n;
}

}  // namespace

TLzhEncoder::TLzhEncoder(TLzhParams params)
    : params_(params),
      positions_(params.DictionaryBits + 1),
      dictionary_(uint32_t(1) << params.DictionaryBits),
      text_(size_t(dictionary_) * 4 + kMaxMatch),
      head_(std::make_unique<uint64_t[]>(size_t(1) << kHashBits)),
      prev_(std::make_unique<uint64_t[]>(dictionary_)) {
  std::fill_n(head_.get(), size_t(1) << kHashBits, uint64_t(0));
  symbols_.reserve(kBlockLimit);
  distances_.reserve(kBlockLimit / 3);
  out_.reserve(kOutputPiece);
}

TLzhEncoder::~TLzhEncoder() = default;

void TLzhEncoder::Fill() {
  if (inputEnded_ || end_ - pos_ >= size_t(kMaxMatch)) return;
  if (end_ == text_.size() && pos_ > dictionary_) {
    // Keep one dictionary of history behind pos_.
    const size_t drop = pos_ - dictionary_;
    std::memmove(text_.data(), text_.data() + drop, end_ - drop);
    base_ += drop;
    pos_ -= drop;
    end_ -= drop;
  }
  while (end_ < text_.size()) {
    const size_t got = (*source_)(text_.data() + end_, text_.size() - end_);
    if (got == 0) {
      inputEnded_ = true;
      break;
    }
    end_ += got;
    read_ += got;
  }
}

uint32_t TLzhEncoder::Hash(size_t at) const {
  const uint32_t v =
      uint32_t(text_[at]) | uint32_t(text_[at + 1]) << 8 | uint32_t(text_[at + 2]) << 16;
  return (v * 2654435761u) >> (32 - kHashBits);
}

void TLzhEncoder::Insert(size_t at) {
  if (at + kMinMatch > end_) return;
  const uint32_t h = Hash(at);
  const uint64_t offset = base_ + at;
  prev_[offset & (dictionary_ - 1)] = head_[h];
  head_[h] = offset + 1;
}

TLzhEncoder::TMatch TLzhEncoder::FindMatch(size_t at, int chainLimit) const {
  TMatch best;
  const int limit = int(std::min<size_t>(kMaxMatch, end_ - at));
  if (limit < kMinMatch) return best;
  const uint8_t* here = text_.data() + at;
  const uint64_t offset = base_ + at;
  int bestLength = kMinMatch - 1;
  uint64_t candidate = head_[Hash(at)];
  for (int chain = chainLimit; candidate > origin_ && chain > 0; --chain) {
    const uint64_t from = candidate - 1;
    const uint64_t distance = offset - from;
    if (distance > dictionary_) break;
    const uint8_t* there = text_.data() + (from - base_);
    if (there[bestLength] == here[bestLength] && there[0] == here[0] && there[1] == here[1]) {
      const int length = MatchLength(there, here, limit);
      if (length > bestLength) {
        bestLength = length;
        best = {length, uint32_t(distance)};
        if (length == limit) break;
      }
    }
    candidate = prev_[from & (dictionary_ - 1)];
  }
  return best;
}

TLzhEncodeStatus TLzhEncoder::Encode(const TCodecSource& source, const TCodecSink& sink) {
  source_ = &source;
  sink_ = &sink;
  // The new stream starts a window past the last one's end, out of reach of its chains.
  base_ += end_ + dictionary_;
  origin_ = base_;
  pos_ = end_ = 0;
  read_ = written_ = 0;
  inputEnded_ = gaveUp_ = aborted_ = false;
  symbols_.clear();
  distances_.clear();
  blockBytes_ = 0;
  std::fill(std::begin(literalFreq_), std::end(literalFreq_), 0u);
  std::fill(std::begin(positionFreq_), std::end(positionFreq_), 0u);
  bits_ = 0;
  bitCount_ = 0;
  out_.clear();

  // Lazy matching: the match found at a place waits for the one at the next place, and is
  // taken only when that one is not longer; otherwise its first byte goes as a literal.
  TMatch waiting;
  bool pending = false;  // a match (or a byte) waits at pos_ - 1
  for (;;) {
    Fill();
    if (pos_ >= end_) break;
    const TMatch here =
        FindMatch(pos_, pending && waiting.Length >= kGoodMatch ? kMaxChain / 4 : kMaxChain);
    Insert(pos_);
    if (pending && waiting.Length >= kMinMatch && waiting.Length >= here.Length) {
      PutMatch(waiting);
      // pos_ - 1 and pos_ are in the chains already.
      const size_t end = pos_ - 1 + size_t(waiting.Length);
      for (size_t at = pos_ + 1; at < end; ++at) Insert(at);
      pos_ = end;
      pending = false;
    } else {
      if (pending) PutLiteral(text_[pos_ - 1]);
      waiting = here;
      pending = true;
      ++pos_;
    }
    if (gaveUp_ || aborted_) break;
  }
  if (pending && !gaveUp_ && !aborted_) {
    if (waiting.Length >= kMinMatch)
      PutMatch(waiting);
    else
      PutLiteral(text_[pos_ - 1]);
  }
  if (!gaveUp_ && !aborted_) {
    SendBlock();
    // Seven zero bits push the last real bits out as a whole byte.
    PutBits(7, 0);
    FlushBits();
    if (!gaveUp_) FlushOutput();
  }
  if (aborted_) return TLzhEncodeStatus::Aborted;
  return gaveUp_ ? TLzhEncodeStatus::Incompressible : TLzhEncodeStatus::Ok;
}

void TLzhEncoder::StartSymbol() {
  if (symbols_.size() % 8 == 0) {
    if (blockBytes_ >= kBlockLimit) SendBlock();
    ++blockBytes_;  // the flag byte of the next eight
  }
}

void TLzhEncoder::PutLiteral(uint8_t c) {
  StartSymbol();
  symbols_.push_back(c);
  ++literalFreq_[c];
  blockBytes_ += 1;
  EndSymbol();
}

void TLzhEncoder::PutMatch(const TMatch& m) {
  StartSymbol();
  const uint16_t symbol = uint16_t(m.Length + 256 - kMinMatch);
  const uint32_t d = m.Distance - 1;
  symbols_.push_back(symbol);
  distances_.push_back(uint16_t(d));
  ++literalFreq_[symbol];
  ++positionFreq_[BitLength(d)];
  blockBytes_ += 3;
  EndSymbol();
}

void TLzhEncoder::EndSymbol() {
  // Buffered symbols larger than all the input read cannot end smaller than it.
  if (blockBytes_ > read_) gaveUp_ = true;
}

void TLzhEncoder::WriteSmallCode(const uint8_t* lengths, int symbols, int countBits, int special) {
  const int n = UsedLength(lengths, symbols);
  PutBits(countBits, uint32_t(n));
  for (int i = 0; i < n;) {
    const int k = lengths[i++];
    // Three bits; from 7 on, 7 and then one 1 bit per length more, ended by a 0 bit.
    if (k <= 6)
      PutBits(3, uint32_t(k));
    else
      PutBits(k - 3, (1u << (k - 3)) - 2);
    if (i == special) {
      int zeros = 0;
      while (i < std::min(n, 6) && lengths[i] == 0) ++i, ++zeros;
      PutBits(2, uint32_t(zeros));
    }
  }
}

void TLzhEncoder::WriteLiteralLengths(const uint8_t* lengths, const uint8_t* lenLengths,
                                      const uint16_t* lenCodes) {
  const int n = UsedLength(lengths, kLiterals);
  PutBits(9, uint32_t(n));
  ForEachLengthEntry(lengths, n, [&](int entry, int extraBits, uint32_t extra) {
    PutBits(lenLengths[entry], lenCodes[entry]);
    PutBits(extraBits, extra);
  });
}

void TLzhEncoder::SendBlock() {
  const size_t count = symbols_.size();
  if (count == 0) return;
  uint8_t literalLengths[kLiterals];
  uint16_t literalCodes[kLiterals] = {};
  const int literalsUsed = BuildCodeLengths(literalFreq_, 16, literalLengths);
  CanonicalCodes(literalLengths, literalCodes);
  PutBits(16, uint32_t(count));

  if (literalsUsed >= 2) {
    uint32_t lenFreq[kLengthSymbols] = {};
    ForEachLengthEntry(literalLengths, UsedLength(literalLengths, kLiterals),
                       [&](int entry, int, uint32_t) { ++lenFreq[entry]; });
    uint8_t lenLengths[kLengthSymbols];
    uint16_t lenCodes[kLengthSymbols] = {};
    if (BuildCodeLengths(lenFreq, 16, lenLengths) >= 2) {
      CanonicalCodes(lenLengths, lenCodes);
      WriteSmallCode(lenLengths, kLengthSymbols, 5, 3);
    } else {
      // One entry kind only: named, and then spent no bits on.
      PutBits(5, 0);
      PutBits(5, uint32_t(std::max_element(lenFreq, lenFreq + kLengthSymbols) - lenFreq));
    }
    WriteLiteralLengths(literalLengths, lenLengths, lenCodes);
  } else {
    // A block of one symbol repeated: no code-length code, the symbol named.
    const int only = int(std::max_element(literalFreq_, literalFreq_ + kLiterals) - literalFreq_);
    PutBits(5, 0);
    PutBits(5, 0);
    PutBits(9, 0);
    PutBits(9, uint32_t(only));
  }

  uint8_t positionLengths[32];
  uint16_t positionCodes[32] = {};
  const std::span<const uint32_t> positionFreq(positionFreq_, size_t(positions_));
  if (BuildCodeLengths(positionFreq, 16, {positionLengths, size_t(positions_)}) >= 2) {
    CanonicalCodes({positionLengths, size_t(positions_)}, positionCodes);
    WriteSmallCode(positionLengths, positions_, params_.PositionCountBits, -1);
  } else {
    PutBits(params_.PositionCountBits, 0);
    PutBits(params_.PositionCountBits,
            uint32_t(std::max_element(positionFreq.begin(), positionFreq.end()) -
                     positionFreq.begin()));
  }

  size_t match = 0;
  for (const uint16_t s : symbols_) {
    PutBits(literalLengths[s], literalCodes[s]);
    if (s < 256) continue;
    const uint32_t d = distances_[match++];
    const int p = BitLength(d);
    PutBits(positionLengths[p], positionCodes[p]);
    if (p > 1) PutBits(p - 1, d & ((1u << (p - 1)) - 1));
  }

  symbols_.clear();
  distances_.clear();
  blockBytes_ = 0;
  std::fill(std::begin(literalFreq_), std::end(literalFreq_), 0u);
  std::fill(std::begin(positionFreq_), std::end(positionFreq_), 0u);
}

void TLzhEncoder::PutBits(int n, uint32_t value) {
  if (n == 0 || gaveUp_) return;
  bits_ = bits_ << n | value;
  bitCount_ += n;
  if (bitCount_ >= 32) FlushBits();
}

void TLzhEncoder::FlushBits() {
  while (bitCount_ >= 8 && !gaveUp_) {
    // Output as large as the input read so far is no gain: give up before writing more.
    if (written_ + out_.size() >= read_) {
      gaveUp_ = true;
      return;
    }
    bitCount_ -= 8;
    out_.push_back(uint8_t(bits_ >> bitCount_));
    if (out_.size() == kOutputPiece && !FlushOutput()) return;
  }
}

bool TLzhEncoder::FlushOutput() {
  if (out_.empty() || aborted_) return !aborted_;
  if (!(*sink_)(out_)) aborted_ = true;
  written_ += out_.size();
  out_.clear();
  return !aborted_;
}

}  // namespace qel
