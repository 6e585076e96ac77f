#include "codecs/deflate/DeflateBlock.h"

#include <libdeflate.h>
#include <zlib.h>

#include <array>
#include <memory>

#include "codecs/checksum/Crc.h"
#include "codecs/deflate/DeflateLevel.h"

namespace qel {

namespace {

// libdeflate's level on zlib's scale; zlib's default (-1) is its 6.
int WholeLevel(int levelIndex) {
  const int level = DeflateLevel(levelIndex);
  return level < 0 ? 6 : level;
}

// The compressors of one thread, one per level, made on first use and kept: setting one up
// costs more than deflating a small file.
class TThreadDeflaters {
 public:
  ~TThreadDeflaters() {
    for (auto& z : streams_)
      if (z) deflateEnd(z.get());
    for (libdeflate_compressor* c : whole_) libdeflate_free_compressor(c);
  }

  // zlib, for a block of a larger stream: it alone takes a dictionary and ends a piece of
  // the stream without ending the stream.
  z_stream* Stream(int levelIndex) {
    std::unique_ptr<z_stream>& z = streams_[Slot(levelIndex)];
    if (z) return deflateReset(z.get()) == Z_OK ? z.get() : nullptr;
    auto made = std::make_unique<z_stream>();
    // Raw Deflate (negative window bits: no zlib header or Adler-32), 32 KiB window.
    if (deflateInit2(made.get(), DeflateLevel(levelIndex), Z_DEFLATED, -15, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
      return nullptr;
    z = std::move(made);
    return z.get();
  }

  // libdeflate, for an input deflated whole: twice zlib's speed at the same or a better ratio.
  libdeflate_compressor* Whole(int levelIndex) {
    libdeflate_compressor*& c = whole_[Slot(levelIndex)];
    if (!c) c = libdeflate_alloc_compressor(WholeLevel(levelIndex));
    return c;
  }

 private:
  static size_t Slot(int levelIndex) {
    return levelIndex >= 0 && levelIndex < 4 ? size_t(levelIndex) : size_t(kDeflateNormal);
  }

  std::array<std::unique_ptr<z_stream>, 4> streams_;
  std::array<libdeflate_compressor*, 4> whole_{};
};

thread_local TThreadDeflaters deflaters;

bool DeflateWhole(const uint8_t* input, size_t size, int levelIndex, TDeflatedBlock& block) {
  libdeflate_compressor* c = deflaters.Whole(levelIndex);
  if (!c) return false;
  block.Data.resize(libdeflate_deflate_compress_bound(c, size));
  const size_t made =
      libdeflate_deflate_compress(c, input, size, block.Data.data(), block.Data.size());
  block.Data.resize(made);
  return made > 0;
}

bool DeflatePiece(const uint8_t* input, size_t size, size_t dictionarySize, int levelIndex,
                  bool last, TDeflatedBlock& block) {
  z_stream* z = deflaters.Stream(levelIndex);
  if (!z) return false;
  if (dictionarySize > 0 &&
      deflateSetDictionary(z, input - dictionarySize, uInt(dictionarySize)) != Z_OK)
    return false;
  // The bound holds for a whole stream; a sync flush adds at most a few bytes to it.
  block.Data.resize(deflateBound(z, uLong(size)) + 16);
  z->next_in = const_cast<Bytef*>(input);
  z->avail_in = uInt(size);
  z->next_out = block.Data.data();
  z->avail_out = uInt(block.Data.size());
  const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
  int rc = deflate(z, flush);
  while (rc == Z_OK && z->avail_out == 0) {
    const size_t done = block.Data.size();
    block.Data.resize(done * 2);
    z->next_out = block.Data.data() + done;
    z->avail_out = uInt(block.Data.size() - done);
    rc = deflate(z, flush);
  }
  block.Data.resize(block.Data.size() - z->avail_out);
  return last ? rc == Z_STREAM_END : rc == Z_OK && z->avail_in == 0;
}

}  // namespace

TDeflatedBlock DeflateBlock(const uint8_t* input, size_t size, size_t dictionarySize,
                            int levelIndex, bool last) {
  TDeflatedBlock block;
  const bool whole = last && dictionarySize == 0;
  block.Ok = whole ? DeflateWhole(input, size, levelIndex, block)
                   : DeflatePiece(input, size, dictionarySize, levelIndex, last, block);
  if (block.Ok) {
    block.InputSize = size;
    block.Crc = Crc32(0, input, size);
  }
  return block;
}

}  // namespace qel
