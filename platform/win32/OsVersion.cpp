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

unsigned osMajorVersion() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) ? version.dwMajorVersion : 0;
}

bool visualThemeActive() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager",
                    0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  char value[512] = {};
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  const bool read = RegQueryValueExA(key, "ThemeActive", nullptr, &type,
                                     reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return read && type == REG_SZ && std::string(value) == "1";
}

}  // namespace platform
