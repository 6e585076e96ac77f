// The ZOO branch of the lister: the chain of directory entries, without the versions marked
// deleted and without the placeholder that closes the chain.
#pragma once

namespace qel {

class TListSession;

void ListZoo(TListSession& session);

}  // namespace qel
