// The spanned-ZIP writer: spreads a finished ZIP archive over removable disks, one file of the
// same name on each disk, and writes the central directory and the end record onto the last
// one. The archive is built complete elsewhere first (the writer's temporary file), so a
// failed or cancelled spanning never harms it; what reached the disks stays there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Types.h"
#include "engine/volumes/DiskManager.h"
#include "formats/zip/DirectoryWriter.h"

namespace qel {

class TZipCommon;
class TStream64;
class TFileStream32;

// What is spread over the disks.
struct TSpanSource {
  TStream64& Archive;  // the finished archive
  int64_t EntriesEnd;  // where its entries end (where its own directory starts)
  std::vector<zip::TCentralRecord> Records;    // offsets into Archive
  std::string Comment;                         // the archive comment
  const TSeedKeyRecord* HeaderSeed = nullptr;  // the keys when the headers are enciphered
};

class TDiskSpanObj {
 public:
  // `archiveFile` is the set's file on the removable drive; every disk gets a file of that
  // name. The owner's disk events, drive layer, progress, errors and cancel flag are used.
  TDiskSpanObj(TZipCommon& owner, std::string archiveFile, TSpanSource source,
               int64_t leaveSpaceOnFirstDisk);
  ~TDiskSpanObj();

  // Copies every entry onto the disks, asking for each disk, then writes the directory.
  // True when the whole archive went out; every failure and refusal has been reported.
  bool Write();

  // Disks begun so far.
  int DiskCount() const { return disk_; }
  // The records with the disk (from 0) and the offset on it where each entry went.
  const std::vector<zip::TCentralRecord>& Records() const { return source_.Records; }

 private:
  // An entry's bytes in the finished archive: its local header, then the rest up to the
  // next entry.
  struct TExtent {
    size_t Record;
    int64_t Offset;
    int64_t HeaderSize;
    int64_t Size;
  };
  enum class TDiskCheck { Accepted, Refused, Failed };

  bool Plan(std::vector<TExtent>& extents);
  int64_t DirectorySize();
  // Asks for disk `disk_` until one is accepted, and creates the archive file on it.
  bool PrepareDisk();
  TDiskCheck CheckDisk();
  TDiskCheck ClearDisk();
  bool CheckDrive();
  bool CreateFile();
  // Closes the current disk's file and prepares the next disk, which must offer `need` bytes.
  bool NextDisk(int64_t need);
  // Copies `count` bytes from `from` in the finished archive, rolling over to new disks.
  bool Copy(int64_t from, int64_t count);
  bool Put(const void* data, int64_t count);
  bool Fail(const WideString& fileName, const WideString& extended, int code);
  bool Canceled();

  TZipCommon& owner_;
  std::string archiveFile_;
  TSpanSource source_;
  int64_t leaveSpace_;
  TDiskManager disks_;
  int disk_ = 0;         // from 1
  uint32_t serial_ = 0;  // of the disk written last; 0 before the first or when unknown
  int64_t reserve_ = 0;  // the free space a disk must offer
  int64_t room_ = 0;     // what may still be written to the current disk
  int64_t written_ = 0;  // the size of the file on the current disk
  int refusedCode_ = 0;  // why the last disk offered was refused
  std::unique_ptr<TFileStream32> file_;
};

}  // namespace qel
