// Where a listing keeps its rows. The views hold pointers to the records, and an archive
// may have hundreds of thousands of entries, so records are made in fixed chunks that never
// move: growing the store copies nothing and never holds two copies of the list at once.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "app/core/ShellItem.h"

namespace vk::app {

class TShellItemStore {
 public:
  // A new default record at the end.
  TShellItem& Add() {
    if (size_ == chunks_.size() * kChunk) chunks_.push_back(std::make_unique<TShellItem[]>(kChunk));
    return At(size_++);
  }
  TShellItem& At(size_t i) { return chunks_[i / kChunk][i % kChunk]; }
  const TShellItem& At(size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() {
    chunks_.clear();
    size_ = 0;
  }

  // Record order, for range-for loops.
  class iterator {
   public:
    iterator(TShellItemStore* store, size_t i) : store_(store), i_(i) {}
    TShellItem& operator*() const { return store_->At(i_); }
    iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator!=(const iterator& other) const { return i_ != other.i_; }

   private:
    TShellItemStore* store_;
    size_t i_;
  };
  iterator begin() { return {this, 0}; }
  iterator end() { return {this, size_}; }

 private:
  static constexpr size_t kChunk = 4096;
  std::vector<std::unique_ptr<TShellItem[]>> chunks_;
  size_t size_ = 0;
};

}  // namespace vk::app
