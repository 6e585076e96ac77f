// The name a single-file compression's data takes when it is extracted or listed: the name
// stored in the file (GZIP's FNAME) or the file's own, with the compression's extension
// taken off, or turned into ".tar" where it stood for a compressed TAR.
#pragma once

#include <string>

#include "engine/packed/PackedStream.h"

namespace qel {

// `stored`: the decoded FNAME, "" when there is none (only its last component is used);
// `fileName`: the compressed file's name, folders allowed.
std::string UnpackedName(TPackedKind kind, const std::string& stored, const std::string& fileName);

}  // namespace qel
