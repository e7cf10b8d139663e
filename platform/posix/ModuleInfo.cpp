#include "platform/ModuleInfo.h"

#include <dlfcn.h>

#include <cstdio>

namespace platform {

void recordModule(void*) {}

void* moduleHandle() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&moduleHandle), &info) == 0) return nullptr;
  return info.dli_fbase;
}

std::string driverVersionText() {
  // KARVOD_FILE_VERSION is the project version as four comma-separated numbers, set by the build.
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", KARVOD_FILE_VERSION);
  return text;
}

}  // namespace platform
