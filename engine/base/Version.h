// The program's version, one string for every program of the project (the build takes it
// from the project's own version), and the libraries the engine is built on.
#pragma once

#include <string>

namespace qel {

std::string ProgramVersion();

// The libraries the engine links, each with its version as it reports it:
// "zlib 1.2.13, libdeflate 1.14, libbz2 1.0.8".
std::string EngineLibraries();

}  // namespace qel
