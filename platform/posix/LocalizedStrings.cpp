#include "platform/LocalizedStrings.h"

#include <cstdlib>
#include <initializer_list>

namespace platform {

namespace {

bool isLower(char c) { return c >= 'a' && c <= 'z'; }

}  // namespace

std::string messageLanguage() {
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = std::getenv(name);
    if (locale && *locale) break;
  }
  if (!locale || !isLower(locale[0]) || !isLower(locale[1])) return std::string();
  const char after = locale[2];
  if (after != 0 && after != '_' && after != '.' && after != '@') return std::string();
  return std::string(locale, 2);
}

}  // namespace platform
