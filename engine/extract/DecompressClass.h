// TDecompressClass: the outer frame every format reader shares when it extracts or tests:
// its settings, the output mode, opening the archive and its later volumes, the file
// filters and the operation with its events. The walk over the entries is the reader's.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/base/ZipCommon.h"

namespace qel {

class TFileStream32;

enum class TCpuType : uint8_t { cptAuto, cpt80286, cpt80386, cpt80486 };

// What the running operation does with the decoded data (the numbers are the ones the
// components have always used).
enum class TOutputMode : uint8_t {
  Extract = 0,       // one file per entry under ExtractDir
  Test = 7,          // nothing written: decode and check only
  Continue = 8,      // an entry's data goes on in the next volume: append to its output
  ExtractAsIs = 10,  // like Extract, without looking inside a compressed TAR
};

class TDecompressClass : public TZipCommon {
 public:
  TDecompressClass();
  ~TDecompressClass() override;

  // The target folder: "" until assigned; assigning creates it when missing (reporting
  // 25150 "ExtractDir" and falling back to the current folder when that fails, which
  // answers false), and an empty value stands for the archive's folder. Kept absolute,
  // ending with "/".
  const WideString& ExtractDir() const { return FExtractDir; }
  bool SetExtractDir(const WideString& folder);
  bool CreateStoredDirs = false;
  TOverwriteMode OverwriteMode = TOverwriteMode::omOverwrite;
  bool RestoreFileAttr = true;
  TCpuType CpuType = TCpuType::cptAuto;  // kept for the published set; no decoder uses it
  int ZipCmntBufSize = 32000;
  // Asked before a compressed TAR is extracted (not for ExtractAsIs, nor when testing).
  TNestedTarEvent OnNestedTarFile;

  // Each runs the reader over the archive and answers the number of entries processed
  // (0 when the archive could not be opened).
  int Extract();
  int ExtractAsIs();
  int Test();

  TOutputMode OutputMode() const { return FOutputMode; }
  // Entries processed so far in the running operation.
  int Count() const { return FCount; }
  // The volume being read.
  const WideString& VolumeName() const { return FVolumeName; }

  // The file filters with OnExcludeFile: the folder-aware form and the flat one.
  bool MatchesSpec(const WideString& name);
  bool MatchesSpecFlat(const WideString& name);
  // The folder-aware filters without the event: for a count before the walk that fires it.
  bool Selects(const WideString& name) const;

 protected:
  // The reader's walk over its entries, run inside the operation frame.
  virtual void ExtractEntries() = 0;
  // Called once the reader's walk is over (not after a cancel or a raise).
  virtual void EndEntries() {}
  // Called when an operation ends, however it ended: closes what an entry left open.
  virtual void ReleaseOutput() {}
  // Readers that go through an external library open the archive themselves.
  virtual bool NeedsArchiveStream() const { return true; }

  // A reader switches to Continue while an entry's data goes on in the next volume.
  void SetOutputMode(TOutputMode mode) { FOutputMode = mode; }
  // Modes that write files under ExtractDir.
  bool IsDiskMode() const {
    return FOutputMode == TOutputMode::Extract || FOutputMode == TOutputMode::ExtractAsIs;
  }
  TFileStream32* ArchiveStream() { return FArchive.get(); }
  // Moves on to the next volume when the current one has ended: the reader overrides it
  // for sets whose volumes need more than a file name (spanned disks).
  virtual bool OpenNextVolume();
  // The file name of the next volume of a split set.
  virtual WideString NextVolumeName();
  // Opens `name` as the volume being read; false (reported) when it cannot be opened.
  bool OpenVolume(const WideString& name);
  // Makes `file`, opened by the reader, the volume being read (a spanned set's disk).
  void UseVolume(std::unique_ptr<TFileStream32> file, const WideString& name);
  // Closes the volume being read, as changing a disk requires.
  void CloseVolume();
  // Changes whenever the volume being read does: what a reader read ahead of a volume
  // holds while this stays the same.
  uint64_t VolumeSerial() const { return FVolumeSerial; }
  // True when `path` names the archive or one of its volumes read so far.
  bool IsArchiveFile(const WideString& path) const;

  // The folder the running operation writes to; ends with "/".
  WideString FTargetDir;
  int FCount = 0;
  // Byte totals behind the archive percentage (the archive's size unless the reader knows
  // better) and the newest entry date, for daMaxFileDate.
  int64_t FArchiveTotal = 0;
  uint32_t FNewestDate = 0;

 private:
  int Run(TOutputMode mode);
  void ResetState();

  WideString FExtractDir;
  TOutputMode FOutputMode = TOutputMode::Extract;
  WideString FVolumeName;
  std::unique_ptr<TFileStream32> FArchive;
  uint64_t FVolumeSerial = 0;
  std::vector<std::pair<dev_t, ino_t>> FVolumeIds;
};

}  // namespace qel
