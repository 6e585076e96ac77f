#include "formats/bh/BhFormat.h"

#include "formats/bh/BhWriter.h"
#include "formats/bh/ListBranch.h"
#include "formats/bh/UnBh.h"

namespace qel {
namespace {

using enum TCompressMethod;

std::unique_ptr<TCompBase> MakeWriter() { return std::make_unique<TBlakHole>(); }
std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnBh>(); }

constexpr TCompressMethod kMethods[] = {cmStore, cmDeflate, cmFuse, cmBz2};
constexpr TConversionRow kConversion{1, "BlackHole (.bh)", ".bh", cmDeflate};
constexpr TFormatWriter kWriter{&MakeWriter, kMethods, cmDeflate, ".bh", &kConversion};

// A self-extractor is read; its program is kept in front when entries are added.
constexpr TTypeRow kTypes[] = {
    {atBh, capTest | capRename | capUpdate | capSfx | capPassword, &kWriter},
    {atBhExe, capTest | capUpdate | capPassword, &kWriter}};

constexpr TFormatDescriptor kBh{"bh", kTypes, &MakeReader, &ListBh};

}  // namespace

const TFormatDescriptor& BhFormat() { return kBh; }

}  // namespace qel
