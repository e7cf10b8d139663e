// The string tables: every identifier in every language, and the rules translations keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "setup/SetupText.h"
#include "setup/resource.h"
#include "tests/setup/SetupTestSupport.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::vector<unsigned> allIds() {
  std::vector<unsigned> ids;
  for (unsigned id = 251; id <= 299; ++id) {
    if (id != 267) ids.push_back(id);
  }
  for (unsigned id = 501; id <= 535; ++id) ids.push_back(id);
  return ids;
}

// The language's texts of all identifiers. POSIX: the locale environment; Windows: the
// thread locale.
struct Language {
  const char* name;
  const char* posixLocale;
  unsigned windowsLanguage;
};
const Language languages[] = {{"English", "en_US.UTF-8", 0x0409},
                              {"German", "de_DE.UTF-8", 0x0407},
                              {"French", "fr_FR.UTF-8", 0x040C},
                              {"Italian", "it_IT.UTF-8", 0x0410},
                              {"Spanish", "es_ES.UTF-8", 0x0C0A}};

std::map<unsigned, std::u16string> textsIn(const Language& language) {
  std::map<unsigned, std::u16string> texts;
#ifdef _WIN32
  const LCID before = GetThreadLocale();
  SetThreadLocale(MAKELCID(language.windowsLanguage, SORT_DEFAULT));
  for (unsigned id : allIds()) texts[id] = localizedText(id);
  SetThreadLocale(before);
#else
  setuptest::ScopedLanguage scoped(language.posixLocale);
  for (unsigned id : allIds()) texts[id] = localizedText(id);
#endif
  return texts;
}

std::vector<std::u16string> formats(const std::u16string& text) {
  std::vector<std::u16string> found;
  for (std::size_t at = text.find(u'%'); at != std::u16string::npos; at = text.find(u'%', at + 2)) {
    found.push_back(text.substr(at, 2));
  }
  return found;
}

char16_t mnemonic(const std::u16string& text) {
  const std::size_t at = text.find(u'&');
  if (at == std::u16string::npos || at + 1 >= text.size()) return 0;
  char16_t letter = text[at + 1];
  if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - 32);
  if (letter == u'é') letter = u'É';
  return letter;
}

bool sortsBefore(const std::u16string& a, const std::u16string& b) {
  auto fold = [](std::u16string t) {
    for (auto& c : t) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return t;
  };
  return fold(a) < fold(b);
}

TEST(LocalizedTexts, EveryIdInEveryLanguageKeepsTheRules) {
  const std::map<unsigned, std::u16string> english = textsIn(languages[0]);
  std::set<std::u16string> germanTexts;
  for (const Language& language : languages) {
    SCOPED_TRACE(language.name);
    const std::map<unsigned, std::u16string> texts = textsIn(language);
    for (unsigned id : allIds()) {
      const std::u16string& text = texts.at(id);
      ASSERT_FALSE(text.empty()) << id;
      EXPECT_EQ(formats(text), formats(english.at(id))) << id;
      EXPECT_EQ(std::count(text.begin(), text.end(), u'&'),
                std::count(english.at(id).begin(), english.at(id).end(), u'&'))
          << id;
    }
    // No mnemonic twice on a wizard page (the strip's buttons are on every page).
    const std::vector<std::vector<unsigned>> pages = {
        {IDS_BACK, IDS_NEXT, IDS_FINISH, IDS_ABOUT_BUTTON},
        {IDS_BACK, IDS_NEXT, IDS_FINISH, IDS_LAUNCH},
        {IDS_BACK, IDS_NEXT, IDS_FINISH, IDS_LIST_DATABASES},
        {IDS_BACK, IDS_NEXT, IDS_FINISH, IDS_LOG_ON, IDS_ADVANCED, IDS_BROWSE},
        {IDS_BACK, IDS_DONE, IDS_TEST}};
    for (const auto& page : pages) {
      std::set<char16_t> letters;
      for (unsigned id : page) {
        EXPECT_TRUE(letters.insert(mnemonic(texts.at(id))).second)
            << "mnemonic of " << id << " twice: " << utf8Text(texts.at(id));
      }
    }
    // The lists select by position in the sorted list: the order must be the English one.
    EXPECT_TRUE(sortsBefore(texts.at(IDS_AES256), texts.at(IDS_ENCRYPTION_NONE)));
    EXPECT_TRUE(sortsBefore(u"AES 192", texts.at(IDS_AES256)));
    for (unsigned id = IDS_CODE_PAGE_1252; id <= IDS_SYSTEM_ENCODING; ++id) {
      EXPECT_TRUE(sortsBefore(texts.at(id), u"UTF-8")) << id;
    }
    if (language.name == std::string("German")) {
      for (unsigned id : allIds()) germanTexts.insert(texts.at(id));
    }
  }
  EXPECT_EQ(english.at(IDS_OVERWRITE), u"%s is already a data source name. Overwrite?");
  EXPECT_EQ(english.at(IDS_CODE_PAGE_1252), u"System (code page 1252)");
  EXPECT_EQ(germanTexts.count(u"< &Zurück"), 1u);
  EXPECT_EQ(germanTexts.count(u"Verschlüsselung:"), 1u);
}

#ifndef _WIN32
TEST(LocalizedTexts, LanguageComesFromTheLocaleEnvironment) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"de_DE.UTF-8", u"&Weiter >"}, {"en_GB", u"&Next >"},   {"pt_BR", u"&Next >"},
      {"fr", u"&Suivant >"},         {"it_IT@euro", u"&Avanti >"}, {"es_ES.UTF-8", u"&Siguiente >"},
      {"C", u"&Next >"},             {"dee_DE", u"&Next >"}};
  for (const auto& c : cases) {
    setuptest::ScopedLanguage language(c.first);
    EXPECT_EQ(localizedText(IDS_NEXT), c.second) << c.first;
  }
  setuptest::ScopedLanguage english("en_US.UTF-8");
  setenv("LC_MESSAGES", "it_IT.UTF-8", 1);
  EXPECT_EQ(localizedText(IDS_NEXT), u"&Avanti >");
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  EXPECT_EQ(localizedText(IDS_NEXT), u"&Weiter >");
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
}
#endif

}  // namespace
