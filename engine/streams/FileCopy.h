// Writing whole buffers to an open file, and copying a range of one open file into another
// without passing it through the program:
// the tools that split, merge and wrap archives move entries as they stand, and the kernel
// copies them fastest (sharing the blocks where the file system can).
#pragma once

#include <cstdint>

namespace qel {

// Writes all `count` bytes to the current position of `fd`, however many calls that takes.
// False, with errno set, when a write failed.
bool WriteFileBytes(int fd, const uint8_t* data, int64_t count);

// Copies `count` bytes at `inPos` of `inFd` to the current position of `outFd`, which moves
// on by as much. False, with errno set, when a read or write failed or the input ended early.
bool CopyFileBytes(int inFd, int64_t inPos, int outFd, int64_t count);

}  // namespace qel
