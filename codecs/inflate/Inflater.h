// The Deflate and Deflate64 decoder core (RFC 1951). A plain state object: it owns its
// tables and its window, so any number may run side by side. Input is handed in as it
// arrives, in pieces of any size; output collects in a linear buffer that holds the window
// followed by room for new data, so back-references never wrap while decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "codecs/inflate/InflateStatus.h"

namespace qel {

class Inflater {
 public:
  explicit Inflater(DeflateVariant variant);

  DeflateVariant Variant() const { return variant_; }

  // Starts a new stream; the window is forgotten.
  void Reset();

  // Decodes from `input`, which is advanced past the bytes consumed, until the output
  // buffer is full (Ok), the final block ends (StreamEnd), every input byte has been used
  // (NeedInput), or the data is bad. Decoded bytes wait in TakeOutput(), which must be
  // emptied before the next call.
  InflateStatus Decode(std::span<const uint8_t>& input);

  // The bytes decoded since the last call; they stay valid until the next Decode.
  std::span<const uint8_t> TakeOutput();

  // After StreamEnd: whole bytes the decoder took in but did not use (the data that follows
  // the stream started that many bytes before the end of the consumed input).
  size_t UnusedInputBytes() const { return bitCount_ / 8; }
  // Bytes decoded since the stream started.
  uint64_t TotalOut() const { return totalOut_ + pos_; }

 private:
  enum class Phase { Header, StoredHeader, Stored, Counts, CodeLengthLengths, Lengths, Data, End };

  bool Need(unsigned bits);
  uint32_t Bits(unsigned n) const { return uint32_t(bitBuf_ & ((uint64_t(1) << n) - 1)); }
  void Drop(unsigned n) {
    bitBuf_ >>= n;
    bitCount_ -= n;
  }
  void Slide();
  InflateStatus Run();
  InflateStatus ReadHeader();
  InflateStatus ReadStoredHeader();
  InflateStatus CopyStored();
  InflateStatus ReadCounts();
  InflateStatus ReadCodeLengthLengths();
  InflateStatus ReadLengths();
  InflateStatus BuildDynamicTables();
  void UseFixedTables();
  InflateStatus DecodeData();
  InflateStatus FastLoop();
  // The entry for the next code and the bits it takes, without consuming them; false when
  // the buffered bits do not hold the whole code yet.
  bool Lookup(const uint32_t* table, unsigned rootBits, uint32_t& entry, unsigned& used);
  // Copies the pending match as far as the buffer allows; true when it is done.
  bool CopyPending();

  DeflateVariant variant_;
  size_t window_;  // history size: 32 KiB or 64 KiB
  // Left uninitialised: nothing is read before it was decoded (distances are checked
  // against the output so far), and zeroing it for every stream showed in profiles.
  std::unique_ptr<uint8_t[]> buffer_;
  size_t limit_;           // decoded bytes stop here; the buffer goes on for copy overrun
  size_t pos_ = 0;         // next output byte
  size_t base_ = 0;        // output before this was taken
  uint64_t totalOut_ = 0;  // bytes slid out of the buffer

  const uint8_t* in_ = nullptr;
  const uint8_t* inEnd_ = nullptr;
  uint64_t bitBuf_ = 0;
  unsigned bitCount_ = 0;

  Phase phase_ = Phase::Header;
  bool final_ = false;
  bool fixedLoaded_ = false;
  size_t storedLeft_ = 0;
  unsigned litCount_ = 0, distCount_ = 0, clCount_ = 0, index_ = 0;
  size_t copyLen_ = 0, copyDist_ = 0;  // a match not yet copied out in full
  unsigned pendingLen_ = 0;            // a length whose distance has not been read yet

  uint8_t clLengths_[19] = {};
  uint8_t lengths_[288 + 32] = {};
  // Root widths: a wider literal root keeps more codes out of sub-tables, at the cost of
  // filling it for every block. Each longer code's sub-table holds at most 2^(15 - root).
  static constexpr unsigned kLitRoot = 11;
  static constexpr unsigned kDistRoot = 8;
  uint32_t litTable_[(1 << kLitRoot) + 288 * (1 << (15 - kLitRoot))];
  uint32_t distTable_[(1 << kDistRoot) + 32 * (1 << (15 - kDistRoot))];
  uint32_t clTable_[128];
};

}  // namespace qel
