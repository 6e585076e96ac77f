// What a Deflate decoding step ended with, and the engine message each failure is shown as.
#pragma once

namespace qel {

enum class DeflateVariant {
  Deflate,    // RFC 1951: 32 KiB window
  Deflate64,  // 64 KiB window, length code 285 = 3 + 16 extra bits, distance codes 30 and 31
};

enum class InflateStatus {
  Ok,                 // the output buffer is full: take the output and go on
  StreamEnd,          // the final block has been decoded
  NeedInput,          // every input byte was used; more is needed to go on
  BadBlockType,       // block type 3
  BadStoredLength,    // a stored block whose NLEN is not the complement of LEN
  BadCodeLengths,     // over-subscribed lengths, a repeat with nothing to repeat or past the end
  IncompleteCodeSet,  // a code-length or literal/length code that leaves codes unassigned
  BadCode,            // a code the block's tables leave unassigned, or symbol 286/287/dist 30/31
  BadDistance,        // a back-reference further back than the data produced so far
  UnexpectedEnd,      // the input ended before the final block did
  Aborted,            // the output sink refused the data
};

inline bool IsInflateError(InflateStatus s) {
  return s != InflateStatus::Ok && s != InflateStatus::StreamEnd && s != InflateStatus::NeedInput;
}

// The engine message number for a failure (0 for the non-failures and Aborted, which the
// caller reports in its own terms).
inline int InflateMessage(InflateStatus s) {
  switch (s) {
    case InflateStatus::BadBlockType:
    case InflateStatus::BadStoredLength:
      return 25116;  // Bad block
    case InflateStatus::BadCodeLengths:
    case InflateStatus::BadCode:
      return 25120;  // Bad Huffman code
    case InflateStatus::IncompleteCodeSet:
      return 25144;  // Incomplete code set
    case InflateStatus::BadDistance:
      return 25153;  // Decompression error
    case InflateStatus::UnexpectedEnd:
      return 25176;  // Unexpected end of file
    default:
      return 0;
  }
}

}  // namespace qel
