#include "setup/posix/CompiledTexts.h"

#include "platform/LocalizedStrings.h"
#include "setup/SetupText.h"

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

// Languages without texts of their own read English.
int languageIndex() {
  static const char* const languages[] = {"en", "de", "fr", "it", "es"};
  const std::string language = platform::messageLanguage();
  for (int index = 0; index < 5; ++index) {
    if (language == languages[index]) return index;
  }
  return 0;
}

}  // namespace

std::u16string compiledText(unsigned id) {
  for (const LocalizedText& text : localizedTexts) {
    if (text.id == id) return utf16Text(text.texts[languageIndex()]);
  }
  return std::u16string();
}
