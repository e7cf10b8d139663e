// What the connection tells applications about the server: its SQLGetInfo answers. It supports
// the base list of functions, every one of which the driver exports.
#include "backend/KarvellConnection.h"

#define KARVELL_DEFINE_INFO_ANSWER(name, kind, value) \
  Info##kind KarvellConnection::getInfo##name() { return value; }
KARVELL_INFO_ANSWERS(KARVELL_DEFINE_INFO_ANSWER)
#undef KARVELL_DEFINE_INFO_ANSWER
