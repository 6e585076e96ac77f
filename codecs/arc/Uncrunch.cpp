// The crunched entry (methods 5 to 7): 12-bit codes, high bits first, that name slots of a
// hashed string table rather than entries in order. The table starts with the 256 single
// bytes, each placed by the hash as any string is; every later code adds (previous code,
// first byte of this string) until the table holds 4096 strings.
#include <memory>

#include "codecs/arc/ArcStages.h"
#include "codecs/lzh/MsbBitReader.h"

namespace qel {
namespace {

constexpr unsigned kSlots = 4096;
constexpr unsigned kSlotMask = kSlots - 1;
constexpr uint16_t kNone = 0xFFFF;  // the predecessor of a single byte
constexpr int kAdditions = kSlots - 256;
constexpr unsigned kProbeStep = 101;
constexpr size_t kStackSize = 4095;

class TCrunchTable {
 public:
  explicit TCrunchTable(bool newHash) : newHash_(newHash) {
    for (unsigned c = 0; c < 256; ++c) Add(kNone, uint8_t(c));
  }

  bool Used(unsigned slot) const { return slots_[slot].used; }
  uint16_t Predecessor(unsigned slot) const { return slots_[slot].predecessor; }
  uint8_t Follower(unsigned slot) const { return slots_[slot].follower; }

  void Add(uint16_t predecessor, uint8_t follower) {
    TSlot& s = slots_[Place(predecessor, follower)];
    s = {.used = true, .next = 0, .predecessor = predecessor, .follower = follower};
  }

 private:
  struct TSlot {
    bool used = false;
    uint16_t next = 0;  // the next slot of the same hash; 0 for none
    uint16_t predecessor = 0;
    uint8_t follower = 0;
  };

  // Sums in 16 bits, as the 16-bit machines it was made on computed them: the singles'
  // predecessor 0xFFFF wraps.
  unsigned Hash(uint16_t predecessor, uint8_t follower) const {
    const uint32_t key = uint16_t(predecessor + follower);
    if (newHash_) return (key * 15073u) & kSlotMask;
    const uint32_t k = key | 0x800;
    return (k * k >> 6) & kSlotMask;
  }

  // The hashed slot when free; else a free slot found from 101 past the end of that slot's
  // chain of duplicates, and linked to it. The caller keeps a slot free.
  unsigned Place(uint16_t predecessor, uint8_t follower) {
    unsigned slot = Hash(predecessor, follower);
    if (!slots_[slot].used) return slot;
    // Each slot is linked once, when it is taken, so the chain ends.
    while (slots_[slot].next != 0) slot = slots_[slot].next;
    unsigned free = (slot + kProbeStep) & kSlotMask;
    while (slots_[free].used) free = (free + 1) & kSlotMask;
    slots_[slot].next = uint16_t(free);
    return free;
  }

  bool newHash_;
  TSlot slots_[kSlots];
};

}  // namespace

TDecodeStatus Uncrunch(bool newHash, const TCodecSource& source, TArcOutput& out,
                       TArcDecodeError& why) {
  TMsbBitReader in(source);
  const auto table = std::make_unique<TCrunchTable>(newHash);
  // The first code is a single byte.
  unsigned previous = in.Get(12);
  if (in.Overrun()) return TDecodeStatus::UnexpectedEnd;
  if (!table->Used(previous) || table->Predecessor(previous) != kNone)
    return TDecodeStatus::Corrupt;
  uint8_t first = table->Follower(previous);
  out.Put(first);

  int additions = kAdditions;
  uint8_t stack[kStackSize];
  while (!out.Full()) {
    const unsigned code = in.Get(12);
    if (in.Overrun()) return TDecodeStatus::Ok;  // trailing bits too few for a code
    // The string, from its last byte back. A free slot is the string about to be added:
    // the previous one and its own first byte.
    size_t depth = 0;
    unsigned at = code;
    if (!table->Used(code)) {
      stack[depth++] = first;
      at = previous;
    }
    while (table->Predecessor(at) != kNone) {
      if (depth == kStackSize) {
        why = TArcDecodeError::StackOverflow;
        return TDecodeStatus::Corrupt;
      }
      stack[depth++] = table->Follower(at);
      // Only damaged data leads through a free slot (predecessor 0) or round a loop; the
      // stack's bound ends either.
      at = table->Predecessor(at) & kSlotMask;
    }
    if (depth == kStackSize) {
      why = TArcDecodeError::StackOverflow;
      return TDecodeStatus::Corrupt;
    }
    first = table->Follower(at);
    stack[depth++] = first;
    if (additions > 0) {
      table->Add(uint16_t(previous), first);
      --additions;
    }
    while (depth > 0 && !out.Full()) out.Put(stack[--depth]);
    if (!out.Flush(false)) return TDecodeStatus::Aborted;
    previous = code;
  }
  return TDecodeStatus::Ok;
}

}  // namespace qel
