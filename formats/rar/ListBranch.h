// The lister's branch for RAR archives: the listing walk through the RAR library.
#pragma once

namespace qel {

class TListSession;

void ListRar(TListSession& s);

}  // namespace qel
