// The ZIP branch of the lister: every ZIP kind, from its central directory or its local
// headers.
#pragma once

namespace qel {

class TListSession;

void ListZip(TListSession& session);

}  // namespace qel
