// The lister's branch for ACE archives: the file headers, read by the program itself (no
// library is needed to list).
#pragma once

namespace qel {

class TListSession;

void ListAce(TListSession& s);

}  // namespace qel
