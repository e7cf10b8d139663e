#include "core/DsnAccess.h"

#include <odbcinst.h>

#include <vector>

#include "core/Unicode.h"
#include "core/WideText.h"
#include "platform/OdbcInstaller.h"

namespace {

constexpr int valueBufferSize = 1024;

// The narrow and wide installer calls under one name, with the texts each form needs.
int readProfile(const char* section, const char* key, char* buffer, int size) {
  return platform::getPrivateProfileString(section, key, "", buffer, size, "ODBC.INI");
}

int readProfile(const SQLWCHAR* section, const SQLWCHAR* key, SQLWCHAR* buffer, int size) {
  static const SQLWCHAR odbcIni[] = {'O', 'D', 'B', 'C', '.', 'I', 'N', 'I', 0};
  static const SQLWCHAR empty[] = {0};
  return platform::getPrivateProfileStringW(section, key, empty, buffer, size, odbcIni);
}

template <typename Char>
unsigned short selectMode(const Char* dsn) {
  static const Char driverKey[] = {'D', 'r', 'i', 'v', 'e', 'r', 0};
  platform::MutexLock lock(platform::configModeMutex());
  unsigned short previous = ODBC_BOTH_DSN;
  platform::getConfigMode(previous);
  platform::setConfigMode(ODBC_SYSTEM_DSN);
  Char driver[256] = {};
  if (readProfile(dsn, driverKey, driver, 256) <= 0) platform::setConfigMode(ODBC_USER_DSN);
  return previous;
}

// Reads the key in the DSN's own scope and puts the caller's mode back.
template <typename Char>
int readInScope(const Char* dsn, const Char* key, Char* buffer) {
  platform::MutexLock lock(platform::configModeMutex());
  unsigned short previous = selectMode(dsn);
  int length = readProfile(dsn, key, buffer, valueBufferSize);
  platform::setConfigMode(previous);
  return length;
}

// UTF-8 never cut inside a character.
std::string cutAtCharacter(std::string text, std::size_t most) {
  if (text.size() <= most) return text;
  std::size_t end = most;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

unsigned short selectDsnConfigMode(const std::string& dsn) { return selectMode(dsn.c_str()); }

unsigned short selectDsnConfigModeW(const SQLWCHAR* dsn) { return selectMode(dsn); }

std::string readDsnValue(const std::string& dsn, const char* key) {
  char buffer[valueBufferSize] = {};
  return readInScope(dsn.c_str(), key, buffer) > 0 ? std::string(buffer) : std::string();
}

std::string readDsnValueW(const std::string& dsn, const SQLWCHAR* key) {
  const std::vector<SQLWCHAR> wideDsn = utf16FromUtf8(dsn);
  SQLWCHAR buffer[valueBufferSize] = {};
  if (readInScope(wideDsn.data(), key, buffer) <= 0) return std::string();
  return cutAtCharacter(utf8FromUtf16(buffer, utf16Length(buffer)), valueBufferSize - 1);
}
