#include "codecs/legacy/Unshrink.h"

#include <memory>
#include <vector>

#include "codecs/legacy/LsbBitReader.h"

namespace qel {
namespace {

constexpr int kNodes = 8192;
constexpr int kControl = 256;
constexpr int kFirstNode = 257;
constexpr int kMaxWidth = 13;
constexpr int16_t kFree = -1;
constexpr size_t kOutputPiece = size_t(1) << 15;

struct TShrinkTable {
  int16_t Prefix[kNodes];  // kFree for a free node; literals have none
  uint8_t Suffix[kNodes];
  uint8_t First[kNodes];    // the first byte of the node's string
  int Cursor = kFirstNode;  // no free node below it

  TShrinkTable() {
    for (int c = 0; c < kNodes; ++c) {
      Prefix[c] = kFree;
      Suffix[c] = First[c] = uint8_t(c);
    }
  }
  bool IsFree(int c) const { return c >= kFirstNode && Prefix[c] == kFree; }

  // Frees every node that is no other node's prefix; the cursor goes back to the start.
  void PartialClear() {
    std::vector<bool> isPrefix(kNodes, false);
    for (int c = kFirstNode; c < kNodes; ++c)
      if (Prefix[c] != kFree) isPrefix[size_t(Prefix[c])] = true;
    for (int c = kFirstNode; c < kNodes; ++c)
      if (!isPrefix[size_t(c)]) Prefix[c] = kFree;
    Cursor = kFirstNode;
  }

  void Add(int prefix, uint8_t suffix) {
    while (Cursor < kNodes && Prefix[Cursor] != kFree) ++Cursor;
    if (Cursor == kNodes) return;  // the table is full: nothing more is added
    Prefix[Cursor] = int16_t(prefix);
    Suffix[Cursor] = suffix;
    First[Cursor] = First[prefix];
    ++Cursor;
  }
};

}  // namespace

TDecodeResult Unshrink(const TCodecSource& source, const TCodecSink& sink, uint64_t size) {
  TDecodeResult result;
  if (size == 0) return result;
  TLsbBitReader in(source);
  const auto table = std::make_unique<TShrinkTable>();
  std::vector<uint8_t> out, stack;
  out.reserve(kOutputPiece);
  stack.reserve(kNodes);
  int width = 9;
  int previous = -1;
  const auto fail = [&](TDecodeStatus status) {
    result.Status = in.Overrun() ? TDecodeStatus::UnexpectedEnd : status;
  };
  while (result.Decoded + out.size() < size) {
    const int code = int(in.Get(width));
    if (in.Overrun()) {
      // The data ends where its last code does.
      if (previous < 0) result.Status = TDecodeStatus::UnexpectedEnd;
      break;
    }
    if (previous < 0) {
      if (code >= kControl) {
        fail(TDecodeStatus::Corrupt);
        break;
      }
      out.push_back(uint8_t(code));
      previous = code;
      continue;
    }
    if (code == kControl) {
      const uint32_t what = in.Get(width);
      if (what == 1 && width < kMaxWidth) {
        ++width;
      } else if (what == 2) {
        table->PartialClear();
      } else {
        fail(TDecodeStatus::Corrupt);
        break;
      }
      continue;
    }
    // The string, walked back from its last byte; a free node is the string about to be
    // added: the previous one and its own first byte.
    stack.clear();
    int c = code;
    if (table->IsFree(code)) {
      stack.push_back(table->First[previous]);
      c = previous;
    }
    while (c >= kFirstNode && table->Prefix[c] != kFree && stack.size() < size_t(kNodes)) {
      stack.push_back(table->Suffix[c]);
      c = table->Prefix[c];
    }
    if (c >= kFirstNode) {  // a free node inside the chain, or a cycle
      fail(TDecodeStatus::Corrupt);
      break;
    }
    stack.push_back(uint8_t(c));
    const uint8_t first = uint8_t(c);
    for (auto it = stack.rbegin(); it != stack.rend() && result.Decoded + out.size() < size; ++it) {
      out.push_back(*it);
      if (out.size() == kOutputPiece) {
        if (!sink(out)) return {TDecodeStatus::Aborted, result.Decoded};
        result.Decoded += out.size();
        out.clear();
      }
    }
    table->Add(previous, first);
    previous = code;
  }
  if (!out.empty()) {
    if (!sink(out)) return {TDecodeStatus::Aborted, result.Decoded};
    result.Decoded += out.size();
  }
  return result;
}

}  // namespace qel
