#include "formats/zoo/ZooFormat.h"

#include "formats/zoo/ListBranch.h"
#include "formats/zoo/UnZoo.h"

namespace qel {
namespace {

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnZoo>(); }

constexpr TTypeRow kTypes[] = {{atZoo, capTest}};

constexpr TFormatDescriptor kZoo{"zoo", kTypes, &MakeReader, &ListZoo};

}  // namespace

const TFormatDescriptor& ZooFormat() { return kZoo; }

}  // namespace qel
