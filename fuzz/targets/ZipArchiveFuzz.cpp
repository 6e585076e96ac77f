// The lister and the ZIP reader over arbitrary bytes: detection, the central-directory walk,
// the local-header walk that an archive without a usable directory gets when the
// application agrees to it, and for the reader the decoding and checking of every entry
// (test mode: nothing is written).
#include <sys/mman.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "engine/list/Quell.h"
#include "formats/zip/UnZip.h"
#include "fuzz/FuzzTargets.h"
#include "platform/Drives.h"

namespace vk::fuzz {
namespace {

// Every file lies on a fixed disk, so that multi-volume sets are split ones (and listed)
// without asking the machine about its drives for every input.
class FixedDisk : public qel::platform::IDriveProbe {
 public:
  std::optional<qel::platform::DriveInfo> Query(const std::string&) override {
    qel::platform::DriveInfo d;
    d.Root = "/";
    d.Type = qel::platform::DriveType::Fixed;
    return d;
  }
};

// The components open archives by name: the input goes to an in-memory file, named through
// /proc. One file serves every run.
int InputFile() {
  static const int fd = memfd_create("ziparchive", 0);
  return fd;
}

std::string InputPath() { return "/proc/self/fd/" + std::to_string(InputFile()); }

void WalkDamagedArchives(qel::TZipCommon& component) {
  component.OnCorruptZipHeader = [](qel::TZipCommon&, qel::THeaderTypeState, bool& cancel) {
    cancel = false;
  };
}

bool WriteInput(int fd, const uint8_t* data, size_t size) {
  if (fd < 0 || ftruncate(fd, 0) != 0) return false;
  for (size_t done = 0; done < size;) {
    const ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
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
                            qel::TSeedKeyRecord&, qel::TSeedKeyRecord&, bool& tryAgain) {
    tryAgain = false;
  };
  try {
    reader.SetArchiveFile(InputPath());
    reader.Test();
  } catch (const qel::E_RAISE&) {
  }
  return 0;
}

}  // namespace vk::fuzz
