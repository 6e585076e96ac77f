// TqelFileScan: the file scanner the archive writers gather the files to store with.
// FileSpec items (file names or masks, each with an optional folder) are grouped by folder;
// each group's folder is searched, and with RecurseDirs the folders below it.
//
// The search never follows a symbolic link to a folder, stops descending at MaxDepth (and
// at a folder that is one of its own ancestors, which bind mounts can make), never takes
// FIFOs, sockets or devices (reading a FIFO would block), and never takes the files named
// in ExcludedFiles, compared by device and inode so that no spelling of the path slips by.
// A symbolic link to a regular file carries the reparse-point attribute: the default
// AttributesEx leaves it out, and when taken it stands for its target's content.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/base/Types.h"
#include "engine/scan/FileObject.h"
#include "engine/scan/ScanNotice.h"

namespace qel {

class TMultiMask;

// soScanDrvs asks for every drive root to be searched; a Linux system has the one root "/"
// and no drives, so both options search the folders FileSpec names.
enum class TfsScanOptions : uint8_t { soScanDir, soScanDrvs };

class TqelFileScan {
 public:
  using TScanFileEvent = std::function<void(TqelFileScan& Sender, const WideString& FileName,
                                            int FilesCount, int64_t FilesSize)>;
  using TFinishedEvent =
      std::function<void(TqelFileScan& Sender, int FilesCount, int64_t FilesSize)>;
  using TDirEvent = std::function<void(TqelFileScan& Sender, const WideString& Dir)>;
  using TScanErrorEvent =
      std::function<void(TqelFileScan& Sender, const WideString& FileName, int ECode)>;
  using TNoticeEvent =
      std::function<void(TqelFileScan& Sender, const WideString& Name, TScanNotice Notice)>;

  static constexpr int kDefaultMaxDepth = 256;

  // Consumed by Scan: callers hand the scanner a copy. "\" in an item is read as "/". An
  // item's own folder is taken as the system takes it (a relative one from the current
  // folder); an item without one is looked for in RootDir, else in the current folder.
  TStrings FileSpec;
  TqelFileAttributes Attributes{TqelFileAttribute::fsZeroAttr, TqelFileAttribute::fsReadOnly,
                                TqelFileAttribute::fsArchive, TqelFileAttribute::fsCompressed,
                                TqelFileAttribute::fsEncrypted};
  TqelFileAttributes AttributesEx{TqelFileAttribute::fsReparsePoints};
  bool IncludeHiddenDirs = false;  // search folders whose names start with "."
  // Also list the folders below a searched folder that hold no file at any depth (taken or
  // not), each just before what was found in it: a writer stores them so that empty folders
  // survive. Needs RecurseDirs.
  bool IncludeEmptyDirs = false;
  // Changes to each group's folder as the scan reaches it.
  WideString RootDir;
  bool RecurseDirs = true;
  TfsScanOptions ScanOptions = TfsScanOptions::soScanDir;
  TqelSortOptions Sorted = TqelSortOptions::soUnsort;
  // Files never taken (a writer's archive and its temporary file); names that do not exist
  // when the scan starts are ignored.
  TStrings ExcludedFiles;
  // Folders deeper than this below a group's folder are not searched (25270 is reported).
  int MaxDepth = kDefaultMaxDepth;
  // Asked before every group and every folder entry; true ends the scan.
  std::function<bool()> Cancelled;

  TScanFileEvent OnScanFile;
  TFinishedEvent OnFinished;  // fires at the end of every scan
  TDirEvent OnRootDirChange;
  TDirEvent OnRecurseDir;
  // 25270 "Too many nested dirs" for a folder not searched, 25170 "is not accessible" for
  // a folder that cannot be listed; the scan goes on.
  TScanErrorEvent OnError;
  // What the scan leaves out without being asked to: links and special files a mask
  // matches, hidden folders not searched, items that found no file (Name is the item).
  TNoticeEvent OnNotice;

  void Scan();

  const TFilesList& Files() const { return FFiles; }
  // Files taken (folder entries are not counted) and their total size.
  int FilesCount() const { return FFilesCount; }
  int64_t FilesSize() const { return FFilesSize; }

 private:
  using FileId = std::pair<dev_t, ino_t>;

  bool IsCancelled() const { return Cancelled && Cancelled(); }
  void Report(const std::string& fileName, int code);
  void Notice(const std::string& name, TScanNotice notice);
  // Notes the items of a group (each with its mask) that matched no name in it.
  void NoteUnmatched(const std::vector<std::pair<std::string, std::string>>& items);
  // Searches `dir`; answers whether a file lies in it or below it, taken or not.
  bool SearchFolder(const std::string& dir, const TMultiMask& masks, int depth);
  bool TakeFile(const std::string& path, const std::string& name, const struct stat& lst,
                const TMultiMask& masks);

  TFilesList FFiles;
  int FFilesCount = 0;
  int64_t FFilesSize = 0;
  std::set<FileId> FExcludedIds;
  std::set<std::string> FTaken;              // a file named by two groups is taken once
  std::unordered_set<std::string> FMatched;  // the group's names a mask matched, lower-cased
  std::vector<FileId> FAncestors;            // the folders being searched, outermost first
};

}  // namespace qel
