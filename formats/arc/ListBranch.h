// The ARC branch of the lister, which PAK archives share: the records in order, names within
// their subdirectories, a subdirectory record itself listed as a folder.
#pragma once

namespace qel {

class TListSession;

void ListArc(TListSession& session);

}  // namespace qel
