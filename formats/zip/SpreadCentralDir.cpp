#include "formats/zip/SpreadCentralDir.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "engine/streams/FileStream32.h"

namespace qel::zip {

std::optional<std::vector<uint8_t>> GatherCentralDir(const TCentralDirLocation& tail,
                                                     const TOpenDisk& openDisk) {
  const uint64_t want = tail.CentralSize();
  uint64_t from = tail.CentralOffset();
  std::vector<uint8_t> bytes;
  std::set<std::pair<dev_t, ino_t>> seen;
  for (uint32_t disk = tail.CentralDisk(); disk <= tail.ThisDisk() && bytes.size() < want;
       ++disk, from = 0) {
    TFileStream32* stream = openDisk(disk);
    struct stat st {};
    if (!stream || ::fstat(stream->Handle(), &st) != 0 ||
        !seen.emplace(st.st_dev, st.st_ino).second)
      return std::nullopt;
    const int64_t size = stream->Size();
    if (from > uint64_t(size)) return std::nullopt;
    // Grown disk by disk: a damaged size cannot make the buffer larger than the disks.
    const size_t have = bytes.size();
    const size_t take = size_t(std::min<uint64_t>(want - have, uint64_t(size) - from));
    bytes.resize(have + take);
    if (!stream->ReadExactAt(int64_t(from), bytes.data() + have, int64_t(take)))
      return std::nullopt;
  }
  if (bytes.size() != want) return std::nullopt;
  return bytes;
}

}  // namespace qel::zip
