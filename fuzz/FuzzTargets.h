// The fuzz targets. Each is built as a libFuzzer program (scripts/build fuzz) and its seed
// corpus in fuzz/corpus/NAME/ is replayed by the ordinary test suite.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vk::fuzz {

using FuzzEntry = int (*)(const uint8_t* data, size_t size);

struct FuzzTarget {
  const char* name;  // also the corpus folder's name
  FuzzEntry entry;
};

int FuzzDetection(const uint8_t* data, size_t size);
int FuzzZipLister(const uint8_t* data, size_t size);
int FuzzZipReader(const uint8_t* data, size_t size);
int FuzzInflate(const uint8_t* data, size_t size);
int FuzzDeflate64(const uint8_t* data, size_t size);
int FuzzZipFix(const uint8_t* data, size_t size);
int FuzzSfx(const uint8_t* data, size_t size);
int FuzzRename(const uint8_t* data, size_t size);
int FuzzLzh(const uint8_t* data, size_t size);
int FuzzLha(const uint8_t* data, size_t size);
int FuzzLegacyZip(const uint8_t* data, size_t size);
int FuzzLegacyArc(const uint8_t* data, size_t size);
int FuzzPpmd(const uint8_t* data, size_t size);
int FuzzBzip2(const uint8_t* data, size_t size);
int FuzzLzw(const uint8_t* data, size_t size);
int FuzzTar(const uint8_t* data, size_t size);
int FuzzPacked(const uint8_t* data, size_t size);
int FuzzCab(const uint8_t* data, size_t size);
int FuzzArj(const uint8_t* data, size_t size);
int FuzzArc(const uint8_t* data, size_t size);
int FuzzZoo(const uint8_t* data, size_t size);
int FuzzHa(const uint8_t* data, size_t size);
int FuzzBh(const uint8_t* data, size_t size);
int FuzzRar(const uint8_t* data, size_t size);
int FuzzAce(const uint8_t* data, size_t size);
int FuzzUue(const uint8_t* data, size_t size);

std::span<const FuzzTarget> FuzzTargets();

}  // namespace vk::fuzz
