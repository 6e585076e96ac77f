// The PPMd model's memory: one block, carved into a text area that grows up from the bottom
// (the symbols seen, which the youngest contexts point into), and 12-byte units for contexts
// and their symbol lists. Units come from size-classed free lists, from the gap between the
// low and the high mark, and at last from the top of the text area. When nothing is left the
// model restarts or cuts itself back; how and when units are handed out decides when that
// happens, so it follows the published algorithm exactly: coder and decoder must agree.
#pragma once

#include <cstdint>
#include <memory>

namespace qel::ppmd {

constexpr uint32_t kUnitSize = 12;
// Size classes of free blocks: 1-4 units one by one, then steps of 2, 3 and 4 up to 128.
constexpr unsigned kIndexCount = 38;

class TPpmdMemory {
 public:
  TPpmdMemory();

  // Keeps the block it has when the size is the same; false when it cannot be had.
  bool Allocate(uint32_t size);
  uint32_t Size() const { return size_; }

  // Empties the block: the text area at the bottom, the units in the upper 7/8.
  void Reset();

  uint8_t* At(uint32_t ref) const { return base_ + ref; }
  uint32_t Ref(const void* p) const { return uint32_t(static_cast<const uint8_t*>(p) - base_); }

  unsigned UnitsToIndex(unsigned units) const { return units2Index_[units - 1]; }
  unsigned IndexToUnits(unsigned index) const { return index2Units_[index]; }

  // A block of IndexToUnits(index) units, or null when the memory is used up.
  void* AllocUnits(unsigned index);
  // One unit for a context: from the high end first.
  void* AllocContext();
  // The block of `units` units moved to a block one unit larger when that is a new size
  // class; null when the memory is used up.
  void* GrowUnits(void* block, unsigned units);
  void* ShrinkUnits(void* block, unsigned oldUnits, unsigned newUnits);
  void FreeUnits(void* block, unsigned units) { InsertNode(block, UnitsToIndex(units)); }
  // Frees one unit; the lowest unit is given back to the text area instead.
  void SpecialFreeUnit(void* block);
  // Moves a block down towards the text area when a free one lies lower, so that cutting the
  // model back frees space next to the text.
  void* MoveUnitsUp(void* block, unsigned units);
  // Gives the free units just above the text area back to it.
  void ExpandTextArea();
  uint32_t UsedMemory() const;
  // Makes the next slow allocation merge the free blocks first.
  void GlueSoon() { glueCount_ = 0; }

  // The text area's write position and its upper limit; the units' low and high marks.
  uint8_t* Text = nullptr;
  uint8_t* UnitsStart = nullptr;
  uint8_t* LoUnit = nullptr;
  uint8_t* HiUnit = nullptr;
  uint8_t* TextStart() const { return base_ + alignOffset_; }

 private:
  struct TNode;
  void InsertNode(void* block, unsigned index);
  void* RemoveNode(unsigned index);
  void SplitBlock(void* block, unsigned oldIndex, unsigned newIndex);
  void GlueFreeBlocks();
  void* AllocUnitsRare(unsigned index);
  TNode* NodeAt(uint32_t ref) const { return reinterpret_cast<TNode*>(base_ + ref); }

  struct TFree {
    void operator()(uint8_t* p) const;
  };
  std::unique_ptr<uint8_t[], TFree> block_;
  uint8_t* base_ = nullptr;
  uint32_t size_ = 0;
  // Puts the units on 4-byte boundaries and keeps reference 0 free to mean "none".
  uint32_t alignOffset_ = 0;
  uint32_t glueCount_ = 0;
  uint32_t freeList_[kIndexCount] = {};
  uint32_t stamps_[kIndexCount] = {};  // blocks on each list
  uint8_t index2Units_[kIndexCount] = {};
  uint8_t units2Index_[128] = {};
};

}  // namespace qel::ppmd
