// Drives made of folders, for tests: each registered folder stands for a drive with the
// label, serial, type and capacity the test gives it. A drive can have its medium changed,
// which is how tests play through requests for the next disk of a spanned set.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/Drives.h"

namespace qel::platform {

class FakeDrives : public IDriveProbe {
 public:
  // Paths on no registered drive are passed to `fallback` when there is one.
  explicit FakeDrives(IDriveProbe* fallback = nullptr);

  // Registers `folder` as a drive described by `info` (its Root becomes the absolute folder,
  // its FreeBytes is worked out on each query).
  void Add(const std::string& folder, DriveInfo info);

  // Changes the medium in the registered drive `folder`: the drive takes the new label and
  // serial, and `folder` becomes a symbolic link to `contents`, the new medium's files. The
  // drive's folder must not be a real folder then (register a path that does not exist yet).
  // False when `folder` is no registered drive or the link cannot be made.
  bool Insert(const std::string& folder, const std::string& label, uint32_t serial,
              const std::string& contents);

  // Takes the medium out: the link goes, and the drive is not ready (queries answer nothing)
  // until the next Insert.
  bool Eject(const std::string& folder);

  // The registered drive whose folder is the longest leading part of `path`; nothing when
  // `path` does not exist, as on a real drive.
  std::optional<DriveInfo> Query(const std::string& path) override;

 private:
  IDriveProbe* fallback_;
  std::map<std::string, DriveInfo> drives_;  // keyed by the absolute folder
};

}  // namespace qel::platform
