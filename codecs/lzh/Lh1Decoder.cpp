#include "codecs/lzh/Lh1Decoder.h"

#include <algorithm>
#include <array>
#include <memory>

namespace qel {
namespace {

constexpr size_t kWindow = 4096;
constexpr size_t kMaxMatch = 60;
constexpr int kMinMatch = 3;
constexpr size_t kOutput = 1 << 15;

// The fixed code of a position's upper 6 bits, indexed by the next 8 bits of input: the
// value and the code's length. Codes are canonical: 1 of 3 bits, 3 of 4, 8 of 5, 12 of 6,
// 24 of 7 and 16 of 8.
struct TPositionCode {
  std::array<uint8_t, 256> Value{}, Length{};
};

constexpr TPositionCode MakePositionCode() {
  TPositionCode t;
  constexpr int counts[] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
  int value = 0, code = 0;
  for (int len = 3; len <= 8; ++len) {
    code <<= len == 3 ? 3 : 1;
    for (int i = 0; i < counts[len]; ++i, ++value, ++code)
      for (int low = 0; low < 1 << (8 - len); ++low) {
        t.Value[size_t(code << (8 - len) | low)] = uint8_t(value);
        t.Length[size_t(code << (8 - len) | low)] = uint8_t(len);
      }
  }
  return t;
}

constexpr TPositionCode kPositionCode = MakePositionCode();

}  // namespace

void TLh1Decoder::Start() {
  for (int i = 0; i < kSymbols; ++i) {
    freq_[i] = 1;
    child_[i] = int16_t(i + kNodes);
    parent_[i + kNodes] = int16_t(i);
  }
  for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
    freq_[j] = uint16_t(freq_[i] + freq_[i + 1]);
    child_[j] = int16_t(i);
    parent_[i] = parent_[i + 1] = int16_t(j);
  }
  freq_[kNodes] = 0xFFFF;
  parent_[kRoot] = 0;
}

void TLh1Decoder::Rebuild() {
  // The leaves move to the front with their frequencies halved (rounding up)...
  int j = 0;
  for (int i = 0; i < kNodes; ++i)
    if (child_[i] >= kNodes) {
      freq_[j] = uint16_t((freq_[i] + 1) / 2);
      child_[j] = child_[i];
      ++j;
    }
  // ...and pairs of nodes, in order, make the inner nodes, each put where its frequency
  // keeps the list sorted.
  for (int i = 0, k = kSymbols; k < kNodes; i += 2, ++k) {
    const uint16_t f = uint16_t(freq_[i] + freq_[i + 1]);
    int at = k;
    while (f < freq_[at - 1]) --at;
    std::move_backward(freq_ + at, freq_ + k, freq_ + k + 1);
    std::move_backward(child_ + at, child_ + k, child_ + k + 1);
    freq_[at] = f;
    child_[at] = int16_t(i);
  }
  for (int i = 0; i < kNodes; ++i) {
    const int c = child_[i];
    parent_[c] = int16_t(i);
    if (c < kNodes) parent_[c + 1] = int16_t(i);
  }
}

void TLh1Decoder::Update(int symbol) {
  if (freq_[kRoot] == kMaxFrequency) Rebuild();
  int c = parent_[symbol + kNodes];
  do {
    const uint16_t k = ++freq_[c];
    // A node that now outweighs the next ones changes place with the last of them.
    if (k > freq_[c + 1]) {
      int l = c + 1;
      while (k > freq_[l + 1]) ++l;
      freq_[c] = freq_[l];
      freq_[l] = k;
      const int i = child_[c];
      parent_[i] = int16_t(l);
      if (i < kNodes) parent_[i + 1] = int16_t(l);
      const int j = child_[l];
      child_[l] = int16_t(i);
      parent_[j] = int16_t(c);
      if (j < kNodes) parent_[j + 1] = int16_t(c);
      child_[c] = int16_t(j);
      c = l;
    }
    c = parent_[c];
  } while (c != 0);
}

int TLh1Decoder::DecodeSymbol(TMsbBitReader& in) {
  int c = child_[kRoot];
  while (c < kNodes) c = child_[c + int(in.Get(1))];
  c -= kNodes;
  Update(c);
  return c;
}

TDecodeResult TLh1Decoder::Decode(const TCodecSource& source, const TCodecSink& sink, uint64_t size) {
  Start();
  TMsbBitReader in(source);
  TDecodeResult result;
  std::array<uint8_t, kWindow> window;
  window.fill(' ');
  size_t at = kWindow - kMaxMatch;  // where the next byte goes in the window
  const auto out = std::make_unique<uint8_t[]>(kOutput);
  size_t held = 0;
  const auto put = [&](uint8_t byte) {
    window[at] = byte;
    at = (at + 1) & (kWindow - 1);
    out[held++] = byte;
    if (held == kOutput) {
      if (!sink({out.get(), held})) return false;
      held = 0;
    }
    return true;
  };
  while (result.Decoded < size) {
    const int c = DecodeSymbol(in);
    if (c < 256) {
      if (!put(uint8_t(c))) return {TDecodeStatus::Aborted, result.Decoded};
      ++result.Decoded;
    } else {
      const uint32_t index = in.Get(8);
      const uint32_t low =
          (index << (kPositionCode.Length[index] - 2) | in.Get(kPositionCode.Length[index] - 2)) &
          0x3F;
      const size_t distance = (size_t(kPositionCode.Value[index]) << 6 | low) + 1;
      size_t from = (at - distance) & (kWindow - 1);
      const uint64_t length =
          std::min<uint64_t>(uint64_t(c - 256 + kMinMatch), size - result.Decoded);
      for (uint64_t i = 0; i < length; ++i) {
        if (!put(window[from])) return {TDecodeStatus::Aborted, result.Decoded};
        from = (from + 1) & (kWindow - 1);
      }
      result.Decoded += length;
    }
    if (in.Overrun()) {
      result.Status = TDecodeStatus::UnexpectedEnd;
      break;
    }
  }
  if (held > 0 && !sink({out.get(), held})) result.Status = TDecodeStatus::Aborted;
  return result;
}

}  // namespace qel
