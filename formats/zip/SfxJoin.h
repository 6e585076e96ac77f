// Putting a ZIP behind a stub (and a settings block): the entries and the data in front of
// the directory are copied as they stand, and every offset the archive records (each central
// record's, the end records') moves by what now precedes it, so other tools read the result
// as an ordinary archive.
#pragma once

#include <cstdint>

namespace qel {

class TFileStream32;
class TStream64;
class TZipCommon;

// Appends the ZIP that `owner` detected (its ArchiveFile, open as `source`) to `out`, whose
// position is where the archive now starts. With `jarHeaders` the local header of each entry
// written with a data descriptor gets its CRC and sizes too, as Java's loaders want them.
// Raises through `owner` when the directory cannot be read or a write fails.
void AppendShiftedZip(TZipCommon& owner, TFileStream32& source, TStream64& out, int outFd,
                      bool jarHeaders);

}  // namespace qel
