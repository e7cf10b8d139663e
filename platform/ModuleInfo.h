#pragma once
// The driver module itself: its handle (for resources and the version resource) and its version.
#include <string>

namespace platform {

// Recorded by the library entry; on POSIX the module is found from its own code address instead.
void recordModule(void* handle);
void* moduleHandle();

// The driver's file version as "%d.%d.%d.%d": on Windows read from the module's version
// resource ("" when it has none), on POSIX the version the driver was built as.
std::string driverVersionText();

}  // namespace platform

#ifdef _WIN32
#define KARVOD_LIBRARY_ENTRY                                                    \
  extern "C" int __stdcall DllMain(void* module, unsigned long reason, void*) { \
    if (reason == 1 /* DLL_PROCESS_ATTACH */) platform::recordModule(module);   \
    return 1;                                                                   \
  }
#else
#define KARVOD_LIBRARY_ENTRY
#endif
