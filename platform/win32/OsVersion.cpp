#include "platform/OsVersion.h"

#include <windows.h>

namespace platform {

std::string osVersionText() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return "Windows (unknown version)";
  return "Windows " + std::to_string(version.dwMajorVersion) + "." +
         std::to_string(version.dwMinorVersion) + "." + std::to_string(version.dwBuildNumber);
}

}  // namespace platform
