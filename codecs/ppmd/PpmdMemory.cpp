#include "codecs/ppmd/PpmdMemory.h"

#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace qel::ppmd {

// A free block's first unit.
struct TPpmdMemory::TNode {
  uint32_t Stamp;  // kFreeStamp while the block is free
  uint32_t Next;
  uint32_t Units;
};
static_assert(sizeof(uint32_t) * 3 == kUnitSize);

namespace {
constexpr uint32_t kFreeStamp = 0xFFFFFFFF;
// Allocations the slow path makes before it merges neighbouring free blocks again.
constexpr uint32_t kGluePeriod = 1u << 13;
}  // namespace

TPpmdMemory::TPpmdMemory() {
  unsigned units = 0;
  for (unsigned i = 0; i < kIndexCount; ++i) {
    const unsigned step = i >= 12 ? 4 : (i >> 2) + 1;
    for (unsigned k = 0; k < step; ++k) units2Index_[units++] = uint8_t(i);
    index2Units_[i] = uint8_t(units);
  }
}

void TPpmdMemory::TFree::operator()(uint8_t* p) const { std::free(p); }

bool TPpmdMemory::Allocate(uint32_t size) {
  if (block_ && size_ == size) return true;
  block_.reset();
  size_ = 0;
  alignOffset_ = 4 - (size & 3);
  // The model reaches all over the block at random: on huge pages the address translations
  // stop costing a quarter of the time.
  constexpr size_t kHugePage = size_t(2) << 20;
  const size_t bytes = (alignOffset_ + size_t(size) + kHugePage - 1) & ~(kHugePage - 1);
  block_.reset(static_cast<uint8_t*>(std::aligned_alloc(kHugePage, bytes)));
  if (!block_) return false;
#if defined(MADV_HUGEPAGE)
  madvise(block_.get(), bytes, MADV_HUGEPAGE);
#endif
  base_ = block_.get();
  size_ = size;
  return true;
}

void TPpmdMemory::Reset() {
  std::memset(freeList_, 0, sizeof freeList_);
  std::memset(stamps_, 0, sizeof stamps_);
  Text = TextStart();
  HiUnit = Text + size_;
  LoUnit = UnitsStart = HiUnit - size_ / 8 / kUnitSize * 7 * kUnitSize;
  glueCount_ = 0;
}

void TPpmdMemory::InsertNode(void* block, unsigned index) {
  auto* node = static_cast<TNode*>(block);
  node->Stamp = kFreeStamp;
  node->Next = freeList_[index];
  node->Units = index2Units_[index];
  freeList_[index] = Ref(block);
  ++stamps_[index];
}

void* TPpmdMemory::RemoveNode(unsigned index) {
  TNode* node = NodeAt(freeList_[index]);
  freeList_[index] = node->Next;
  --stamps_[index];
  return node;
}

// Puts the part of a block beyond its first IndexToUnits(newIndex) units on the free lists.
void TPpmdMemory::SplitBlock(void* block, unsigned oldIndex, unsigned newIndex) {
  const unsigned rest = IndexToUnits(oldIndex) - IndexToUnits(newIndex);
  uint8_t* tail = static_cast<uint8_t*>(block) + IndexToUnits(newIndex) * kUnitSize;
  unsigned index = UnitsToIndex(rest);
  if (IndexToUnits(index) != rest) {
    const unsigned fits = IndexToUnits(--index);
    InsertNode(tail + fits * kUnitSize, rest - fits - 1);
  }
  InsertNode(tail, index);
}

// Merges free blocks that lie next to each other and files them again by their new sizes.
void TPpmdMemory::GlueFreeBlocks() {
  uint32_t head = 0;
  uint32_t* link = &head;
  glueCount_ = kGluePeriod;
  std::memset(stamps_, 0, sizeof stamps_);
  // The root context always holds the top unit, so a run of free blocks ends below it; the
  // gap between the marks needs a stop of its own.
  if (LoUnit != HiUnit) reinterpret_cast<TNode*>(LoUnit)->Stamp = 0;

  for (unsigned i = 0; i < kIndexCount; ++i) {
    uint32_t next = freeList_[i];
    freeList_[i] = 0;
    while (next) {
      TNode* node = NodeAt(next);
      if (node->Units) {
        *link = next;
        link = &node->Next;
        for (TNode* after; (after = node + node->Units)->Stamp == kFreeStamp;) {
          node->Units += after->Units;
          after->Units = 0;
        }
      }
      next = node->Next;
    }
  }
  *link = 0;

  while (head) {
    TNode* node = NodeAt(head);
    head = node->Next;
    unsigned units = node->Units;
    if (!units) continue;
    for (; units > 128; units -= 128, node += 128) InsertNode(node, kIndexCount - 1);
    unsigned index = UnitsToIndex(units);
    if (IndexToUnits(index) != units) {
      const unsigned fits = IndexToUnits(--index);
      InsertNode(node + fits, units - fits - 1);
    }
    InsertNode(node, index);
  }
}

