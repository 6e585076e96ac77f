// The LHA branch of the lister: the headers from the archive's start to its end mark.
#pragma once

namespace qel {

class TListSession;

void ListLha(TListSession& session);

}  // namespace qel
