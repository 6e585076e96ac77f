// The lister branch of the single-file compressions (GZIP and its older relatives, BZIP2):
// one entry, described from the header and trailer without decoding the data.
#pragma once

namespace qel {

class TListSession;

void ListPacked(TListSession& session);

}  // namespace qel
