// The file a self-extractor tool writes (a self-extractor, or the archive taken out of one):
// made under a temporary name beside its target and put in place only once whole.
#pragma once

#include <memory>
#include <string>

#include "engine/streams/TempStreams.h"

namespace qel {

class TZipCommon;

// The temporary file beside `target`; raises through `owner` when it cannot be made.
std::unique_ptr<TTempFileStream> BeginOutput(TZipCommon& owner, const std::string& target);
// Puts `out` in place as `target`, executable (0777 less the umask) when asked; raises
// through `owner` when that fails.
void CommitOutput(TZipCommon& owner, TTempFileStream& out, const std::string& target,
                  bool executable);
// The program's own folder (where its SFXS folder of stubs lies), with a trailing "/".
std::string ProgramFolder();

}  // namespace qel
