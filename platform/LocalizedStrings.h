#pragma once
// Localized user-interface texts from the module's string tables.
#include "platform/Odbc.h"

namespace platform {

// Copies string `id` of the module in the calling thread's language (falling back to the
// module's default language) into buffer, NUL-terminated; answers its length in units, 0 when
// there is no such string. buffer holds at least 1024 units.
// POSIX modules carry no string resources; there the texts are compiled in, and the language
// is that of the locale environment (LC_ALL, LC_MESSAGES, LANG).
int loadLocalizedString(void* module, unsigned id, SQLWCHAR* buffer);

}  // namespace platform
