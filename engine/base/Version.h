// The program's version, one string for every program of the project (the build takes it
// from the project's own version), and the libraries the engine is built on.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qel {

std::string ProgramVersion();

// Name and version of each library the engine links, as the library reports itself.
std::vector<std::pair<std::string, std::string>> EngineLibraries();

}  // namespace qel
