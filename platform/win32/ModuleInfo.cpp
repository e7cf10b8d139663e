#include "platform/ModuleInfo.h"

#include <windows.h>

#include <atomic>

namespace platform {

namespace {
std::atomic<void*> recordedModule{nullptr};
}

void recordModule(void* handle) { recordedModule.store(handle); }

void* moduleHandle() {
  void* handle = recordedModule.load();
  // A test executable that links the driver's code statically has no DllMain of ours.
  return handle ? handle : static_cast<void*>(GetModuleHandleW(nullptr));
}

}  // namespace platform
