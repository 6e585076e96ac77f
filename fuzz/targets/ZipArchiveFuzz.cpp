// The lister and the ZIP reader over arbitrary bytes: detection, the central-directory walk,
// the local-header walk that an archive without a usable directory gets when the
// application agrees to it, and for the reader the decoding and checking of every entry
// (test mode: nothing is written).
#include "engine/list/Quell.h"
#include "formats/zip/UnZip.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {
namespace {

void WalkDamagedArchives(qel::TZipCommon& component) {
  component.OnCorruptZipHeader = [](qel::TZipCommon&, qel::THeaderTypeState, bool& cancel) {
    cancel = false;
  };
}

}  // namespace

int FuzzZipLister(const uint8_t* data, size_t size) {
  const int fd = InputFile();
  if (!WriteInput(fd, data, size)) return 0;
  static FixedDisk disk;
  qel::TQuell q;
  q.Drives = &disk;
  q.ShowEmptyDirs = true;
  q.OnRead = [&q](qel::TZipCommon&, int64_t, int) {
    const qel::TEntryRecord& e = q.Entry();
    volatile size_t touched = e.FileName.size() + e.FileComment.size() + e.VolumeName.size();
    (void)touched;
  };
  WalkDamagedArchives(q);
  try {
    q.SetArchiveFile(InputPath());
    q.Activate();
  } catch (const qel::E_RAISE&) {
  }
  return 0;
}

int FuzzZipReader(const uint8_t* data, size_t size) {
  if (!WriteInput(InputFile(), data, size)) return 0;
  static FixedDisk disk;
  qel::TUnZip reader;
  reader.Drives = &disk;
  WalkDamagedArchives(reader);
  // One password to try, and no second chance: encrypted entries run their checks.
  reader.SetPassword("password");
  reader.OnGetPassword = [](qel::TZipCommon&, const std::string&, std::string&,
                            qel::TSeedKeyRecord&, qel::TSeedKeyRecord&,
                            bool& tryAgain) { tryAgain = false; };
  try {
    reader.SetArchiveFile(InputPath());
    reader.Test();
  } catch (const qel::E_RAISE&) {
  }
  return 0;
}

}  // namespace vk::fuzz
