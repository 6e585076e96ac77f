#include "codecs/inflate/Inflater.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "codecs/inflate/HuffmanTable.h"

namespace qel {

using namespace inflate;

namespace {

constexpr unsigned kCodeLengthRoot = 7;
// Past the decoding limit, so that match copies may write whole 16-byte words.
constexpr size_t kOverrun = 64;
// The longest Deflate match; the fast loop runs only while this much room is left.
constexpr size_t kFastRoom = 258;
// A round of the fast loop refills up to three times, each time loading 8 bytes and moving on
// up to 7; the first round also follows the refill on entry.
constexpr size_t kFastInput = 32;

constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

struct SymbolSet {
  uint32_t lit[288];
  uint32_t dist[32];
  uint32_t codeLength[19];
};

SymbolSet MakeSymbols(DeflateVariant v) {
  constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                        15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                        67, 83, 99, 115, 131, 163, 195, 227, 258};
  const bool d64 = v == DeflateVariant::Deflate64;
  SymbolSet s{};
  for (uint32_t i = 0; i < 256; ++i) s.lit[i] = LiteralSymbol(i);
  s.lit[256] = kEndOfBlockSymbol;
  for (uint32_t i = 0; i < 28; ++i)
    s.lit[257 + i] = BaseSymbol(kLengthBase[i], i < 8 ? 0 : (i - 4) / 4);
  s.lit[285] = d64 ? BaseSymbol(3, 16) : BaseSymbol(258, 0);
  s.lit[286] = s.lit[287] = kInvalidSymbol;
  uint32_t base = 1;
  for (uint32_t i = 0; i < 32; ++i) {
    const uint32_t extra = i < 4 ? 0 : i / 2 - 1;
    s.dist[i] = (i < 30 || d64) ? BaseSymbol(base, extra) : kInvalidSymbol;
    base += 1u << extra;
  }
  for (uint32_t i = 0; i < 19; ++i) s.codeLength[i] = LiteralSymbol(i);
  return s;
}

const SymbolSet& Symbols(DeflateVariant v) {
  static const SymbolSet deflate = MakeSymbols(DeflateVariant::Deflate);
  static const SymbolSet deflate64 = MakeSymbols(DeflateVariant::Deflate64);
  return v == DeflateVariant::Deflate64 ? deflate64 : deflate;
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}

inline uint64_t Mask(unsigned n) { return (uint64_t(1) << n) - 1; }

// For a match closer than 8 bytes: the smallest multiple of its distance that is at least 8,
// so that once 8 bytes are out the rest repeats whole words from that far back.
constexpr uint8_t kWordPeriod[8] = {0, 8, 8, 9, 8, 10, 12, 14};

// LZ77 copy of `len` bytes from `dist` back; may write up to 29 bytes past the end.
inline void CopyMatch(uint8_t* out, size_t dist, size_t len) {
  uint8_t* const end = out + len;
  if (dist >= 16) {
    // Most matches are short: two words without a loop branch cover them.
    std::memcpy(out, out - dist, 16);
    std::memcpy(out + 16, out + 16 - dist, 16);
    for (out += 32; out < end; out += 16) std::memcpy(out, out - dist, 16);
    return;
  }
  if (dist >= 8) {
    do {
      std::memcpy(out, out - dist, 8);
      out += 8;
    } while (out < end);
    return;
  }
  if (dist == 1) {
    const uint64_t word = out[-1] * 0x0101010101010101ull;
    do {
      std::memcpy(out, &word, 8);
      out += 8;
    } while (out < end);
    return;
  }
  const uint8_t* const src = out - dist;
  for (unsigned i = 0; i < 8; ++i) out[i] = src[i];
  const size_t step = kWordPeriod[dist];
  for (out += 8; out < end; out += 8) std::memcpy(out, out - step, 8);
}

}  // namespace

