#include "setup/DialogSystem.h"

#ifdef _WIN32
#include "setup/win32/Win32DialogSystem.h"
#endif

namespace {

DialogSystem* nativeSystem() {
#ifdef _WIN32
  return &win32DialogSystem();
#else
  return nullptr;
#endif
}

DialogSystem*& installed() {
  static DialogSystem* system = nativeSystem();
  return system;
}

}  // namespace

DialogSystem* dialogSystem() { return installed(); }

DialogSystem* setDialogSystem(DialogSystem* system) {
  DialogSystem* previous = installed();
  installed() = system;
  return previous;
}
