// TZipBase: the ZIP half of the compression pipeline. It reads an existing archive's
// directory into the per-file list, copies kept entries byte for byte (data descriptors
// included) at their new offsets, compresses new and replaced files, and writes the central
// directory. Local headers are written first as placeholders and completed in place: no
// data descriptor is written. TZip and TJar differ in their type and extension.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codecs/parallel/Workers.h"
#include "codecs/ppmd/PpmdZip.h"
#include "engine/compress/CompBase.h"
#include "formats/zip/DirectoryWriter.h"

namespace qel {

class TStream64;
class TFileStream32;
class IDataCipher;
namespace zip {
struct TRecordBytes;
}
struct TDeflated;

class TZipBase : public TCompBase {
 public:
  TZipBase(TArcType type, WideString builtInExt);

  // Room kept free on the first disk of a spanned archive (for a program to go with it).
  int64_t LeaveSpaceOnFirstDisk = 0;

  // The comment written with the archive (kept from the existing archive unless changed).
  std::string ArchiveComment;
  bool ArchiveCommentChanged = false;

  // Comment editing without compressing anything. BeginCommentEdit reads the directory
  // (answers the entry count, -1 when the archive cannot be read); the comments are then
  // read and set by index; EndCommentEdit writes them when `commit` is set and something
  // changed: every byte before the directory (before the end record when only the archive
  // comment changed) stays as it was. The archive is replaced like after any update.
  int BeginCommentEdit();
  bool GetEntryComment(int index, WideString& storedName, std::string& comment) const;
  bool SetEntryComment(int index, const std::string& comment);
  bool CommentsChanged() const { return FEntryCommentsChanged || ArchiveCommentChanged; }
  bool EndCommentEdit(bool commit);

 protected:
  bool ReadDirectory(TStream64& archive, TCompList& list) override;
  void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) override;
  void WriteDirectory(TStream64& out, const TCompList& list) override;
  bool AcceptsMethod(TCompressMethod method) const override;
  // A new archive on a floppy-sized removable disk is spanned over as many as it needs.
  bool Deliver(TTempFileStream& temp) override;

 private:
  // How one new entry is enciphered.
  struct TEntryCipher;

  // Copies an entry kept from the old archive; one that cannot be copied ends the whole
  // update, so that no entry is ever dropped unasked.
  void CopyKept(TStream64& archive, TStream64& out, const TCompEntry& e);
  [[noreturn]] void KeptEntryDamaged(const TCompEntry& e, int code);
  // An entry renamed: its central record takes `name`, and `local` (the local header as
  // read) becomes the bytes of the new local header, enciphered again when it was.
  void RenameRecords(zip::TCentralRecord& central, zip::TRecordBytes& local,
                     const WideString& name) const;
  // Compresses one file; `deflated` is its data when it was deflated ahead.
  bool CompressFile(TStream64& out, TCompEntry& e, int index, const TCompList& list,
                    const TDeflated* deflated);
  // New entries are deflated without a cipher: they may be deflated ahead.
  bool DeflatesPlainly() const;
  // Writes the entry's data from `source` at the output's position with `method`; answers
  // the bytes written and the CRC of the data read, or nothing when the compressed result
  // came out larger than the file (the output is then as it was).
  std::optional<std::pair<uint64_t, uint32_t>> WriteData(TStream64& source, TStream64& out,
                                                         uint16_t method, IDataCipher* cipher,
                                                         int64_t size);

  bool WriteComments(TStream64& archive, TStream64& out);

  // Whether the archive goes onto removable disks.
  bool SpansDisks();

  TArcType FType;
  std::vector<zip::TCentralRecord> FCentral;
  bool FSpanning = false;
  // The threads that deflate while entries are written: made anew for each update, idle
  // between updates.
  std::unique_ptr<TWorkers> FWorkers;
  // The PPMd model: its memory block serves entry after entry.
  TPpmdState FPpmd;
  int64_t FEntriesEnd = 0;  // where the temporary archive's directory starts
  // Comment editing: the directory as read.
  TCompList FEdited;
  bool FEntryCommentsChanged = false;
  // Whether the directory read had enciphered records.
  bool FReadEnciphered = false;
};

// An existing entry's central record (its stored TCompEntry::Header) as it is to be written
// again: full sizes and offset, without the fields the writer makes anew.
zip::TCentralRecord CentralRecordOf(const TCompEntry& e);

class TZip : public TZipBase {
 public:
  TZip();
};

class TJar : public TZipBase {
 public:
  TJar();
};

}  // namespace qel