void* TPpmdMemory::AllocUnitsRare(unsigned index) {
  if (glueCount_ == 0) {
    GlueFreeBlocks();
    if (freeList_[index]) return RemoveNode(index);
  }
  unsigned larger = index;
  do {
    if (++larger == kIndexCount) {
      // No free block is large enough: take it from the top of the text area.
      const uint32_t bytes = IndexToUnits(index) * kUnitSize;
      --glueCount_;
      return uint32_t(UnitsStart - Text) > bytes ? (UnitsStart -= bytes) : nullptr;
    }
  } while (!freeList_[larger]);
  void* block = RemoveNode(larger);
  SplitBlock(block, larger, index);
  return block;
}

void* TPpmdMemory::AllocUnits(unsigned index) {
  if (freeList_[index]) return RemoveNode(index);
  const uint32_t bytes = IndexToUnits(index) * kUnitSize;
  if (bytes <= uint32_t(HiUnit - LoUnit)) {
    void* block = LoUnit;
    LoUnit += bytes;
    return block;
  }
  return AllocUnitsRare(index);
}

void* TPpmdMemory::AllocContext() {
  if (HiUnit != LoUnit) return HiUnit -= kUnitSize;
  if (freeList_[0]) return RemoveNode(0);
  return AllocUnitsRare(0);
}

void* TPpmdMemory::GrowUnits(void* block, unsigned units) {
  const unsigned index = UnitsToIndex(units);
  if (index == UnitsToIndex(units + 1)) return block;
  void* grown = AllocUnits(index + 1);
  if (!grown) return nullptr;
  std::memcpy(grown, block, units * kUnitSize);
  InsertNode(block, index);
  return grown;
}

void* TPpmdMemory::ShrinkUnits(void* block, unsigned oldUnits, unsigned newUnits) {
  const unsigned oldIndex = UnitsToIndex(oldUnits);
  const unsigned newIndex = UnitsToIndex(newUnits);
  if (oldIndex == newIndex) return block;
  if (freeList_[newIndex]) {
    void* moved = RemoveNode(newIndex);
    std::memcpy(moved, block, newUnits * kUnitSize);
    InsertNode(block, oldIndex);
    return moved;
  }
  SplitBlock(block, oldIndex, newIndex);
  return block;
}

void TPpmdMemory::SpecialFreeUnit(void* block) {
  if (block != UnitsStart)
    InsertNode(block, 0);
  else
    UnitsStart += kUnitSize;
}

void* TPpmdMemory::MoveUnitsUp(void* block, unsigned units) {
  const unsigned index = UnitsToIndex(units);
  if (static_cast<uint8_t*>(block) > UnitsStart + 16 * 1024 || Ref(block) > freeList_[index])
    return block;
  void* moved = RemoveNode(index);
  std::memcpy(moved, block, units * kUnitSize);
  if (block != UnitsStart)
    InsertNode(block, index);
  else
    UnitsStart += IndexToUnits(index) * kUnitSize;
  return moved;
}

void TPpmdMemory::ExpandTextArea() {
  uint32_t count[kIndexCount] = {};
  if (LoUnit != HiUnit) reinterpret_cast<TNode*>(LoUnit)->Stamp = 0;
  // The free blocks right above the text area join it; they are taken off their lists below.
  auto* node = reinterpret_cast<TNode*>(UnitsStart);
  for (; node->Stamp == kFreeStamp; node += node->Units) {
    node->Stamp = 0;
    ++count[UnitsToIndex(node->Units)];
  }
  UnitsStart = reinterpret_cast<uint8_t*>(node);

  for (unsigned i = 0; i < kIndexCount; ++i) {
    for (uint32_t* link = &freeList_[i]; count[i];) {
      TNode* at = NodeAt(*link);
      while (at->Stamp == 0) {
        *link = at->Next;
        at = NodeAt(*link);
        --stamps_[i];
        if (--count[i] == 0) break;
      }
      link = &at->Next;
    }
  }
}

uint32_t TPpmdMemory::UsedMemory() const {
  uint32_t freeUnits = 0;
  for (unsigned i = 0; i < kIndexCount; ++i) freeUnits += stamps_[i] * index2Units_[i];
  return size_ - uint32_t(HiUnit - LoUnit) - uint32_t(UnitsStart - Text) - freeUnits * kUnitSize;
}

}  // namespace qel::ppmd
