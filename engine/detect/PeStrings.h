// Reads the string table of a Windows executable straight from its bytes, so that a
// self-extractor can tell where its payload starts without the executable being loaded.
// Every position and size in the image is untrusted: a lookup that would leave the file
// answers "missing" instead.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/streams/Stream.h"

namespace qel {

class TPeStrings {
 public:
  // Parses the headers once; never throws.
  explicit TPeStrings(TStream64& image);

  // A PE image with a resource directory.
  bool Valid() const { return valid_; }

  // The string with resource identifier `id` (0..65535) as UTF-8; empty when missing or
  // unreadable. The first language found is taken.
  std::string String(unsigned id);

 private:
  struct TSection {
    uint64_t va;
    uint64_t span;  // bytes of the section that the file actually holds
    uint64_t pointer;
  };

  // The file position of `count` bytes at `rva`, when one section holds all of them.
  bool Map(uint64_t rva, uint64_t count, int64_t& pos) const;
  bool ReadRva(uint64_t rva, void* buffer, uint64_t count);
  // The raw target (subdirectory flag and offset) of the entry named `id` in the resource
  // directory at `dirOffset` from the resource root; the first entry when `id` < 0.
  bool FindEntry(uint32_t dirOffset, int32_t id, uint32_t& target);

  TStream64& image_;
  int64_t size_ = 0;
  std::vector<TSection> sections_;
  uint32_t resourceRva_ = 0;
  bool valid_ = false;
};

}  // namespace qel
