// The lines of a text file, read forward through a buffer: the text encodings find their
// headers and data line by line, and a mail may end its lines with CR LF, LF or CR.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"

namespace qel::uu {

class TTextLines {
 public:
  // The longest line kept whole; the rest of a longer one is dropped (no data line is as
  // long, and memory stays bounded).
  static constexpr size_t kMaxLine = 1024;

  // Reads the bytes from `start` up to `end`.
  TTextLines(TReadAt readAt, int64_t start, int64_t end);
  // The next line without its end; false when the text has ended (or cannot be read). CR
  // LF, LF, CR and CR CR LF (a CR LF text written again with CR LF ends) each end a line.
  bool Next(std::string& line);
  // Whether the line Next gave last was longer than kMaxLine (and so cut).
  bool LastCut() const { return cut_; }
  // Where the next line starts.
  int64_t Position() const { return bufferStart_ + int64_t(at_); }

 private:
  // Reads on; false at the end of the text.
  bool Fill();

  TReadAt readAt_;
  int64_t end_;
  int64_t bufferStart_;
  std::vector<uint8_t> buffer_;
  size_t at_ = 0;
  bool cut_ = false;
};

}  // namespace qel::uu
