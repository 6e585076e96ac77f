#include "engine/extract/ReaderTable.h"

#include "formats/zip/UnZip.h"

namespace qel {
namespace {

template <typename TReader>
std::unique_ptr<TDecompressClass> MakeReader() {
  return std::make_unique<TReader>();
}

struct TReaderRow {
  TArcType Type;
  TReaderFactory Make;
};

// One row per type: each format's reader adds its rows.
constexpr TReaderRow kReaders[] = {
    {atJar, &MakeReader<TUnJar>},   {atJarExe, &MakeReader<TUnJar>},
    {atZip, &MakeReader<TUnZip>},   {atZipExe, &MakeReader<TUnZip>},
    {atZipDS, &MakeReader<TUnZip>}, {atZipMV, &MakeReader<TUnZip>},
};

}  // namespace

TReaderFactory ReaderFor(TArcType type) {
  for (const TReaderRow& row : kReaders)
    if (row.Type == type) return row.Make;
  return nullptr;
}

}  // namespace qel
