// The six-bit text encodings of a file for mail. UU and XX lines open with a character for
// the count of bytes they hold (up to 45), then carry four characters for each three bytes;
// Base64 lines carry 57 bytes as 76 characters, a short last group padded with '='. Each
// encoding is an alphabet of 64 characters, a character's place being its six-bit value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qel::uu {

enum class TUuKind : uint8_t { Uu, Xx, Base64 };

inline constexpr size_t kLengthLineBytes = 45;  // UU and XX
inline constexpr size_t kBase64LineBytes = 57;
// The most a decoded line can hold: a length character can count up to 63 bytes.
inline constexpr size_t kMaxLineBytes = 63;

class TAlphabet {
 public:
  // `chars` holds the 64 characters in order; anything else leaves the alphabet empty.
  explicit TAlphabet(std::string_view chars);
  bool Valid() const { return valid_; }
  char Char(unsigned value) const { return chars_[value & 63]; }
  // The value of `c`, or -1 when `c` is not in the alphabet.
  int Value(uint8_t c) const { return values_[c]; }

 private:
  std::array<char, 64> chars_{};
  std::array<int8_t, 256> values_{};
  bool valid_ = false;
};

const TAlphabet& AlphabetOf(TUuKind kind);

// Appends one UU or XX line of `size` bytes (at most 45), without its line end. A short
// last group is filled with zero bytes.
void EncodeLengthLine(const TAlphabet& alphabet, const uint8_t* data, size_t size,
                      std::string& out);
// Appends one Base64 line of `size` bytes (at most 57), without its line end.
void EncodeBase64Line(const uint8_t* data, size_t size, std::string& out);

// Decodes one UU or XX line into `out` (room for kMaxLineBytes): the bytes it holds, or -1
// when it is no data line of the alphabet (a character outside it, or too few characters
// for its count). Characters after the count's groups are ignored, as many encoders add a
// check character. In UU a space counts as zero, as old encoders wrote it, and a line up to
// two groups short counts its missing characters as spaces, which mail strips from line
// ends; `whole` takes neither, for telling UU from XX by a line.
int DecodeLengthLine(const TAlphabet& alphabet, std::string_view line, uint8_t* out,
                     bool whole = false);

// Decodes one Base64 line into `out` (room for 3/4 of its length): the bytes, or -1 when
// the line holds a character outside the alphabet or a length no Base64 line has. `ended`
// is set when the line ends in padding, which only the last line may.
int DecodeBase64Line(std::string_view line, uint8_t* out, bool& ended);

// The line the encoded data follows: "begin MODE NAME", or "begin-base64 MODE NAME" for
// Base64, MODE three or four octal digits (999 marks a multi-volume ZIP set). A name
// without an extension ends at its first space.
struct TBeginLine {
  bool Base64 = false;
  int Mode = 0;  // as written, octal digits read as decimal
  std::string Name;
};
std::optional<TBeginLine> ReadBeginLine(std::string_view line);

}  // namespace qel::uu
