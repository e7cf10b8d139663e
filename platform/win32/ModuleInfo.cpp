#include "platform/ModuleInfo.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/FileVersion.h"

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

std::string driverVersionText() {
  char path[4096] = {};
  DWORD length = GetModuleFileNameA(static_cast<HMODULE>(moduleHandle()), path, sizeof path);
  if (length == 0 || length >= sizeof path) return "";
  return fileVersionText(path);
}

}  // namespace platform
