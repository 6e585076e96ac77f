// Asking for the disks of a ZIP spanned over removable disks while it is read: first the
// last disk, which holds the central directory, then the first disk, then each following
// one, through the owner's OnGetZipLastDisk, OnGetZipFirstDisk and OnGetZipNextDisk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/detect/Detection.h"
#include "engine/streams/FileStream32.h"
#include "formats/zip/ZipTail.h"

namespace qel {

class TZipCommon;

class TZipDiskRequest {
 public:
  // `archiveFile` is the set's file as every disk holds it (each disk has a file of the
  // same name).
  TZipDiskRequest(TZipCommon& owner, std::string archiveFile)
      : owner_(owner), archiveFile_(std::move(archiveFile)) {}

  // 0 while the last disk is wanted, 1 for the first disk, then 2, 3... for the following.
  int State() const { return state_; }

  // Makes sure the wanted disk is in the drive and opens the archive file on it, at its
  // start; the caller has closed its own handle to the file before. In state 0 the last disk
  // is wanted and `position` and `disk` are not looked at; later the disk numbered `disk`
  // (as its label counts, from 1) whose file holds `position`. Each disk accepted moves the
  // state on by one. Null when the request failed: it was reported and the owner cancelled.
  std::unique_ptr<TFileStream32> Request(int64_t position = 0, int disk = 0);

  // What detecting the archive on the last disk found, and the end records among it.
  const TDetectResult& LastDisk() const { return lastDisk_; }
  const zip::TCentralDirLocation& LastDiskTail() const {
    return zip::ZipTail(lastDisk_.Findings.get());
  }

 private:
  std::unique_ptr<TFileStream32> FindLastDisk();
  std::unique_ptr<TFileStream32> FindDisk(int64_t position, int disk);
  bool EventAssigned() const;
  // Fires the state's event; true when the user answered go on.
  bool Ask();
  std::unique_ptr<TFileStream32> Fail();

  TZipCommon& owner_;
  std::string archiveFile_;
  int state_ = 0;
  TDetectResult lastDisk_;
};

}  // namespace qel
