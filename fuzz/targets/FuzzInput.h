// What the targets that open archives by name share: the input in an in-memory file named
// through /proc, and a machine whose every file lies on a fixed disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "engine/base/Errors.h"
#include "engine/list/Quell.h"
#include "platform/Drives.h"

namespace vk::fuzz {

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
inline int InputFile() {
  static const int fd = memfd_create("ziparchive", 0);
  return fd;
}

inline std::string InputPath() { return "/proc/self/fd/" + std::to_string(InputFile()); }

inline bool WriteInput(int fd, const uint8_t* data, size_t size) {
  if (fd < 0 || ftruncate(fd, 0) != 0) return false;
  for (size_t done = 0; done < size;) {
    const ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// Lists the input and tests it with a `TReader`, as a user opening and testing it would.
template <class TReader>
int ListAndTest(const uint8_t* data, size_t size, bool showFolders = true,
                const std::string& password = {}) {
  if (!WriteInput(InputFile(), data, size)) return 0;
  static FixedDisk disk;
  qel::TQuell q;
  q.Drives = &disk;
  q.ShowEmptyDirs = showFolders;
  TReader reader;
  reader.Drives = &disk;
  reader.SetPassword(password);
  try {
    q.SetArchiveFile(InputPath());
    q.Activate();
    reader.SetArchiveFile(InputPath());
    reader.Test();
  } catch (const qel::E_RAISE&) {
  }
  return 0;
}

}  // namespace vk::fuzz
