#include "platform/TempFolder.h"

#include <windows.h>

namespace platform {

std::string temporaryFolder() {
  wchar_t shortPath[MAX_PATH + 1] = {};
  if (GetTempPathW(MAX_PATH + 1, shortPath) == 0) return std::string();
  wchar_t longPath[32768] = {};
  DWORD units = GetLongPathNameW(shortPath, longPath, 32768);
  const wchar_t* path = units > 0 && units < 32768 ? longPath : shortPath;
  int bytes = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return std::string();
  std::string folder(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path, -1, &folder[0], bytes, nullptr, nullptr);
  folder.resize(static_cast<std::size_t>(bytes - 1));
  return folder;
}

}  // namespace platform
