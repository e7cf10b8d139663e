#pragma once
// Each connect gives the connection handle a new Connection from the back end's factory before
// it connects (a failed connect keeps it, with the failure to read on it).
#include "core/ConnectionProxy.h"

namespace api {

// False, with "HY001" on the handle, when no connection could be made; the handle then keeps
// the one it had. The wide connect forms switch the new connection to the wide interface.
bool attachNewConnection(ConnectionProxy* proxy, bool wide);

}  // namespace api
