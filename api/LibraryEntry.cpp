// The only thing the driver does when it is loaded: remember its own module.
#include "platform/ModuleInfo.h"

KARVOD_LIBRARY_ENTRY
