#include "formats/packed/PackedFormats.h"

#include "engine/extract/UnPacked.h"
#include "formats/packed/ListBranch.h"
#include "formats/packed/PackedWriter.h"

namespace qel {
namespace {

using enum TCompressMethod;

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnPacked>(); }
std::unique_ptr<TCompBase> MakeGZip() { return std::make_unique<TGZip>(); }
std::unique_ptr<TCompBase> MakeBZip() { return std::make_unique<TBZip>(); }

constexpr TCompressMethod kGZipMethods[] = {cmDeflate};
constexpr TCompressMethod kBZip2Methods[] = {cmBz2};
// A file of one file: converting an archive of more than one to it fails, and says why.
constexpr TConversionRow kGZipConversion{11, "GZIP (.gz)", ".gz", cmDeflate};
constexpr TConversionRow kBZip2Conversion{12, "BZIP2 (.bz2)", ".bz2", cmBz2};
constexpr TFormatWriter kGZipWriter{&MakeGZip, kGZipMethods, cmDeflate, ".gz", &kGZipConversion};
constexpr TFormatWriter kBZip2Writer{&MakeBZip, kBZip2Methods, cmBz2, ".bz2", &kBZip2Conversion};

constexpr TTypeRow kGZipTypes[] = {{atGZip, capTest | capUpdate, &kGZipWriter}};
constexpr TTypeRow kBZip2Types[] = {{atBz2, capTest | capUpdate, &kBZip2Writer}};

constexpr TFormatDescriptor kGZip{"gzip", kGZipTypes, &MakeReader, &ListPacked};
constexpr TFormatDescriptor kBZip2{"bzip2", kBZip2Types, &MakeReader, &ListPacked};

}  // namespace

const TFormatDescriptor& GZipFormat() { return kGZip; }
const TFormatDescriptor& BZip2Format() { return kBZip2; }

}  // namespace qel
