// The data of compressed RAR entries, decoded by libarchive. The volumes of a set are handed
// to it as one run of bytes, the first from the archive's start (past a self-extractor's
// program), each next one once the end of the one before is read: its RAR readers step from
// a volume's end block into the next volume's headers by themselves. Entries are met in
// archive order, one per file, as the header walk of the extraction numbers them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct archive;

namespace qel {
class TFileStream32;
}

namespace qel::unrar {

class TLibarchiveRar {
 public:
  // `volumes` grows while the walk finds more; the reader only ever reads those listed.
  TLibarchiveRar(const std::vector<std::string>& volumes, int64_t start);
  ~TLibarchiveRar();
  TLibarchiveRar(const TLibarchiveRar&) = delete;
  TLibarchiveRar& operator=(const TLibarchiveRar&) = delete;

  // What the header walk found of an entry.
  struct TExpected {
    size_t Volume;        // where its header is
    int64_t HeaderStart;  // in that volume
    uint64_t Unpacked;
    bool Directory;
  };
  // Moves to file number `index` (from 0) and checks that libarchive found there what the
  // header walk did: the header at the same place, a folder or not, the same size.
  // ERAR_SUCCESS, or the failure.
  int MoveTo(int index, const TExpected& expected);
  // Hands the entry's data to `sink` piece by piece; `sink` answers false to stop.
  // ERAR_SUCCESS, ERAR_CANCELLED, or ERAR_BAD_DATA when libarchive failed (damaged data,
  // a CRC that does not match, a method it lacks).
  int Read(const std::function<bool(const uint8_t*, size_t)>& sink);

 private:
  static long ReadCallback(struct archive*, void* self, const void** buffer);
  static int64_t SkipCallback(struct archive*, void* self, int64_t request);
  bool OpenVolume(size_t index);
  // Where volume `index` begins in the run of bytes libarchive reads.
  int64_t StreamOffset(size_t index) const;

  const std::vector<std::string>& volumes_;
  int64_t start_;
  size_t volume_ = 0;
  std::unique_ptr<TFileStream32> file_;
  std::vector<uint8_t> buffer_;
  struct archive* a_ = nullptr;
  int index_ = -1;       // the entry libarchive is at
  bool broken_ = false;  // libarchive can go no further
};

}  // namespace qel::unrar
