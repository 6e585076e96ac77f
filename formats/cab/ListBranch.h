// The cabinet branch of the lister: the file records of the cabinet and of the cabinets
// that follow it in its set, a file continued from one cabinet to the next listed once,
// with its own folder's method.
#pragma once

namespace qel {

class TListSession;

void ListCab(TListSession& session);

}  // namespace qel
