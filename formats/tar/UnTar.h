// TUnTar: extracts or tests the members of a TAR, plain or compressed, in one pass in
// archive order: a compressed TAR is decoded once, as `tar -x` reads it from a pipe.
// Files and folders are made; links, devices and pipes never are. A compressed TAR can
// also be written out whole, as the TAR it holds (ExtractAsIs, or when OnNestedTarFile
// declines its members).
#pragma once

#include <optional>

#include "engine/extract/UnPacked.h"

namespace qel {

struct TTarSource;

namespace tar {
struct TTarMember;
class TTarWalker;
}  // namespace tar

class TUnTar : public TUnPacked {
 protected:
  void ExtractEntries() override;

 private:
  // Whether the members of a compressed TAR are wanted rather than the TAR itself; none
  // when that could not be asked.
  std::optional<bool> MembersWanted();
  void ExtractMembers();
  void ExtractMember(const tar::TTarMember& m, tar::TTarWalker& walker, const TTarSource& source);
};

}  // namespace qel
