// The TAR branch of the lister: every member header from the start of the TAR (decoded on
// the way for a compressed one) to its end blocks.
#pragma once

namespace qel {

class TListSession;

void ListTar(TListSession& session);

}  // namespace qel
