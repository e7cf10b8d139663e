#pragma once
// The driver module itself: its handle (for resources and the version resource), file name and
// version text, and the executable of the application that loaded it.
#include <string>

namespace platform {

// Recorded by the library entry; on POSIX the module is found from its own code address instead.
void recordModule(void* handle);
void* moduleHandle();

}  // namespace platform

#ifdef _WIN32
#define KARVOD_LIBRARY_ENTRY                                                              \
  extern "C" int __stdcall DllMain(void* module, unsigned long reason, \
                                                         void*) {                          \
    if (reason == 1 /* DLL_PROCESS_ATTACH */) platform::recordModule(module);              \
    return 1;                                                                              \
  }
#else
#define KARVOD_LIBRARY_ENTRY
#endif
