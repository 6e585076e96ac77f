// The lister's branch for UU, XX and Base64 texts: the one file the text holds, named as its
// begin line or MIME headers name it, with the text's own size and date.
#pragma once

namespace qel {

class TListSession;

void ListUu(TListSession& session);

}  // namespace qel
