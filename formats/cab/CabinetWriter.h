// TCabinetWriter: one cabinet, written in a single pass over its files. A folder's data is one
// stream of its files' bytes cut into 32 KiB frames, each coded into one data block (stored, MSZIP
// or LZX) as the bytes arrive; the blocks wait in a spool and the records in memory until Finish,
// which writes the header, the folder and file records, then the blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qel {
class TStream64;
}

namespace qel::cab {

inline constexpr size_t kFrameSize = 32768;
// cCFData is 16 bits, so a folder holds at most this many uncompressed bytes.
inline constexpr uint64_t kMaxFolderBytes = uint64_t(0xFFFF) * kFrameSize;
inline constexpr size_t kMaxNameBytes = 255;
// The most coded bytes one data block may carry: cabextract and gcab refuse larger ones.
inline constexpr size_t kMaxCodedBlock = kFrameSize + 6144;

enum class TCabMethod : uint8_t { None = 0, MsZip = 1, Quantum = 2, Lzx = 3 };

// A folder's compression word: the method in bits 0-3, the LZX window bits (15-21) in bits 8-12.
constexpr uint16_t CompressionWord(TCabMethod method, int lzxWindowBits = 0) {
  return uint16_t(uint16_t(method) | (method == TCabMethod::Lzx ? (lzxWindowBits & 0x1F) << 8 : 0));
}
constexpr TCabMethod MethodOf(uint16_t word) { return TCabMethod(word & 0x0F); }
constexpr int LzxWindowBitsOf(uint16_t word) { return (word >> 8) & 0x1F; }
// Whether the writer codes folders by `word`: store, MSZIP, or LZX with a window of 15 to 21 bits,
// and no other bits set.
constexpr bool CanWrite(uint16_t word) {
  switch (MethodOf(word)) {
    case TCabMethod::None:
    case TCabMethod::MsZip:
      return (word & ~0x0F) == 0;
    case TCabMethod::Lzx:
      return (word & ~0x1F0F) == 0 && LzxWindowBitsOf(word) >= 15 && LzxWindowBitsOf(word) <= 21;
    default:
      return false;
  }
}

struct TCabFile {
  // As stored: '\\' separators, UTF-8; a non-ASCII name gets attribute 0x80.
  std::string Name;
  // Announced up front; decides whether the file still fits the current folder.
  uint64_t Size = 0;
  uint16_t Date = 0, Time = 0;  // DOS
  // DOS: 0x01 read-only, 0x02 hidden, 0x04 system, 0x20 archive, 0x40 exec.
  uint16_t Attributes = 0;
};

class TFrameCoder;

class TCabinetWriter {
 public:
  // The coded data blocks go to `spool` (an empty scratch stream, e.g. a temporary file) until
  // Finish; the records are kept in memory. `deflateLevel` is zlib's 1-9 for MSZIP.
  TCabinetWriter(TStream64& spool, int deflateLevel);
  ~TCabinetWriter();
  TCabinetWriter(const TCabinetWriter&) = delete;
  TCabinetWriter& operator=(const TCabinetWriter&) = delete;

  // Begins a file (ending the one still begun, if any). A new folder starts when the compression
  // word differs from the current folder's, or when the file would take the folder past 65535 data
  // blocks or its uncompressed offset past 32 bits. Answers false (nothing begun) when the file
  // alone is larger than one folder holds, when its name is empty, longer than 255 bytes or holds a
  // NUL, when the word is not one CanWrite takes, when the cabinet already holds 65535 files or
  // folders, or after a failed write or Finish.
  bool BeginFile(const TCabFile& file, uint16_t compressionWord);
  // The begun file's bytes, in pieces of any size. Bytes past what the folder holds (a file that
  // grew while it was read) are dropped; EndFile tells the count kept. False when the spool refused
  // a write, the data passed what a cabinet holds (4 GiB) or a frame could not be coded; the writer
  // then takes nothing more.
  bool Write(std::span<const uint8_t> data);
  // Ends the begun file; its record holds the bytes actually written (a file that changed its size
  // while it was read stays consistent), and answers that count.
  uint64_t EndFile();
  // Writes the whole cabinet to `out` at its position: CFHEADER (set 0, cabinet 0, no reserve, no
  // previous or next cabinet), every CFFOLDER, every CFFILE, then the data blocks copied from the
  // spool. False when a write failed or the cabinet would pass 4 GiB (its offsets are 32 bits). The
  // writer takes no more files afterwards.
  bool Finish(TStream64& out);

 private:
  struct TFolder {
    int64_t DataStart = 0;  // in the spool, from where the writer began
    uint32_t Blocks = 0;
    uint16_t Word = 0;
  };
  struct TFileRecord {
    std::string Name;
    uint32_t Size = 0;
    uint32_t FolderOffset = 0;
    uint16_t Folder = 0, Date = 0, Time = 0, Attributes = 0;
  };

  void StartFolder(uint16_t word);
  bool EndFolder();
  bool CodeFrame(std::span<const uint8_t> frame);
  bool FlushBlocks();

  TStream64& spool_;
  int64_t spoolStart_;
  int64_t spooled_ = 0;  // bytes written to the spool
  std::unique_ptr<TFrameCoder> coder_;
  std::vector<TFolder> folders_;
  std::vector<TFileRecord> files_;
  std::vector<uint8_t> frame_;  // the current folder's frame being filled
  size_t frameFill_ = 0;
  std::vector<uint8_t> blocks_;  // coded CFDATA records on their way to the spool
  uint64_t folderBytes_ = 0;     // uncompressed bytes in the current folder so far
  uint64_t fileBytes_ = 0;       // bytes of the begun file so far
  bool fileOpen_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace qel::cab
