// One run of the lister over one open archive: what every format branch shares (the file,
// the filters, the counting and reporting of entries, the totals).
#pragma once

#include <cstdint>
#include <memory>

#include "engine/base/Bytes.h"
#include "engine/list/Quell.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/ReadAheadWindow.h"

namespace qel {

class TListSession {
 public:
  TListSession(TCustomQuell& quell, std::unique_ptr<TFileStream32> file)
      : Q(quell), StartOffset(quell.HeaderOffset()), StartFlags(quell.HeadFlag()) {
    UseFile(std::move(file));
  }

  // The archive file to read from now on (a spanned set's disk changes it, a gathered
  // central directory stands in for it).
  void UseFile(std::unique_ptr<TStream64> file) {
    file_ = std::move(file);
    FileSize = file_ ? file_->Size() : 0;
    window_.Use(file_.get(), FileSize);
  }
  // Closes the archive, as a disk change requires.
  void CloseFile() { UseFile(nullptr); }
  // Reads exactly `count` bytes at `pos`; false when they are not all in the file. Headers
  // follow one another, so reads go through a window of the file read ahead in one call.
  bool ReadAt(int64_t pos, void* buffer, int64_t count) {
    return window_.ReadAt(pos, buffer, count);
  }

  // ReadAt as the record readers take it.
  TReadAt Reader() {
    return [this](int64_t at, uint8_t* data, int64_t size) { return ReadAt(at, data, size); };
  }

  // The archive as a stream, for branches that decode it rather than read its headers.
  TStream64* File() { return file_.get(); }

  TCustomQuell& Q;
  int64_t FileSize = 0;
  // Where the first header is and which ZIP structures are known, as detection found them
  // (or, for a spanned set, as they are on its last disk).
  int64_t StartOffset;
  THeaderTypeState StartFlags;

  bool Cancelled() const { return Q.Cancel(); }

  // Fires OnReadFile, applies the filters and, when the entry passes, counts and reports
  // it: files always, folders (names ending with "/") only with ShowEmptyDirs, and only
  // files add to the totals. `offset` is where the entry's header starts; `storedPacked` is
  // the compressed size as stored, which the totals add.
  void Report(TEntryRecord& entry, int64_t offset, uint64_t storedPacked, bool flatFilter);

  // 25114 "Bad file header".
  void BadHeader(const WideString& name = {});

  int Count() const { return count_; }
  uint64_t UnpackTotal() const { return unpackTotal_; }
  uint64_t PackTotal() const { return packTotal_; }

 private:
  std::unique_ptr<TStream64> file_;
  TReadAheadWindow window_;
  int count_ = 0;
  uint64_t unpackTotal_ = 0;
  uint64_t packTotal_ = 0;
};

}  // namespace qel
