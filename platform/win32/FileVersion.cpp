#include "platform/win32/FileVersion.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace platform {

std::string fileVersionText(const char* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return "";
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data())) return "";
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
      infoSize < sizeof(VS_FIXEDFILEINFO))
    return "";
  char text[256] = {};
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>(info->dwFileVersionMS >> 16),
                static_cast<int>(info->dwFileVersionMS & 0xFFFF),
                static_cast<int>(info->dwFileVersionLS >> 16),
                static_cast<int>(info->dwFileVersionLS & 0xFFFF));
  return text;
}

}  // namespace platform