Inflater::Inflater(DeflateVariant variant)
    : variant_(variant),
      window_(variant == DeflateVariant::Deflate64 ? 65536 : 32768),
      buffer_(new uint8_t[5 * window_ + kOverrun]),
      limit_(5 * window_) {
  Reset();
}

void Inflater::Reset() {
  pos_ = base_ = 0;
  totalOut_ = 0;
  bitBuf_ = 0;
  bitCount_ = 0;
  phase_ = Phase::Header;
  final_ = fixedLoaded_ = false;
  copyLen_ = copyDist_ = 0;
  pendingLen_ = 0;
}

std::span<const uint8_t> Inflater::TakeOutput() {
  std::span<const uint8_t> out(buffer_.get() + base_, pos_ - base_);
  base_ = pos_;
  return out;
}

// Keeps the last window of output at the front of the buffer (and whatever the caller has
// not taken yet), making room for new output.
void Inflater::Slide() {
  const size_t drop = std::min(base_, pos_ - window_);
  std::memmove(buffer_.get(), buffer_.get() + drop, pos_ - drop);
  pos_ -= drop;
  base_ -= drop;
  totalOut_ += drop;
}

InflateStatus Inflater::Decode(std::span<const uint8_t>& input) {
  in_ = input.data();
  inEnd_ = in_ + input.size();
  if (pos_ >= limit_) Slide();
  const InflateStatus status = Run();
  input = input.subspan(size_t(in_ - input.data()));
  return status;
}

InflateStatus Inflater::Run() {
  for (;;) {
    if (phase_ == Phase::End) return InflateStatus::StreamEnd;
    if (pos_ >= limit_) return InflateStatus::Ok;
    InflateStatus st = InflateStatus::Ok;
    switch (phase_) {
      case Phase::Header:
        st = ReadHeader();
        break;
      case Phase::StoredHeader:
        st = ReadStoredHeader();
        break;
      case Phase::Stored:
        st = CopyStored();
        break;
      case Phase::Counts:
        st = ReadCounts();
        break;
      case Phase::CodeLengthLengths:
        st = ReadCodeLengthLengths();
        break;
      case Phase::Lengths:
        st = ReadLengths();
        break;
      case Phase::Data:
        st = DecodeData();
        break;
      case Phase::End:
        break;
    }
    if (st != InflateStatus::Ok) return st;
  }
}

bool Inflater::Need(unsigned bits) {
  while (bitCount_ < bits && in_ < inEnd_) {
    bitBuf_ |= uint64_t(*in_++) << bitCount_;
    bitCount_ += 8;
  }
  return bitCount_ >= bits;
}

InflateStatus Inflater::ReadHeader() {
  if (!Need(3)) return InflateStatus::NeedInput;
  final_ = Bits(1) != 0;
  const uint32_t type = Bits(3) >> 1;
  Drop(3);
  switch (type) {
    case 0:
      phase_ = Phase::StoredHeader;
      break;
    case 1:
      UseFixedTables();
      phase_ = Phase::Data;
      break;
    case 2:
      phase_ = Phase::Counts;
      break;
    default:
      return InflateStatus::BadBlockType;
  }
  return InflateStatus::Ok;
}

InflateStatus Inflater::ReadStoredHeader() {
  Drop(bitCount_ % 8);
  if (!Need(32)) return InflateStatus::NeedInput;
  const uint32_t len = Bits(16), nlen = Bits(32) >> 16;
  Drop(32);
  if ((len ^ nlen) != 0xFFFF) return InflateStatus::BadStoredLength;
  storedLeft_ = len;
  phase_ = Phase::Stored;
  return InflateStatus::Ok;
}

