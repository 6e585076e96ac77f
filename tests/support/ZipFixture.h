// Small ZIP archives built byte by byte, with the positions of their records, for tests
// that need a well-known archive without a peer tool.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qel::test {

struct TZipFixture {
  std::vector<uint8_t> bytes;
  size_t central = 0;  // the first central header
  size_t end = 0;      // the end record
};

// Two stored entries, "a.txt" and "dir/b.txt", and `comment`. `base` is the position the
// archive's own offsets count from, as if it had been written `base` bytes into a file.
TZipFixture MakeZip(std::string_view comment = "", uint32_t base = 0);

// Puts a Zip64 end record and its locator, naming `totalDisks` disks, in front of the end
// record (as writers do for large archives; the plain records stay valid here).
void AddZip64Records(TZipFixture& zip, uint32_t totalDisks);

// The local headers and data only: an archive whose end was lost.
std::vector<uint8_t> LocalPartOfZip();

}  // namespace qel::test
