// TUnBase: the per-entry steps every format reader calls, in this order, for each entry
// that passes the file filters: BuildOutputName, PrepareEntry, OpenOutput (disk modes),
// the data through ReadInput and WriteOutput, FinishFile, VerifyCRC. The codecs call the
// two data routines.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "codecs/io/CodecIo.h"
#include "engine/base/Bytes.h"
#include "engine/base/DateTime.h"
#include "engine/extract/DecompressClass.h"
#include "engine/extract/SafeFiles.h"
#include "engine/streams/CrcAccumulator.h"
#include "engine/streams/ReadAheadWindow.h"

struct stat;

namespace qel {

class IDataDecipher;

// What a reader knows of the entry it is about to process, from its header.
struct TUnEntry {
  WideString StoredName;   // "/"-separated; a folder's name ends with "/"
  int64_t PackedSize = 0;  // the data as stored, cipher header included
  int64_t UnpackedSize = 0;
  uint32_t DosDateTime = kDosDateFallback;
  int64_t UnixTime = -1;      // formats that store Unix seconds; -1 when absent
  uint32_t ExternalAttr = 0;  // DOS bits low; the Unix mode in the high 16 bits when made there
  uint8_t HostSystem = 0;     // 3 for Unix
  IDataDecipher* Decipher = nullptr;  // reads pass through it when asked to decipher
  // How the entry's data is enciphered, for whoever writes it again the same way.
  TEncryptionMethod Encryption = TEncryptionMethod::emNone;
};

class TUnBase : public TDecompressClass {
 public:
  TUnBase();
  ~TUnBase() override;

  // The entry being processed: what an OnFileExists handler shows beside the file on disk.
  const TUnEntry& CurrentEntry() const { return FEntry; }
  // The CRC-32 of the entry's data passed on so far.
  uint32_t DataCrc() const { return FCrc; }
  // Its modification date as Unix seconds (the stored Unix time, else the DOS date-time).
  int64_t CurrentEntryTime() const;
  // Where the entry goes (disk modes) or its stored name.
  const WideString& OutputName() const { return FOutName; }

  // Passes decoded data on: updates the running CRC of the given width and the progress,
  // and writes it unless testing. A short write reports 25136 and raises.
  void WriteOutput(const uint8_t* data, size_t size, TCrcWidth width);
  // The same for data whose CRC-32 (`crc`, of these bytes alone) was taken where it was
  // decoded.
  void WriteOutputWithCrc(const uint8_t* data, size_t size, uint32_t crc);
  // Reads up to `size` bytes of the entry's stored data, never past its end, moving on to
  // the next volume where the current one ends; deciphers when `decrypt` is set and the
  // entry has a cipher. Answers the bytes read (0 at the end of the data).
  size_t ReadInput(uint8_t* buffer, size_t size, bool decrypt);
  // Counts `size` bytes of stored data as read where they were read elsewhere (decoded
  // ahead), for the progress.
  void TakeInput(uint64_t size);

