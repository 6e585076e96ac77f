// The HA branch of the lister.
#pragma once

namespace qel {

class TListSession;

void ListHa(TListSession& session);

}  // namespace qel
