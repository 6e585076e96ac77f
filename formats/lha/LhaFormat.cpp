#include "formats/lha/LhaFormat.h"

#include "formats/lha/LhaWriter.h"
#include "formats/lha/ListBranch.h"
#include "formats/lha/UnLha.h"

namespace qel {
namespace {

using enum TCompressMethod;

std::unique_ptr<TCompBase> MakeWriter() { return std::make_unique<TLha>(); }
std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnLha>(); }

constexpr TCompressMethod kMethods[] = {cmStore, cmFrozen5, cmFrozen6};
constexpr TConversionRow kConversion{6, "LZH (.lha)", ".lha", cmFrozen6};
constexpr TFormatWriter kWriter{&MakeWriter, kMethods, cmFrozen6, ".lha", &kConversion};

constexpr uint32_t kArchive = capTest | capRename | capUpdate | capSfx;
// A self-extractor is read; its program is kept in front when entries are added.
constexpr TTypeRow kTypes[] = {{atLha, kArchive, &kWriter},
                               {atLzh, kArchive, &kWriter},
                               {atLhaExe, capTest | capUpdate, &kWriter},
                               {atLzhExe, capTest | capUpdate, &kWriter}};

constexpr TFormatDescriptor kLha{"lha", kTypes, &MakeReader, &ListLha};

}  // namespace

const TFormatDescriptor& LhaFormat() { return kLha; }

}  // namespace qel