InflateStatus Inflater::CopyStored() {
  while (storedLeft_ > 0 && pos_ < limit_) {
    if (bitCount_ >= 8) {
      buffer_[pos_++] = uint8_t(Bits(8));
      Drop(8);
      --storedLeft_;
      continue;
    }
    if (in_ == inEnd_) return InflateStatus::NeedInput;
    const size_t n = std::min({storedLeft_, limit_ - pos_, size_t(inEnd_ - in_)});
    std::memcpy(buffer_.get() + pos_, in_, n);
    in_ += n;
    pos_ += n;
    storedLeft_ -= n;
  }
  if (storedLeft_ == 0) phase_ = final_ ? Phase::End : Phase::Header;
  return InflateStatus::Ok;
}

InflateStatus Inflater::ReadCounts() {
  if (!Need(14)) return InflateStatus::NeedInput;
  litCount_ = 257 + Bits(5);
  distCount_ = 1 + (Bits(10) >> 5);
  clCount_ = 4 + (Bits(14) >> 10);
  Drop(14);
  std::fill(std::begin(clLengths_), std::end(clLengths_), uint8_t(0));
  index_ = 0;
  phase_ = Phase::CodeLengthLengths;
  return InflateStatus::Ok;
}

InflateStatus Inflater::ReadCodeLengthLengths() {
  for (; index_ < clCount_; ++index_) {
    if (!Need(3)) return InflateStatus::NeedInput;
    clLengths_[kCodeLengthOrder[index_]] = uint8_t(Bits(3));
    Drop(3);
  }
  switch (BuildTable(clLengths_, 19, Symbols(variant_).codeLength, kCodeLengthRoot, clTable_,
                     std::size(clTable_))) {
    case BuildResult::OverSubscribed:
      return InflateStatus::BadCodeLengths;
    case BuildResult::Incomplete:
      return InflateStatus::IncompleteCodeSet;
    case BuildResult::Complete:
      break;
  }
  index_ = 0;
  phase_ = Phase::Lengths;
  return InflateStatus::Ok;
}

bool Inflater::Lookup(const uint32_t* table, unsigned rootBits, uint32_t& entry, unsigned& used) {
  Need(kMaxCodeBits);
  entry = table[Bits(rootBits)];
  used = EntryCodeBits(entry);
  if (IsSubTable(entry)) {
    entry = table[EntryValue(entry) + ((bitBuf_ >> rootBits) & Mask(EntryCodeBits(entry)))];
    used = rootBits + EntryCodeBits(entry);
  }
  return used <= bitCount_;
}

InflateStatus Inflater::ReadLengths() {
  const unsigned total = litCount_ + distCount_;
  while (index_ < total) {
    uint32_t e;
    unsigned used;
    if (!Lookup(clTable_, kCodeLengthRoot, e, used)) return InflateStatus::NeedInput;
    const unsigned sym = EntryValue(e);
    if (sym < 16) {
      Drop(used);
      lengths_[index_++] = uint8_t(sym);
      continue;
    }
    // 16: repeat the previous length 3-6 times; 17: 3-10 zeros; 18: 11-138 zeros.
    const unsigned extra = sym == 16 ? 2 : sym == 17 ? 3 : 7;
    if (!Need(used + extra)) return InflateStatus::NeedInput;
    const unsigned count = (sym == 18 ? 11 : 3) + unsigned((bitBuf_ >> used) & Mask(extra));
    Drop(used + extra);
    if (sym == 16 && index_ == 0) return InflateStatus::BadCodeLengths;
    if (index_ + count > total) return InflateStatus::BadCodeLengths;
    const uint8_t value = sym == 16 ? lengths_[index_ - 1] : 0;
    std::fill_n(lengths_ + index_, count, value);
    index_ += count;
  }
  return BuildDynamicTables();
}

