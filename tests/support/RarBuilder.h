// RAR 4 archives of stored files, built byte by byte (no Debian tool makes RAR): for the
// tests of the RAR reader and its hostile inputs, and for the benchmark's large sets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/Files.h"

namespace qel::test {

struct TRarFile {
  std::string name;  // as stored: "/" or "\" as the test wants
  Bytes data;
  uint8_t host = 2;      // 2 Win32, 3 Unix
  uint32_t attr = 0x20;  // DOS bits, or the Unix mode from host 3
  bool folder = false;
  bool encrypted = false;  // flagged only: the data stays as it is
};

// The volumes of a set: a volume takes at most `volumeData` data bytes (0: everything in one
// volume), files split over volumes where they cross that size; every volume ends with an
// end block saying whether another follows.
std::vector<Bytes> BuildRar4(const std::vector<TRarFile>& files, size_t volumeData = 0,
                             bool newNumbering = false);

// A RAR 5 archive of stored files in one volume, each checked by its CRC-32 or, with
// `blake2`, by a BLAKE2sp hash alone.
Bytes BuildRar5(const std::vector<TRarFile>& files, bool blake2 = false);

}  // namespace qel::test
