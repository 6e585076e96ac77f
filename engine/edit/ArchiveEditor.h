// TArchiveEditor: renames entries inside an archive without decompressing anything. The
// names are changed in memory, one entry at a time, a folder at a time or in a batch by a
// pair of wildcard masks, and written by one commit: the archive's writer copies every
// entry's data as it stands into a temporary archive that replaces the old one only when
// it is whole.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/ZipCommon.h"
#include "engine/compress/CompEntry.h"

namespace qel {

class TCompBase;
class TArchiveEditor;

using TEditorNameEvent = std::function<void(TArchiveEditor& Sender, const WideString& FileName)>;
using TBatchSkipFileEvent =
    std::function<void(TArchiveEditor& Sender, const WideString& OldFileName,
                       const WideString& NewFileName, int Index, bool& SkipChange)>;
using TCommitFileNameEvent =
    std::function<void(TArchiveEditor& Sender, const WideString& NewFileName, int Index)>;

// A file name under a rename by wildcards, as a command line's rename takes them: the
// target mask's literal characters are copied, "?" takes the name's character at that place
// and "*" the name's characters up to its last "." (all that is left when "*" ends the
// mask). Only the file part changes: a folder part is kept. The name is kept when it is
// empty or the masks are equal.
WideString MapName(const WideString& name, const WideString& sourceMask,
                   const WideString& targetMask);

class TArchiveEditor : public TZipCommon {
 public:
  TArchiveEditor();
  ~TArchiveEditor() override;

  // Whether names that differ only in case count as different.
  bool CaseSensitive = false;

  TEditorNameEvent OnGetCompressedFileName;
  TBatchSkipFileEvent OnBatchSkipFile;
  TCommitFileNameEvent OnCommitFileName;

  // Reads the archive's entries with the writer of its type; false, reported, when the
  // archive cannot be read or its type cannot be renamed in (25234).
  bool Open();
  void Close();
  bool IsOpen() const { return FWriter != nullptr; }

  int Count() const { return int(FEntries.size()); }
  WideString EntryName(int index) const;
  // Gives one entry a new name, cleaned as stored names are ("\" and "/" separate folders,
  // no drive, no "." or ".." parts); false, reported, for a name that cleans to nothing or
  // is too long for the format.
  bool RenameEntry(int index, const WideString& newName);
  // Moves a folder: every entry below `folder` (and its own entry) to below `newFolder`.
  // Answers the entries renamed; -1, reported, when the new folder name is invalid.
  int RenameFolder(const WideString& folder, const WideString& newFolder);
  // The entry stored as `path`, or else the folder `path` with everything in it, renamed to
  // `newPath`; false when nothing has that name or the new name is refused.
  bool RenamePath(const WideString& path, const WideString& newPath);
  // Renames each entry that `sourceMask` selects (in `folder` unless RecurseDirs) by
  // MapName, asking OnBatchSkipFile first. Answers the entries renamed.
  int BatchRename(const WideString& sourceMask, const WideString& targetMask,
                  const WideString& folder);

  // Whether some entry's name differs from its name when the archive was opened.
  bool Modified() const;
  // Whether the new names can be written: false, reported (25365), when a renamed entry
  // would share its name with another entry, or a file would stand where a folder is.
  bool CheckNames();
  // Writes the new names, once CheckNames allows them. Answers whether the archive was written;
  // nothing is written when nothing was modified.
  bool Commit();

 private:
  std::unique_ptr<TCompBase> FWriter;
  TCompList FEntries;
  std::vector<WideString> FOpened;  // the names at opening
  bool SameName(const WideString& a, const WideString& b) const;
  // The first renamed entry whose name clashes with another's; -1 when none does.
  int FirstClash() const;
};

}  // namespace qel
