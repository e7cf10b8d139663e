// The only thing the driver does when it is loaded: remember its own module.
#include "platform/Export.h"
#include "platform/ModuleInfo.h"

KARVOD_LIBRARY_ENTRY

// Exported for hosts that look the driver up by ordinal; there is nothing to do.
KARVOD_EXPORT void LoadByOrdinal() {}
