// TCompBase: the operation every archive writer runs. Compress reads the existing archive's
// directory into the per-file list (the format's part), gathers and weighs the files named
// by FileSpec against it, has the format write kept and new entries into a temporary
// archive, then commits that archive over the old one and, for a move, deletes the sources.
// The archive file is not touched before the commit; a failure or a cancel leaves it as it
// was.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "codecs/io/CodecIo.h"
#include "engine/base/HeaderRead.h"
#include "engine/compress/CompEntry.h"
#include "engine/compress/CompressClass.h"
#include "engine/compress/StoredNames.h"

namespace qel {

class IByteSink;
struct TFileObject;
class TFileStream32;
class TTempFileStream;

class TCompBase : public TCompressClass {
 public:
  using TCompressClass::TCompressClass;

  // Runs the operation Switch selects; answers the files added or replaced (0 when
  // cancelled, when nothing was done or when the new archive was not committed).
  int Compress();

  // Renaming without compressing. ReadEntries reads the existing archive's entries as the
  // writer keeps them; false, reported, when the archive cannot be read. Rename writes the
  // archive again from such a list: entries marked esRename go under their new StoredName,
  // every entry's data is copied as it stands. The archive must still be the one the list
  // was read from. Answers whether the new archive was committed.
  bool ReadEntries(TCompList& list);
  bool Rename(const TCompList& list);

 protected:
  // --- The format's part. ---
  // Reads the existing archive's entries into `list` (state esKeep); false, reported,
  // when the archive cannot be read.
  virtual bool ReadDirectory(TStream64& archive, TCompList& list) = 0;
  // Writes the entries of `list` in order to `out`: kept ones copied from `archive`, the
  // others compressed. Entries whose file could not be stored are marked esDrop.
  virtual void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) = 0;
  // The directory and end records after the entries; an archive of no entries too.
  virtual void WriteDirectory(TStream64& out, const TCompList& list) = 0;

  // Reads the directory of an archive that is a run of headers, each in front of its data,
  // from the first entry on. `read` reads the header at `pos`: on Ok it fills in the entry's
  // name, folder mark, size, time and attributes, and says where its data and the next
  // header start. Every entry is kept with its header's bytes; false, reported, when a
  // header is damaged.
  using TReadKept =
      std::function<THeaderRead(int64_t pos, TCompEntry& e, int64_t& dataStart, int64_t& next)>;
  bool ReadHeaderRun(TStream64& archive, TCompList& list, const TReadKept& read);
  // The stored name of a file found while gathering.
  WideString StoredNameOf(const WideString& path) const;
  // Lets OnRenameFile give a new entry another name, one no other entry has; false when
  // it kept proposing names that are taken.
  bool ChooseName(TCompEntry& e, const TCompList& list);
  // The time a new entry records, Unix seconds, as DateAttribute chooses it.
  int64_t EntryTimeOf(const TCompEntry& e) const;
  // Writes to the new archive; a failure reports 25136 and raises.
  void WriteOut(TStream64& out, const void* data, size_t size);
  // Whatever stands in front of the first entry (a self-extractor's program, a script, any
  // data) goes in front of the new archive as it was.
  void CopyPrefix(TStream64& archive, TStream64& out, const TCompList& list);
  // Copies `count` bytes of a kept entry from where `archive` stands, in blocks, with the
  // cancel; a failed copy reports 25136 under `name` and raises.
  void CopyKeptBytes(TStream64& archive, TStream64& out, int64_t count, const WideString& name);
  // The writers' walk over the list: each file to add through `compress` (the entry's index
  // in the list and its count among the files; answers whether the file was stored), each
  // kept or renamed entry through `copy` (only when there is an existing archive). A
  // replacement that could not be stored leaves the old entry in place; another file that
  // could not be stored is dropped. A cancel ends the walk.
  void WriteInOrder(TCompList& list, bool fromArchive,
                    const std::function<bool(size_t at, int index)>& compress,
                    const std::function<void(const TCompEntry& e)>& copy);
  // Fires OnBegin for the file about to be compressed; false when the application skips it.
  bool BeginFile(int index);
  // Opens the file of `e` for reading (nothing for a folder); false, reported, when it
  // cannot be opened.
  bool OpenSource(const TCompEntry& e, std::unique_ptr<TFileStream32>& source);
  // The CRC-32 of the file at `path` being stored, read from its start in a pass of its own
  // (a cipher's header carries it in front of the data); none when the file no longer holds
  // `size` bytes.
  std::optional<uint32_t> SourceCrc(TStream64& source, int64_t size, const WideString& path);
  // Reads the file being stored from its start into `sink` (a compressing stream), with the
  // progress and the cancel, and its CRC-32 into `crc` when asked; false when it did not
  // hold exactly `size` bytes: it changed while it was read, and what was written does not
  // stand for it.
  bool PumpSource(TStream64& source, IByteSink& sink, int64_t size, uint32_t* crc = nullptr);
  // The file being stored as an encoder's source, read from where it stands in pieces, with
  // the progress and the cancel; each piece goes past `seen` (for its check sum) first.
  TCodecSource EncoderSource(TStream64& source, int64_t size,
                             const std::function<void(const uint8_t*, size_t)>& seen);
  // The file at `path` changed while it was read (a log being written): it is reported and
  // left out, and the new archive is cut back to `offset`, where its entry began. Answers
  // false, the file not stored.
  bool LeaveOutChanged(TStream64& out, int64_t offset, const WideString& path);
  // Replaces the archive with `temp`; false, reported, when that failed or was declined
  // (the archive is then as it was).
  bool Commit(TTempFileStream& temp);
  // Hands the finished temporary archive over: commits it, unless the format delivers it
  // otherwise (a ZIP spanned over removable disks).
  virtual bool Deliver(TTempFileStream& temp) { return Commit(temp); }

  int FStored = 0;                // files added or replaced
  int64_t FArchiveTotal = 0;      // bytes of the files to store, behind the archive percentage
  int64_t FNewestTime = 0;        // the newest file's time, for daMaxFileDate
  TArcType FDetectedType = atNA;  // what the existing archive was found to be
  // Set while Rename runs: the archive keeps its own form (enciphered headers and the like)
  // rather than taking the writer's settings.
  bool FRenaming = false;

 private:
  bool PrepareArchiveFolder();
  bool ArchiveWritable();
  bool ArchiveExistsNow() const;
  // Opens the existing archive and reads its directory into `list`; null (reported) when it
  // cannot be opened, raised when its directory cannot be read.
  std::unique_ptr<TFileStream32> OpenExisting(TCompList& list);
  // Answers whether the new archive was committed.
  bool Run();
  // Scans FileSpec and weighs each file against the list; true when something is to do.
  bool Gather(TCompList& list);
  bool Evaluate(const TFileObject& file, TCompList& list, size_t existing);
  bool AskReplace(const TCompEntry& old, const TCompEntry& file);
  // What makes two stored names the same entry: the whole name, or with sdNone the file
  // part alone.
  WideString NameKey(const WideString& storedName) const;
  bool MarkDeleted(TCompList& list);
  void DeleteMoved(const TCompList& list);
  void ReadOnly();

  TStoredNameBase FBase;
  WideString FTempFile;                           // the temporary archive, never gathered
  std::unordered_map<WideString, size_t> FNames;  // list index by NameKey, while gathering
};

}  // namespace qel
