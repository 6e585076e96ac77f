// The BH branch of the lister: the run of entry headers; compressed sizes without the
// cipher header of encrypted entries.
#pragma once

namespace qel {

class TListSession;

void ListBh(TListSession& session);

}  // namespace qel
