#include "platform/OdbcInstaller.h"

#include <odbcinst.h>

namespace platform {

static_assert(sizeof(WCHAR) == sizeof(SQLWCHAR), "the installer takes UTF-16 units");

namespace {
LPCWSTR wide(const SQLWCHAR* text) { return reinterpret_cast<LPCWSTR>(text); }
}  // namespace

int getPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                            char* buffer, int bufferSize, const char* file) {
  return SQLGetPrivateProfileString(section, key, defaultValue, buffer, bufferSize, file);
}

int getPrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                             const SQLWCHAR* defaultValue, SQLWCHAR* buffer, int bufferSize,
                             const SQLWCHAR* file) {
  return SQLGetPrivateProfileStringW(wide(section), wide(key), wide(defaultValue),
                                     reinterpret_cast<LPWSTR>(buffer), bufferSize, wide(file));
}

bool writePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file) {
  return SQLWritePrivateProfileString(section, key, value, file) != 0;
}

bool writePrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                                const SQLWCHAR* value, const SQLWCHAR* file) {
  return SQLWritePrivateProfileStringW(wide(section), wide(key), wide(value), wide(file)) != 0;
}

bool getConfigMode(unsigned short& mode) {
  UWORD current = 0;
  if (SQLGetConfigMode(&current) == 0) return false;
  mode = current;
  return true;
}

bool setConfigMode(unsigned short mode) { return SQLSetConfigMode(mode) != 0; }

bool writeDsnToIniW(const SQLWCHAR* dsn, const SQLWCHAR* driver) {
  return SQLWriteDSNToIniW(wide(dsn), wide(driver)) != 0;
}

bool removeDsnFromIniW(const SQLWCHAR* dsn) { return SQLRemoveDSNFromIniW(wide(dsn)) != 0; }

short postInstallerErrorW(unsigned long errorCode, const SQLWCHAR* message) {
  return SQLPostInstallerErrorW(static_cast<DWORD>(errorCode), wide(message));
}

}  // namespace platform
