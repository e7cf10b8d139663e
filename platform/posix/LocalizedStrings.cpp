#include "platform/LocalizedStrings.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/CodePage.h"

namespace platform {

namespace {

struct LocalizedText {
  unsigned id;
  const char* texts[5];  // English, German, French, Italian, Spanish
};

#define KARVOD_TEXT(id, english, german, french, italian, spanish) \
  {id, {english, german, french, italian, spanish}},
constexpr LocalizedText localizedTexts[] = {
#include "setup/LocalizedTexts.inc"
};
#undef KARVOD_TEXT

// The language of messages as POSIX chooses it: LC_ALL, then LC_MESSAGES, then LANG; languages
// without texts of their own read English.
int languageIndex() {
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = std::getenv(name);
    if (locale && *locale) break;
  }
  if (!locale) return 0;
  static const char* const languages[] = {"en", "de", "fr", "it", "es"};
  for (int index = 0; index < 5; ++index) {
    if (std::strncmp(locale, languages[index], 2) == 0 &&
        (locale[2] == 0 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@')) {
      return index;
    }
  }
  return 0;
}

}  // namespace

int loadLocalizedString(void*, unsigned id, SQLWCHAR* buffer) {
  constexpr std::size_t bufferUnits = 1024;
  buffer[0] = 0;
  for (const LocalizedText& text : localizedTexts) {
    if (text.id != id) continue;
    const char* utf8 = text.texts[languageIndex()];
    const std::size_t units =
        codePageToUtf16(utf8CodePage, utf8, std::strlen(utf8),
                        reinterpret_cast<char16_t*>(buffer), bufferUnits - 1);
    buffer[units] = 0;
    return static_cast<int>(units);
  }
  return 0;
}

}  // namespace platform
