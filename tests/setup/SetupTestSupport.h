#pragma once
// Helpers shared by the setup tests: attribute lists as readable text, and the locale that
// chooses the string language.
#include <cstdlib>
#include <string>

#include "setup/SetupText.h"

namespace setuptest {

// An attribute list with its NULs shown as "|" (the final empty entry included).
inline std::string listText(const std::u16string& list) {
  std::string shown;
  for (char16_t unit : list) {
    if (unit == 0) {
      shown += '|';
    } else {
      shown += utf8Text(std::u16string(1, unit));
    }
  }
  return shown;
}

// An attribute list from "a=b|c=d|" notation (each "|" a NUL), with its final NUL added.
inline std::u16string listOf(const std::string& text) {
  std::u16string list = utf16Text(text);
  for (char16_t& unit : list) {
    if (unit == u'|') unit = 0;
  }
  return list + u'\0';
}

#ifndef _WIN32
// Sets the locale environment for the strings' language while it lives.
class ScopedLanguage {
 public:
  explicit ScopedLanguage(const char* lang) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = std::getenv(name);
      saved_[index(name)] = value ? value : "";
      had_[index(name)] = value != nullptr;
      unsetenv(name);
    }
    setenv("LANG", lang, 1);
  }
  ~ScopedLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      if (had_[index(name)]) {
        setenv(name, saved_[index(name)].c_str(), 1);
      } else {
        unsetenv(name);
      }
    }
  }

 private:
  static int index(const char* name) { return name[1] == 'C' ? (name[3] == 'A' ? 0 : 1) : 2; }
  std::string saved_[3];
  bool had_[3] = {};
};

#endif

}  // namespace setuptest
