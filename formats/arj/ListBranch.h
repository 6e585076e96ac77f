// The ARJ branch of the lister: the entries of the archive and of the volumes that follow it,
// a file split over volumes listed once with the sizes of all its pieces.
#pragma once

namespace qel {

class TListSession;

void ListArj(TListSession& session);

}  // namespace qel
