#include "platform/LocalizedStrings.h"

#include <windows.h>

namespace platform {

namespace {

constexpr int bufferUnits = 1024;

// String tables hold blocks of 16 entries, each a length unit followed by that many units.
int copyFromBlock(HMODULE module, unsigned id, WORD language, SQLWCHAR* buffer) {
  HRSRC resource = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_STRING),
                                   MAKEINTRESOURCEA(id / 16 + 1), language);
  if (!resource) return 0;
  HGLOBAL loaded = LoadResource(module, resource);
  const auto* units = loaded ? static_cast<const SQLWCHAR*>(LockResource(loaded)) : nullptr;
  if (!units) return 0;
  const SQLWCHAR* end = units + SizeofResource(module, resource) / sizeof(SQLWCHAR);
  for (unsigned entry = 0; units < end; ++entry) {
    unsigned length = *units++;
    if (length > static_cast<unsigned>(end - units)) return 0;
    if (entry == id % 16) {
      if (length == 0) return 0;
      if (length > bufferUnits - 1) length = bufferUnits - 1;
      for (unsigned i = 0; i < length; ++i) buffer[i] = units[i];
      buffer[length] = 0;
      return static_cast<int>(length);
    }
    units += length;
  }
  return 0;
}

}  // namespace

int loadLocalizedString(void* module, unsigned id, SQLWCHAR* buffer) {
  auto handle = static_cast<HMODULE>(module);
  // The thread locale's language, with the sub-language bit 0x400 set as the string tables use.
  WORD language = static_cast<WORD>((GetThreadLocale() & 0xFFFF) | 0x400);
  int length = copyFromBlock(handle, id, language, buffer);
  if (length > 0) return length;
  length = LoadStringW(handle, id, reinterpret_cast<LPWSTR>(buffer), bufferUnits);
  if (length <= 0) buffer[0] = 0;
  return length;
}

}  // namespace platform
