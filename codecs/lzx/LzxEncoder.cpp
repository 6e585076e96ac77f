#include "codecs/lzx/LzxEncoder.h"

#include <algorithm>
#include <utility>

#include "codecs/lzh/LzhCode.h"
#include "codecs/lzx/LzxTrees.h"

namespace qel {
namespace {

using namespace lzx;

// Rough costs in bits that weigh a match against the literals it replaces: a match with a
// repeated offset spends no bits on the offset, others spend their slot's extra bits.
constexpr int kLiteralBits = 6;
constexpr int kMatchBits = 9;
constexpr int kRepeatBits = 6;
constexpr int kLongLengthBits = 5;  // the length-tree symbol of a match of 9 or more

// The chain search: at most kDepth places compared, a quarter of that behind a match of
// kGood bytes; a match of kNice bytes ends the search, one of kLazy is taken without
// looking one place further.
constexpr int kDepth = 64;
constexpr int kGood = 32;
constexpr int kNice = 128;
constexpr int kLazy = 64;
// After a frame that did not shrink, the data likely stays incompressible: matches are looked
// for at every kSparseStep-th place only, one place down the chain. Such data goes through
// twice as fast, and a frame that turns out compressible after all loses little.
constexpr size_t kSparseStep = 4;

constexpr uint8_t kPadByte = 0;

int Gain(int length, int offsetBits) {
  return length * kLiteralBits - offsetBits - (length >= 9 ? kLongLengthBits : 0);
}

void PutLE32(TBitWriter& bits, uint32_t v) {
  const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  bits.PutBytes(b);
}

}  // namespace

TLzxEncoder::TLzxEncoder(int windowBits)
    : mainSymbols_(kLiterals + PositionSlots(std::clamp(windowBits, 15, 21)) * kLengthHeaders),
      finder_(std::clamp(windowBits, 15, 21)) {
  symbols_.reserve(kLzxFrameSize);
}

TLzxEncoder::~TLzxEncoder() = default;

void TLzxEncoder::EncodeFrame(std::span<const uint8_t> frame, std::vector<uint8_t>& out) {
  if (frame.empty()) return;
  // A longer span would not be one data block; code it as the frames it holds.
  if (frame.size() > kLzxFrameSize) {
    for (size_t at = 0; at < frame.size(); at += kLzxFrameSize)
      EncodeFrame(frame.subspan(at, std::min(kLzxFrameSize, frame.size() - at)), out);
    return;
  }
  TBitWriter bits(out);
  if (!started_) {
    bits.Put(1, 0);  // no E8 translation
    started_ = true;
  }
  const size_t begin = finder_.Append(frame);
  Parse(begin, begin + frame.size());

  const TBitWriter::TMark mark = bits.Mark();
  WriteCompressed(bits, frame.size());
  bits.Align();
  // The uncompressed block: its header, the padding to a word (a whole word when already
  // there), the three repeated offsets, the bytes, and a pad byte after an odd count.
  const size_t header = size_t(mark.Count) + 27;
  const size_t uncompressed = 27 + (16 - header % 16) + 96 + 8 * (frame.size() + frame.size() % 2);
  if (bits.BitsSince(mark) < uncompressed) {
    std::copy_n(mainLengths_, mainSymbols_, prevMain_);
    std::copy_n(lengthLengths_, kLengthSymbols, prevLength_);
    lastStored_ = false;
    return;
  }
  // The repeated offsets the parse left stand: the block hands them to the decoder.
  bits.Rewind(mark);
  WriteUncompressed(bits, frame);
  lastStored_ = true;
}

void TLzxEncoder::Parse(size_t begin, size_t end) {
  symbols_.clear();
  std::fill_n(mainFreq_, kMaxMainSymbols, 0u);
  std::fill_n(lengthFreq_, kLengthSymbols, 0u);
  std::fill_n(alignedFreq_, kAlignedSymbols, 0u);
  const uint8_t* text = finder_.Data();
  finder_.ChainUpTo(begin);
  // Lazy matching: the choice at a place waits for the one at the next place, and is taken
  // only when that one gains no more; otherwise its first byte goes as a literal.
  TChoice waiting;
  bool pending = false;  // a choice waits at at - 1
  size_t at = begin;
  while (at < end) {
    TChoice here;
    if (lastStored_) {
      if ((at - begin) % kSparseStep == 0) here = Choose(at, end, 1);
    } else if (!pending || waiting.Length < kLazy) {
      here = Choose(at, end, pending && waiting.Length >= kGood ? kDepth / 4 : kDepth);
    }
    finder_.ChainUpTo(at + 1);
    if (pending && waiting.Gain > 0 && waiting.Gain >= here.Gain) {
      PutMatch(waiting);
      at += size_t(waiting.Length) - 1;
      finder_.ChainUpTo(at);
      pending = false;
    } else {
      if (pending) PutLiteral(text[at - 1]);
      waiting = here;
      pending = true;
      ++at;
    }
  }
  // The last place has a byte left at most, too few for a match.
  if (pending) PutLiteral(text[end - 1]);
}

TLzxEncoder::TChoice TLzxEncoder::Choose(size_t at, size_t end, int depth) const {
  TChoice best;
  const int limit = int(std::min<size_t>(kMaxMatch, end - at));
  if (limit < kMinMatch) return best;
  const uint8_t* here = finder_.Data() + at;
  const uint64_t offset = finder_.StreamOffset(at);
  int longest = kMinMatch - 1;
  for (int r = 0; r < kRepeats; ++r) {
    const uint32_t distance = repeats_[r];
    // Not before the stream's start, nor a repeated offset tried already.
    if (distance > offset || (r > 0 && distance == repeats_[0]) ||
        (r > 1 && distance == repeats_[1]))
      continue;
    const uint8_t* there = here - distance;
    if (there[0] != here[0] || there[1] != here[1]) continue;
    const int length = MatchLength(there, here, limit);
    longest = std::max(longest, length);
    const int gain = Gain(length, kRepeatBits + r);
    if (gain > best.Gain) best = {length, r, distance, gain};
  }
  finder_.Search(at, limit, longest, depth, kNice, [&](int length, uint32_t distance) {
    const int gain = Gain(length, kMatchBits + ExtraBits(SlotOf(distance + 2)));
    if (gain > best.Gain) best = {length, -1, distance, gain};
  });
  return best;
}

void TLzxEncoder::PutLiteral(uint8_t c) {
  symbols_.push_back({c, 0, 0, 0});
  ++mainFreq_[c];
}

void TLzxEncoder::PutMatch(const TChoice& match) {
  int slot = match.Repeat;
  uint32_t extra = 0;
  int extraBits = 0;
  if (match.Repeat >= 0) {
    // The repeated offset used moves to the front, swapping places with R0.
    std::swap(repeats_[0], repeats_[match.Repeat]);
  } else {
    const uint32_t formatted = match.Distance + 2;
    slot = SlotOf(formatted);
    extraBits = ExtraBits(slot);
    extra = formatted - kSlotBase[size_t(slot)];
    if (extraBits >= 3) ++alignedFreq_[extra & 7];
    repeats_[2] = repeats_[1];
    repeats_[1] = repeats_[0];
    repeats_[0] = match.Distance;
  }
  const int header = std::min(match.Length - kMinMatch, kLengthHeaders - 1);
  const uint16_t main = uint16_t(kLiterals + slot * kLengthHeaders + header);
  ++mainFreq_[main];
  uint8_t lengthSymbol = 0;
  if (header == kLengthHeaders - 1) {
    lengthSymbol = uint8_t(match.Length - kMinMatch - (kLengthHeaders - 1));
    ++lengthFreq_[lengthSymbol];
  }
  symbols_.push_back({main, lengthSymbol, uint8_t(extraBits), extra});
}

void TLzxEncoder::WriteCompressed(TBitWriter& bits, size_t size) {
  const std::span<uint8_t> mainLengths(mainLengths_, size_t(mainSymbols_));
  BuildLengths({mainFreq_, size_t(mainSymbols_)}, kMaxCodeBits, mainLengths);
  BuildLengths(lengthFreq_, kMaxCodeBits, lengthLengths_);

  // An aligned block codes the low three bits of every offset with three extra bits or
  // more through a tree of its own, sent as eight 3-bit lengths.
  uint8_t alignedLengths[kAlignedSymbols] = {};
  uint16_t alignedCodes[kAlignedSymbols] = {};
  uint32_t verbatimCost = 0, alignedCost = 8 * 3;
  for (int a = 0; a < kAlignedSymbols; ++a) verbatimCost += 3 * alignedFreq_[a];
  if (verbatimCost > alignedCost) {
    BuildLengths(alignedFreq_, 7, alignedLengths);
    for (int a = 0; a < kAlignedSymbols; ++a) alignedCost += alignedFreq_[a] * alignedLengths[a];
  }
  const bool aligned = alignedCost < verbatimCost;

  bits.Put(3, aligned ? kAligned : kVerbatim);
  bits.Put(24, uint32_t(size));
  if (aligned) {
    for (const uint8_t length : alignedLengths) bits.Put(3, length);
    CanonicalCodes(alignedLengths, alignedCodes);
  }
  // The main tree goes in two parts, the literals' and the matches', each through a pretree
  // of its own; the length tree follows.
  WriteLengths(bits, {prevMain_, kLiterals}, mainLengths.first(kLiterals));
  WriteLengths(bits, {prevMain_ + kLiterals, size_t(mainSymbols_ - kLiterals)},
               mainLengths.subspan(kLiterals));
  WriteLengths(bits, prevLength_, lengthLengths_);

  uint16_t mainCodes[kMaxMainSymbols] = {};
  uint16_t lengthCodes[kLengthSymbols] = {};
  CanonicalCodes(mainLengths, {mainCodes, size_t(mainSymbols_)});
  CanonicalCodes(lengthLengths_, lengthCodes);
  for (const TSymbol& s : symbols_) {
    bits.Put(mainLengths_[s.Main], mainCodes[s.Main]);
    if (s.Main < kLiterals) continue;
    if ((s.Main & (kLengthHeaders - 1)) == kLengthHeaders - 1)
      bits.Put(lengthLengths_[s.LengthSymbol], lengthCodes[s.LengthSymbol]);
    if (aligned && s.ExtraBits >= 3) {
      bits.Put(s.ExtraBits - 3, s.Extra >> 3);
      bits.Put(alignedLengths[s.Extra & 7], alignedCodes[s.Extra & 7]);
    } else {
      bits.Put(s.ExtraBits, s.Extra);
    }
  }
}

void TLzxEncoder::WriteUncompressed(TBitWriter& bits, std::span<const uint8_t> frame) const {
  bits.Put(3, kUncompressed);
  bits.Put(24, uint32_t(frame.size()));
  // Decoders skip to the next word boundary, and a whole word when already on one.
  if (bits.Aligned())
    bits.Put(16, 0);
  else
    bits.Align();
  for (const uint32_t r : repeats_) PutLE32(bits, r);
  bits.PutBytes(frame);
  if (frame.size() % 2) bits.PutBytes(std::span<const uint8_t>(&kPadByte, 1));
}

}  // namespace qel
