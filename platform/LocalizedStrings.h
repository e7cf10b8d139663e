#pragma once
// The user's language for interface texts, as the system keeps it.
#include <string>

#include "platform/Odbc.h"

namespace platform {

#ifdef _WIN32
// Copies string `id` of the module's string tables in the calling thread's language (falling
// back to the module's default language) into buffer, NUL-terminated; answers its length in
// units, 0 when there is no such string. buffer holds at least 1024 units.
int loadLocalizedString(void* module, unsigned id, SQLWCHAR* buffer);
#else
// The two-letter language of messages as POSIX chooses it (LC_ALL, then LC_MESSAGES, then LANG):
// "fr" for "fr_FR.UTF-8"; empty where none is set or the setting names no language ("C").
std::string messageLanguage();
#endif

}  // namespace platform