 protected:
  // Makes `entry` the current one and builds its output name below the target folder.
  // False (25235 reported) when the stored name names no file: the reader skips the data.
  bool BuildOutputName(const TUnEntry& entry);
  // The same for the one entry of a file that is all one entry (a compressed file, an
  // encoded text), which takes the whole file for the job's total. Its name may be the
  // file's own, which is refused (25191) rather than overwritten.
  bool BuildWholeFileOutputName(const TUnEntry& entry);
  // Asks the application and decides whether to process the entry (directories always
  // are); a processed entry is counted and its data state reset.
  bool PrepareEntry(bool isDirectory);
  // Opens the output file (disk modes and continuations); false, reported, when it
  // cannot be opened: the reader skips the data. `checked`: the data to come already
  // passed its check (it was decoded ahead), so where nothing was at the output name the
  // file is made under that name straight away.
  bool OpenOutput(bool checked = false);
  // Sets the date and attributes and closes the output.
  void FinishFile();
  // The CRC verdict over the data written for the entry, with OnEnd; a failure also
  // reports 25151. The output written under a temporary name takes its own name when it
  // passed and is removed when it failed.
  bool VerifyCRC(TCrcWidth width, uint32_t stored);
  // Readers that collect their entries first note each date, for daMaxFileDate.
  void NoteEntryDate(uint32_t dosDateTime) { FNewestDate = std::max(FNewestDate, dosDateTime); }
  // Reads the volume being read at any position, through a window read ahead: header walks
  // read many small records one after another. Valid until the volume changes.
  TReadAt HeaderReadAt();
  // A codec's view of the entry's data: `decode` reads the stored bytes from the source
  // (deciphered where the entry has a cipher) and hands what it decodes to the sink.
  using TEntryDecoder = std::function<TDecodeResult(const TCodecSource&, const TCodecSink&)>;
  // Runs `decode` over the entry's data from where the archive stands (ReadInput, deciphering)
  // into its output (WriteOutput with CRCs of `width`).
  TDecodeResult DecodeWith(TCrcWidth width, const TEntryDecoder& decode);
  // Opens the output of the entry prepared last and decodes its data from `dataStart`
  // through `decode`, which writes with CRCs of `width`; then the verdict: the data must
  // come out whole and match `crc`. Data that cannot be reached is reported and the entry
  // passed over.
  void DecodeEntry(int64_t dataStart, TCrcWidth width, uint32_t crc, const TEntryDecoder& decode);
  // The entry PrepareEntry counted is passed over after all (its data cannot be read): it
  // is uncounted again and its end told as failed.
  void PassOver(const WideString& name);
  // Drops the entry's output after a failure; the operation goes on.
  void AbandonOutput();
  // The entry's data is read again from its start (another password to try): the running
  // CRC and the counts start over. The output is opened anew.
  void RestartEntryData();
  // The entry's data goes on in another piece (a file split over volumes): reads may take
  // `packed` more bytes, and the running CRC goes on over the bytes to come.
  void ContinueEntryData(int64_t packed) { FPackedLeft = packed; }
  void ReleaseOutput() override;
  // Folders get their dates and permissions last: every file written into one changes its
  // date, and a folder without write permission would take no more files.
  void EndEntries() override;

 private:
  // Writes decoded data whose CRC was counted, and moves the progress.
  void Deliver(const uint8_t* data, size_t size);
  void PrepareFolder();
  bool DecideOverwrite();
  bool ForceFolderOf(const WideString& path);
  // `st` is what lstat found at `path`.
  bool Replaceable(const WideString& path, const struct stat& st);
  // The folder, opened without following links below the target folder; the descriptor
  // stays ours, valid until the next call.
  int OpenFolderFor(const WideString& folder);
  int64_t TimeToSet() const;
  // The permission bits the entry's Unix mode asks for, less the umask; none when the
  // archive was not made on Unix or attributes are not restored.
  std::optional<unsigned> UnixModeToSet() const;
  void ApplyAttributes();

  TUnEntry FEntry;
  WideString FOutName;
  bool FUserChosen = false;  // the name came from the application, not the archive
  WideString FLastCreated;   // the only file a continuation may append to
  std::unique_ptr<TOutputFile> FOutput;
  // The mode FOutput has from its creation, when known: no need to set the same again.
  std::optional<unsigned> FCreatedMode;
  bool FOutAbsent = false;  // nothing was at FOutName when the entry was prepared
  TFolderCache FFolders;    // below the target folder
  TFolderCache FChosen;     // a folder the application chose, links and all
  // Folder entries made, with their time and (from archives made on Unix) permissions:
  // set once their content is in.
  struct TFolderFacts {
    WideString Path;
    int64_t Time;
    std::optional<unsigned> Mode;
  };
  std::vector<TFolderFacts> FFolderFacts;
  uint32_t FCrc = 0;
  int64_t FPackedLeft = 0;
  TReadAheadWindow FHeaderWindow;
  unsigned FUmask;
};

}  // namespace qel
