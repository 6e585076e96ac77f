// Where the encoded data of a UU, XX or Base64 text begins, and what it is. Before the data
// may stand anything (a mail's headers, a text about it): the search looks for
// - a begin line, "begin MODE NAME" (UU or XX) or "begin-base64 MODE NAME";
// - a MIME header block whose Content-Transfer-Encoding is base64, naming the file in its
//   Content-Disposition (or Content-Type) header; the data follows the blank line;
// - the lines that change the alphabet ("table" and the two lines after it, or "charmap"),
//   and a banner line that names the encoder ("XXEncode ...");
// - the heading uuenview writes ("_=_ Part 001 of 001 of file NAME"), which Base64 lines
//   may follow without a begin line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codecs/uu/UuCode.h"
#include "formats/uue/TextLines.h"

namespace qel::uu {

// How far the search looks: as far as type detection does.
inline constexpr int64_t kHeaderSearch = 32768;
// The mode that marks the data as a multi-volume ZIP set.
inline constexpr int kZipSetMode = 999;

struct TUuStart {
  TUuKind Kind = TUuKind::Uu;
  bool KindKnown = false;  // Base64, or XX named by a banner; else the first line decides
  std::string Name;        // as stored
  int Mode = -1;           // the begin line's mode as written (octal digits read as decimal)
  std::optional<TAlphabet> Table;
  int64_t DataStart = 0;  // where the data lines start
  int Part = 0;           // the "part N" line before the begin line: a later volume's
};

// Searches the lines up to `limit` (a position in the text); none when no start was found.
std::optional<TUuStart> FindUuStart(TTextLines& lines, int64_t limit);

// The begin line's mode as permission bits; none for a mode that is no octal number.
std::optional<uint32_t> ModeBits(int mode);

// UU or XX, by the first data line: the alphabet that reads it whole; UU when both do.
TUuKind ChooseLengthKind(std::string_view firstLine);

// Whether `line` closes the data: "end", or "====" after Base64.
bool IsEndLine(std::string_view line);

}  // namespace qel::uu
