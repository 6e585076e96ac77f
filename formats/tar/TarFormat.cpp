#include "formats/tar/TarFormat.h"

#include "formats/tar/ListBranch.h"
#include "formats/tar/TarWriter.h"
#include "formats/tar/UnTar.h"

namespace qel {
namespace {

using enum TCompressMethod;

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnTar>(); }
std::unique_ptr<TCompBase> MakeTar() { return std::make_unique<TTar>(); }
std::unique_ptr<TCompBase> MakeTarGz() { return std::make_unique<TTarGZ>(); }
std::unique_ptr<TCompBase> MakeTarBz() { return std::make_unique<TTarBZ>(); }

constexpr TCompressMethod kTarMethods[] = {cmTar};
constexpr TCompressMethod kTarGzMethods[] = {cmTarGz};
constexpr TCompressMethod kTarBzMethods[] = {cmTarBz};
constexpr TConversionRow kTarConversion{7, "TAR (.tar)", ".tar", cmTar};
constexpr TConversionRow kTarGzConversion{8, "TAR-GZIP (.tar.gz)", ".tar.gz", cmTarGz};
constexpr TConversionRow kTarBzConversion{3, "BZIP2 (.tar.bz2)", ".tar.bz2", cmTarBz};
constexpr TFormatWriter kTarWriter{&MakeTar, kTarMethods, cmTar, ".tar", &kTarConversion};
constexpr TFormatWriter kTarGzWriter{&MakeTarGz, kTarGzMethods, cmTarGz, ".tgz", &kTarGzConversion};
constexpr TFormatWriter kTarBzWriter{&MakeTarBz, kTarBzMethods, cmTarBz, ".tbz", &kTarBzConversion};

constexpr uint32_t kArchive = capTest | capRename | capUpdate;
constexpr TTypeRow kTypes[] = {{atTar, kArchive, &kTarWriter},
                               {atTarGz, kArchive, &kTarGzWriter},
                               {atTarBz, kArchive, &kTarBzWriter}};

constexpr TFormatDescriptor kTar{"tar", kTypes, &MakeReader, &ListTar};

}  // namespace

const TFormatDescriptor& TarFormat() { return kTar; }

}  // namespace qel
