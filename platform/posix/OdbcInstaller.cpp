#include "platform/OdbcInstaller.h"

#include <odbcinst.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace platform {

namespace {

// unixODBC's wide profile functions narrow each UTF-16 unit to one byte on write and widen
// bytes with sign extension on read, so non-ASCII text would be corrupted both ways. Its files
// hold UTF-8: the wide forms convert and call the narrow ones.
class Utf8 {
 public:
  explicit Utf8(const SQLWCHAR* text) : isNull_(text == nullptr) {
    if (isNull_) return;
    std::size_t units = 0;
    while (text[units] != 0) ++units;
    text_.resize(units * 3);
    const CodePageOutput converted = utf16ToCodePage(
        utf8CodePage, reinterpret_cast<const char16_t*>(text), units, &text_[0], text_.size());
    text_.resize(converted.bytes);
  }
  const char* get() const { return isNull_ ? nullptr : text_.c_str(); }

 private:
  bool isNull_;
  std::string text_;
};

}  // namespace

int getPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                            char* buffer, int bufferSize, const char* file) {
  return SQLGetPrivateProfileString(section, key, defaultValue, buffer, bufferSize, file);
}

int getPrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                             const SQLWCHAR* defaultValue, SQLWCHAR* buffer, int bufferSize,
                             const SQLWCHAR* file) {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  // Each unit the caller can take needs at most three bytes of UTF-8.
  std::vector<char> narrow(static_cast<std::size_t>(bufferSize) * 3 + 1, '\0');
  const int bytes = SQLGetPrivateProfileString(
      Utf8(section).get(), Utf8(key).get(), Utf8(defaultValue).get(), narrow.data(),
      static_cast<int>(narrow.size()), Utf8(file).get());
  std::size_t units = 0;
  if (bytes > 0) {
    units = codePageToUtf16(utf8CodePage, narrow.data(), static_cast<std::size_t>(bytes),
                            reinterpret_cast<char16_t*>(buffer),
                            static_cast<std::size_t>(bufferSize) - 1);
  }
  buffer[units] = 0;
  return static_cast<int>(units);
}

bool writePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file) {
  return SQLWritePrivateProfileString(section, key, value, file) != 0;
}

bool writePrivateProfileStringW(const SQLWCHAR* section, const SQLWCHAR* key,
                                const SQLWCHAR* value, const SQLWCHAR* file) {
  return SQLWritePrivateProfileString(Utf8(section).get(), Utf8(key).get(), Utf8(value).get(),
                                      Utf8(file).get()) != 0;
}

bool getConfigMode(unsigned short& mode) {
  UWORD current = 0;
  if (SQLGetConfigMode(&current) == 0) return false;
  mode = current;
  return true;
}

bool setConfigMode(unsigned short mode) { return SQLSetConfigMode(mode) != 0; }

bool writeDsnToIniW(const SQLWCHAR* dsn, const SQLWCHAR* driver) {
  return SQLWriteDSNToIni(Utf8(dsn).get(), Utf8(driver).get()) != 0;
}

bool removeDsnFromIniW(const SQLWCHAR* dsn) { return SQLRemoveDSNFromIni(Utf8(dsn).get()) != 0; }

short postInstallerErrorW(unsigned long errorCode, const SQLWCHAR* message) {
  return SQLPostInstallerError(static_cast<DWORD>(errorCode), Utf8(message).get());
}

}  // namespace platform
