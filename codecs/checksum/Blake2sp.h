// BLAKE2sp: eight BLAKE2s leaves fed 64-byte blocks in turn, their digests hashed by a root
// BLAKE2s (a tree of fanout 8 and depth 2), 32 bytes out. RAR 5 keeps it as a file's hash
// in place of a CRC-32.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qel {

// One BLAKE2s node, as a leaf or the root of the tree.
class TBlake2s {
 public:
  // `offset`, `depth` and `last` place the node in a fanout-8 tree of depth 2.
  TBlake2s(uint32_t offset, uint8_t depth, bool last);
  void Update(const uint8_t* data, size_t size);
  std::array<uint8_t, 32> Final();

 private:
  void Compress(const uint8_t* block, bool final);

  uint32_t h_[8];
  uint64_t counter_ = 0;
  bool last_;
  uint8_t buffer_[64];
  size_t buffered_ = 0;
};

class TBlake2sp {
 public:
  TBlake2sp();
  void Update(const uint8_t* data, size_t size);
  std::array<uint8_t, 32> Final();

 private:
  std::array<TBlake2s, 8> leaves_;
  uint8_t buffer_[8 * 64];  // one block for each leaf, filled in turn
  size_t buffered_ = 0;
};

}  // namespace qel
