#include "formats/zip/ZipFormat.h"

#include "formats/zip/ListBranch.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipWriter.h"

namespace qel {
namespace {

using enum TCompressMethod;

template <typename T, typename Base>
std::unique_ptr<Base> Make() {
  return std::make_unique<T>();
}

constexpr TCompressMethod kZipMethods[] = {cmStore, cmDeflate, cmBz2};
constexpr TCompressMethod kJarMethods[] = {cmStore, cmDeflate};

constexpr TConversionRow kZipConversion{9, "ZIP (.zip)", ".zip", cmDeflate};
constexpr TConversionRow kJarConversion{5, "JAR (.jar)", ".jar", cmDeflate};

constexpr TFormatWriter kZipWriter{&Make<TZip, TCompBase>, kZipMethods, cmDeflate, ".zip",
                                   &kZipConversion};
constexpr TFormatWriter kJarWriter{&Make<TJar, TCompBase>, kJarMethods, cmDeflate, ".jar",
                                   &kJarConversion};

constexpr uint32_t kRead = capTest | capZipCipher;

// Spanned sets and split volumes are read across their volumes but never updated in place;
// a split set is still offered the ZIP writer, so that the Add dialog names it.
constexpr TTypeRow kZipTypes[] = {
    {atZip, kRead | capComment | capRename | capUpdate | capSfx | capVolumes | capPassword,
     &kZipWriter},
    {atZipExe, kRead | capUpdate, &kZipWriter},
    {atZipDS, kRead},
    {atZipMV, kRead | capPassword, &kZipWriter},
};
constexpr TTypeRow kJarTypes[] = {
    {atJar, kRead | capRename | capUpdate | capSfx | capPassword, &kJarWriter},
    {atJarExe, kRead},
};

constexpr TFormatDescriptor kZip{"zip", kZipTypes, &Make<TUnZip, TDecompressClass>, &ListZip};
constexpr TFormatDescriptor kJar{"jar", kJarTypes, &Make<TUnJar, TDecompressClass>, &ListZip};

}  // namespace

const TFormatDescriptor& ZipFormat() { return kZip; }
const TFormatDescriptor& JarFormat() { return kJar; }

}  // namespace qel
