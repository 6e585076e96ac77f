// Deflating a whole stream at once, as the writers do for each entry.
#pragma once

#include <atomic>
#include <cstdint>

#include "codecs/io/ByteIo.h"
#include "codecs/io/DataCipher.h"
#include "codecs/io/ProgressHook.h"

namespace qel {

struct TDeflateSetup {
  IDataCipher* Cipher = nullptr;                 // enciphers the compressed data when set
  const std::atomic<uint8_t>* Cancel = nullptr;  // non-zero stops between steps
  TProgressHook Progress;                        // moved by the input taken
};

// Deflates all of `input`, from its start, to the current position of `output`. Without a
// cipher `crcOut` receives the CRC-32 of the input (0 when it is empty); with one it is left
// alone, the writer having taken it beforehand. False when cancelled, when a write or zlib
// failed, or when the input gave fewer bytes than its size.
bool DeflateStream(ISeekableSource& input, IByteSink& output, const TDeflateSetup& setup,
                   int levelIndex, uint32_t& crcOut);

}  // namespace qel
