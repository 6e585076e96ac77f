// TCompressClass: the settings every archive writer shares, the rules for the archive's
// name and default extension, and the input routine the writers' codecs read files through.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/base/ZipCommon.h"
#include "engine/scan/ScanNotice.h"

namespace qel {

class TStream64;

class TCompressClass : public TZipCommon {
 public:
  // `builtInExt` is the writer's own extension (".zip"), which an empty DefaultExt restores.
  explicit TCompressClass(WideString builtInExt);

  // A name without an extension gets DefaultExt; whether the file exists is remembered.
  // Nothing is detected until an operation runs.
  void SetArchiveFile(const WideString& name) override;
  // Names an archive that exists exactly as named, extension or not.
  void SetExistingArchive(const WideString& name);
  bool ArchiveExisted() const { return FArchiveExisted; }

  // "" or "." restores the built-in extension; any other value gets a leading ".", is cut
  // to four characters and lower-cased. The archive's name follows: an extension equal to
  // the old DefaultExt (ignoring case) is replaced, a missing one added.
  const WideString& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const WideString& ext);

  TCompressMethod CompressMethod() const { return FCompressMethod; }
  // Refused (false, unchanged) outside the writer's own methods.
  bool SetCompressMethod(TCompressMethod method);

  TSwitch Switch = TSwitch::swAdd;
  TRelativeDir RelativeDir = TRelativeDir::byItem;
  TDeflateType DeflateType = TDeflateType::dtDeflateN;
  bool StoreEmptySubDirs = false;
  // Extensions of files stored as they are (".ZIP"; without the dot: the whole extension).
  TStrings StoreFilesOfType;
  bool StoredAsIs(const WideString& path) const;
  bool VerifyBeforeDelete = false;
  bool EncryptHeaders = false;
  // The explorer modes' folder for stored names.
  WideString DefaultDir;
  // Moves a file to the desktop's trash (DeleteOptions = doAllowUndo); without one, or
  // when it fails, a moved file is deleted.
  std::function<bool(const WideString& path)> MoveToTrash;
  // Gathering: what was left out without being asked to, and names stored with a warning.
  std::function<void(TZipCommon& Sender, const WideString& Name, TScanNotice Notice)> OnScanNotice;
  // swRead: fired after each entry's header with the position reached and the count.
  std::function<void(TZipCommon& Sender, int64_t Offset, int Filenum)> OnRead;

 protected:
  virtual bool AcceptsMethod(TCompressMethod method) const = 0;
  void InitCompressMethod(TCompressMethod method) { FCompressMethod = method; }

  // The input routine: reads up to `size` bytes of the file being stored, counting them
  // into the progress; a read error reports 25216 and raises.
  int64_t ReadSource(TStream64& source, uint8_t* buffer, int64_t size);

 private:
  WideString FBuiltInExt;
  WideString FDefaultExt;
  TCompressMethod FCompressMethod = TCompressMethod::cmDeflate;
  bool FArchiveExisted = false;
};

}  // namespace qel
