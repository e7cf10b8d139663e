// The user's language as POSIX gives it (Windows reads its string tables: tests/windows).
#include "platform/LocalizedStrings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#ifndef _WIN32
namespace {

// The locale environment names the language: LC_ALL, then LC_MESSAGES, then LANG.
TEST(LocalizedStrings, MessageLanguageComesFromTheLocaleEnvironment) {
  const char* const names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::string saved[3];
  bool wasSet[3];
  for (int i = 0; i < 3; ++i) {
    const char* value = std::getenv(names[i]);
    wasSet[i] = value != nullptr;
    saved[i] = value ? value : "";
    unsetenv(names[i]);
  }
  EXPECT_EQ(platform::messageLanguage(), "");
  const std::pair<const char*, const char*> cases[] = {
      {"fr_FR.UTF-8", "fr"}, {"de", "de"}, {"it_IT@euro", "it"}, {"pt.UTF-8", "pt"},
      {"C", ""},             {"C.UTF-8", ""}, {"POSIX", ""},     {"dee_DE", ""}};
  for (const auto& c : cases) {
    setenv("LANG", c.first, 1);
    EXPECT_EQ(platform::messageLanguage(), c.second) << c.first;
  }
  setenv("LC_MESSAGES", "es_ES", 1);
  EXPECT_EQ(platform::messageLanguage(), "es");
  setenv("LC_ALL", "", 1);  // empty settings are passed over
  EXPECT_EQ(platform::messageLanguage(), "es");
  setenv("LC_ALL", "de_AT.UTF-8", 1);
  EXPECT_EQ(platform::messageLanguage(), "de");
  for (int i = 0; i < 3; ++i) {
    if (wasSet[i]) {
      setenv(names[i], saved[i].c_str(), 1);
    } else {
      unsetenv(names[i]);
    }
  }
}

}  // namespace
#endif
