// The archive file itself moved, copied or renamed. An existing file is replaced only when
// the caller says so (after asking); otherwise the new name is taken only if it is free at
// the moment of the rename, so a file that appears meanwhile is never lost.
#pragma once

#include <QString>

namespace vk::app {

struct TFileCommandResult {
  bool Ok = false;
  QString Error;  // why not, in the system's words
};

// Where the archive goes when moved or copied into `folder`.
QString TargetInFolder(const QString& archive, const QString& folder);

// The archive's folder + `newName` + the archive's extension; empty when `newName` is not a
// plain file name (empty, "." or "..", or holding "/").
QString RenamedTarget(const QString& archive, const QString& newName);

// The archive's name without its extension, and the extension with its dot ("" without
// one): what the rename dialog shows.
QString NameWithoutExtension(const QString& archive);
QString ExtensionOf(const QString& archive);

// Why `target` cannot take the archive (it is the archive itself, or a folder); empty when
// it can.
QString TargetProblem(const QString& archive, const QString& target);

// Moves the archive onto `target`: a rename, or across file systems a copy beside the target
// that takes its name when whole, and then the original removed.
TFileCommandResult MoveArchiveFile(const QString& archive, const QString& target, bool replace);
// Copies it: written beside the target under a temporary name, which it leaves when whole.
TFileCommandResult CopyArchiveFile(const QString& archive, const QString& target, bool replace);

}  // namespace vk::app