InflateStatus Inflater::BuildDynamicTables() {
  fixedLoaded_ = false;
  if (lengths_[256] == 0) return InflateStatus::BadCodeLengths;  // no way to end the block
  const SymbolSet& sym = Symbols(variant_);
  switch (BuildTable(lengths_, litCount_, sym.lit, kLitRoot, litTable_, std::size(litTable_))) {
    case BuildResult::OverSubscribed:
      return InflateStatus::BadCodeLengths;
    case BuildResult::Incomplete:
      // A block of nothing but its end code may use a single one-bit code.
      if (std::count_if(lengths_, lengths_ + litCount_, [](uint8_t l) { return l != 0; }) != 1)
        return InflateStatus::IncompleteCodeSet;
      break;
    case BuildResult::Complete:
      break;
  }
  // Incomplete distance codes are in use by real encoders (a single distance code).
  if (BuildTable(lengths_ + litCount_, distCount_, sym.dist, kDistRoot, distTable_,
                 std::size(distTable_)) == BuildResult::OverSubscribed)
    return InflateStatus::BadCodeLengths;
  phase_ = Phase::Data;
  return InflateStatus::Ok;
}

void Inflater::UseFixedTables() {
  if (fixedLoaded_) return;
  uint8_t lens[288];
  std::fill(lens, lens + 144, uint8_t(8));
  std::fill(lens + 144, lens + 256, uint8_t(9));
  std::fill(lens + 256, lens + 280, uint8_t(7));
  std::fill(lens + 280, lens + 288, uint8_t(8));
  const SymbolSet& sym = Symbols(variant_);
  BuildTable(lens, 288, sym.lit, kLitRoot, litTable_, std::size(litTable_));
  std::fill(lens, lens + 32, uint8_t(5));
  BuildTable(lens, 32, sym.dist, kDistRoot, distTable_, std::size(distTable_));
  fixedLoaded_ = true;
}

bool Inflater::CopyPending() {
  const size_t n = std::min(copyLen_, limit_ - pos_);
  uint8_t* out = buffer_.get() + pos_;
  const uint8_t* src = out - copyDist_;
  for (size_t i = 0; i < n; ++i) out[i] = src[i];
  pos_ += n;
  copyLen_ -= n;
  return copyLen_ == 0;
}

InflateStatus Inflater::DecodeData() {
  for (;;) {
    if (copyLen_ != 0 && !CopyPending()) return InflateStatus::Ok;
    if (pos_ >= limit_) return InflateStatus::Ok;
    if (pendingLen_ == 0 && size_t(inEnd_ - in_) >= kFastInput && limit_ - pos_ > kFastRoom) {
      const InflateStatus st = FastLoop();
      if (st != InflateStatus::Ok || phase_ != Phase::Data) return st;
      continue;
    }
    uint32_t e;
    unsigned used;
    if (pendingLen_ == 0) {
      if (!Lookup(litTable_, kLitRoot, e, used)) return InflateStatus::NeedInput;
      if (IsLiteral(e)) {
        Drop(used);
        buffer_[pos_++] = uint8_t(EntryValue(e));
        continue;
      }
      if (IsExceptional(e)) {
        if (!IsEndOfBlock(e)) return InflateStatus::BadCode;
        Drop(used);
        phase_ = final_ ? Phase::End : Phase::Header;
        return InflateStatus::Ok;
      }
      const unsigned extra = EntryExtra(e);
      if (!Need(used + extra)) return InflateStatus::NeedInput;
      pendingLen_ = EntryValue(e) + unsigned((bitBuf_ >> used) & Mask(extra));
      Drop(used + extra);
    }
    if (!Lookup(distTable_, kDistRoot, e, used)) return InflateStatus::NeedInput;
    if (IsExceptional(e)) return InflateStatus::BadCode;
    const unsigned extra = EntryExtra(e);
    if (!Need(used + extra)) return InflateStatus::NeedInput;
    const size_t dist = EntryValue(e) + size_t((bitBuf_ >> used) & Mask(extra));
    Drop(used + extra);
    if (dist > pos_) return InflateStatus::BadDistance;
    copyLen_ = pendingLen_;
    copyDist_ = dist;
    pendingLen_ = 0;
  }
}

