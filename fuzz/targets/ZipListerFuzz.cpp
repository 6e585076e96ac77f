// The lister over arbitrary bytes: detection, the central-directory walk, and the local-header
// walk that an archive without a usable directory gets when the application agrees to it.
#include <sys/mman.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "engine/list/Quell.h"
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

// The lister opens archives by name: the input goes to an in-memory file, named through
// /proc. One file serves every run.
int InputFile() {
  static const int fd = memfd_create("ziplister", 0);
  return fd;
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
  q.OnCorruptZipHeader = [](qel::TZipCommon&, qel::THeaderTypeState, bool& cancel) {
    cancel = false;
  };
  try {
    q.SetArchiveFile("/proc/self/fd/" + std::to_string(fd));
    q.Activate();
  } catch (const qel::E_RAISE&) {
  }
  return 0;
}

}  // namespace vk::fuzz
