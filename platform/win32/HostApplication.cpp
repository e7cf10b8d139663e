#include "platform/HostApplication.h"

#include <windows.h>

#include "platform/win32/FileVersion.h"

namespace platform {

void readHostApplication(std::string& name, std::string& version) {
  char path[4096] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  // A path that fills the buffer has been cut: no name is better than a wrong one.
  if (length >= sizeof path) length = 0;
  std::string executable(path, length);
  version = length > 0 ? fileVersionText(path) : "";
  std::size_t backslash = executable.rfind('\\');
  name = backslash == std::string::npos ? executable : executable.substr(backslash + 1);
}

}  // namespace platform