// The hot loop: runs while a round's worth of input (kFastInput) and a longest match of output
// room are left, so it refills the bit buffer a word at a time and checks nothing per byte.
// The bits above the count stay the next input bits, so reloading them is harmless.
InflateStatus Inflater::FastLoop() {
  uint8_t* const buf = buffer_.get();
  uint8_t* out = buf + pos_;
  uint8_t* const outLimit = buf + limit_;
  uint8_t* const outSafe = outLimit - kFastRoom;
  const uint8_t* in = in_;
  const uint8_t* const inSafe = inEnd_ - kFastInput;
  uint64_t bb = bitBuf_;
  unsigned bc = bitCount_;
  const uint32_t* const lit = litTable_;
  const uint32_t* const dist = distTable_;
  InflateStatus status = InflateStatus::Ok;

  auto refill = [&] {
    bb |= Load64(in) << bc;
    in += (63 - bc) >> 3;
    bc |= 56;
  };
  auto drop = [&](uint32_t e) {
    bb >>= EntryTotalBits(e);
    bc -= EntryTotalBits(e);
  };
  // Consumes a base entry's code and extra bits; answers base + extra.
  auto take = [&](uint32_t e) {
    const uint64_t bits = bb;
    drop(e);
    return EntryValue(e) + size_t((bits & Mask(EntryTotalBits(e))) >> EntryCodeBits(e));
  };
  // Each literal is stored only after the next entry is loaded: a byte store may alias the
  // table, so the compiler would otherwise wait for it.
  auto literal = [&](uint32_t e) {
    const uint8_t byte = uint8_t(EntryValue(e));
    drop(e);
    e = lit[bb & Mask(kLitRoot)];
    *out++ = byte;
    return e;
  };

  refill();
  uint32_t e = lit[bb & Mask(kLitRoot)];
  do {
    // Each round starts with e looked up and at least 15 bits buffered, enough for any code.
    // Refills come before bits are taken: they then run beside the table load instead of
    // between it and the next one.
    if (IsLiteral(e)) {
      // Root-level literals take at most kLitRoot bits: three fit in a refill, with a whole
      // code still buffered after them.
      refill();
      e = literal(e);
      if (IsLiteral(e)) {
        e = literal(e);
        if (IsLiteral(e)) {
          e = literal(e);
          continue;
        }
      }
    }
    if (IsExceptional(e)) {
      if (IsSubTable(e)) {
        drop(e);
        e = lit[EntryValue(e) + (bb & Mask(EntryCodeBits(e)))];
        if (IsLiteral(e)) {
          refill();
          e = literal(e);
          continue;
        }
      }
      if (IsExceptional(e)) {
        if (IsEndOfBlock(e)) {
          drop(e);
          phase_ = final_ ? Phase::End : Phase::Header;
        } else {
          status = InflateStatus::BadCode;
        }
        break;
      }
    }
    // A distance code and its extra bits take at most 29 bits; only a Deflate64 length with
    // 16 extra bits leaves fewer.
    refill();
    const size_t len = take(e);
    if (bc < 29) refill();
    e = dist[bb & Mask(kDistRoot)];
    if (IsSubTable(e)) {
      drop(e);
      e = dist[EntryValue(e) + (bb & Mask(EntryCodeBits(e)))];
    }
    if (IsExceptional(e)) {
      status = InflateStatus::BadCode;
      break;
    }
    refill();
    const size_t d = take(e);
    if (d > size_t(out - buf)) {
      status = InflateStatus::BadDistance;
      break;
    }
    if (len > size_t(outLimit - out)) {  // only Deflate64 matches are this long
      copyLen_ = len;
      copyDist_ = d;
      break;
    }
    e = lit[bb & Mask(kLitRoot)];
    CopyMatch(out, d, len);
    out += len;
  } while (in <= inSafe && out < outSafe);
  bitBuf_ = bb & Mask(bc);
  bitCount_ = bc;
  in_ = in;
  pos_ = size_t(out - buf);
  return status;
}

}  // namespace qel
