#include "platform/ModuleInfo.h"

#include <dlfcn.h>

namespace platform {

void recordModule(void*) {}

void* moduleHandle() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&moduleHandle), &info) == 0) return nullptr;
  return info.dli_fbase;
}

}  // namespace platform
