// Which of the engine's readers reads an archive type: one table for every component that
// picks a reader by type (the tester, the application's extractors).
#pragma once

#include <memory>

#include "engine/base/ArcType.h"

namespace qel {

class TDecompressClass;

using TReaderFactory = std::unique_ptr<TDecompressClass> (*)();

// The factory of the reader for `type`; null when the engine reads no such archive. Two
// types read by one reader give the same factory.
TReaderFactory ReaderFor(TArcType type);

}  // namespace qel
