// The walk over a TAR archive's members, forward only, so that a compressed TAR is decoded
// once: GNU long names and links, pax extended and global headers and the ustar prefix are
// folded into the member they belong to; data is skipped by seeking, never read unasked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "codecs/io/ByteIo.h"

namespace qel::tar {

enum class TTarKind { File, Folder, HardLink, SymLink, Other };

struct TTarMember {
  std::string Name;      // pax path, else the GNU long name, else ustar prefix + "/" + name;
                         // bytes as stored
  std::string LinkName;  // pax linkpath, else GNU 'K' long link, else the linkname field
  char TypeFlag = '0';
  TTarKind Kind = TTarKind::File;
  int64_t Size = 0;   // data bytes after the header (pax size when given)
  int64_t MTime = 0;  // Unix seconds (pax mtime, fraction dropped)
  uint32_t Mode = 0;  // mode & 07777
  uint32_t Uid = 0, Gid = 0;
  std::string UName, GName;
  uint32_t Checksum = 0;  // the own header's stored checksum
  int64_t Start = 0;      // offset of the member's first block (its long-name or pax header
                          // when it has one)
  int64_t DataAt = 0;     // offset of its data
  std::array<uint8_t, 512> Header{};  // its own header block as stored
};

enum class TTarStep { Member, End, Bad };

class TTarWalker {
 public:
  // Walks `input` from its current position, which is offset 0 of the archive. `size`: the
  // bytes the input holds, -1 when unknown (a decompressed stream: Seek there only moves
  // forward, by decoding).
  TTarWalker(ISeekableSource& input, int64_t size);

  // The next member, after skipping what is left of the previous one's data and padding.
  // End: an all-zero block, or the input ending at a block boundary before a header. Bad: a
  // damaged header, a data area past `size`, the input ending inside a header or a member.
  // End and Bad are final: later calls answer the same.
  TTarStep Next(TTarMember& m);
  // The current member's data: at most what is left of it; 0 at its end. Fewer than asked
  // before its end means the input ended early: Truncated() is then true.
  int64_t ReadData(void* buffer, int64_t count);
  // The input ended early, inside a member's data or while skipping it.
  bool Truncated() const { return truncated_; }
  // The offset of the next byte the walk reads (past the end block after End).
  int64_t Position() const { return pos_; }

 private:
  // What pax records say of the following member(s); a present empty value means "as the
  // header says".
  struct TPaxKeys {
    std::optional<std::string> Path, LinkPath, Size, MTime;
  };

  int64_t ReadFully(uint8_t* buffer, int64_t count);
  bool Skip(int64_t count);
  bool ReadExtension(int64_t size, std::string& data);
  TTarStep Fail(TTarStep step);

  ISeekableSource& input_;
  const int64_t size_;
  int64_t base_;  // the input's own position at offset 0, -1 when it cannot tell
  int64_t pos_ = 0;
  int64_t left_ = 0;     // the current member's data not yet read
  int64_t padding_ = 0;  // and the zeros that fill its last block
  bool truncated_ = false;
  std::optional<TTarStep> final_;
  TPaxKeys global_;
};

}  // namespace qel::tar
