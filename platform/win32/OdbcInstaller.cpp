#include "platform/OdbcInstaller.h"

#include <windows.h>

#include <odbcinst.h>

namespace platform {

static_assert(sizeof(WCHAR) == sizeof(SQLWCHAR), "the installer takes UTF-16 units");

namespace {

// The entry points of odbccp32.dll, bound once; a missing library or entry stays null.
struct Installer {
  decltype(&SQLGetPrivateProfileString) getString = nullptr;
  decltype(&SQLGetPrivateProfileStringW) getStringW = nullptr;
  decltype(&SQLWritePrivateProfileString) writeString = nullptr;
  decltype(&SQLWritePrivateProfileStringW) writeStringW = nullptr;
  decltype(&SQLGetConfigMode) getMode = nullptr;
  decltype(&SQLSetConfigMode) setMode = nullptr;
  decltype(&SQLWriteDSNToIniW) writeDsnW = nullptr;
  decltype(&SQLRemoveDSNFromIniW) removeDsnW = nullptr;
  decltype(&SQLPostInstallerErrorW) postErrorW = nullptr;
};

template <typename Function>
void bind(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

const Installer& installer() {
  static Installer entries;
  static OnceFlag once;
  callOnce(once, [] {
    HMODULE library = LoadLibraryA("odbccp32.dll");
    if (!library) return;
    bind(library, "SQLGetPrivateProfileString", entries.getString);
    bind(library, "SQLGetPrivateProfileStringW", entries.getStringW);
    bind(library, "SQLWritePrivateProfileString", entries.writeString);
    bind(library, "SQLWritePrivateProfileStringW", entries.writeStringW);
    bind(library, "SQLGetConfigMode", entries.getMode);
    bind(library, "SQLSetConfigMode", entries.setMode);
    bind(library, "SQLWriteDSNToIniW", entries.writeDsnW);
    bind(library, "SQLRemoveDSNFromIniW", entries.removeDsnW);
    bind(library, "SQLPostInstallerErrorW", entries.postErrorW);
  });
  return entries;
}

LPCWSTR wide(const SQLWCHAR* text) { return reinterpret_cast<LPCWSTR>(text); }

}  // namespace

int getPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                            char* buffer, int bufferSize, const char* file) {
  auto function = installer().getString;
  return function ? function(section, key, defaultValue, buffer, bufferSize, file) : 0;
}

int getPrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                             const SQLWCHAR* defaultValue, SQLWCHAR* buffer, int bufferSize,
                             const SQLWCHAR* file) {
  auto function = installer().getStringW;
  return function ? function(wide(section), wide(key), wide(defaultValue),
                             reinterpret_cast<LPWSTR>(buffer), bufferSize, wide(file))
                  : 0;
}

bool writePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file) {
  auto function = installer().writeString;
  return function && function(section, key, value, file) != FALSE;
}

bool writePrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                                const SQLWCHAR* value, const SQLWCHAR* file) {
  auto function = installer().writeStringW;
  return function && function(wide(section), wide(key), wide(value), wide(file)) != FALSE;
}

bool getConfigMode(unsigned short& mode) {
  auto function = installer().getMode;
  UWORD current = 0;
  if (!function || function(&current) == FALSE) return false;
  mode = current;
  return true;
}

bool setConfigMode(unsigned short mode) {
  auto function = installer().setMode;
  return function && function(mode) != FALSE;
}

bool writeDsnToIniW(const SQLWCHAR* dsn, const SQLWCHAR* driver) {
  auto function = installer().writeDsnW;
  return function && function(wide(dsn), wide(driver)) != FALSE;
}

bool removeDsnFromIniW(const SQLWCHAR* dsn) {
  auto function = installer().removeDsnW;
  return function && function(wide(dsn)) != FALSE;
}

short postInstallerErrorW(unsigned long errorCode, const SQLWCHAR* message) {
  auto function = installer().postErrorW;
  return function ? function(static_cast<DWORD>(errorCode), wide(message)) : SQL_ERROR;
}

}  // namespace platform
