#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/TextUtilities.h"

namespace {

TEST(CompareNoCase, LengthDecidesFirstThenFoldedCharacters) {
  EXPECT_EQ(compareNoCase("abc", "ABC"), 0);
  EXPECT_EQ(compareNoCase("abc", "ABD"), 1);
  EXPECT_EQ(compareNoCase("abd", "ABC"), 1);
  EXPECT_EQ(compareNoCase("ab", "abc"), -1);
  EXPECT_EQ(compareNoCase("abcd", "abc"), 1);
  EXPECT_EQ(compareNoCase(nullptr, ""), 0);
  EXPECT_EQ(compareNoCase("", nullptr), 0);
  // Only ASCII letters fold.
  EXPECT_EQ(compareNoCase("\xE9", "\xC9"), 1);
  EXPECT_EQ(compareNoCase("[", "{"), 1);
}

TEST(CompareNoCaseN, ComparesAtMostNCharactersAndStopsAtTheTerminator) {
  EXPECT_EQ(compareNoCaseN("DSN=x", "dsn", 3), 0);
  EXPECT_EQ(compareNoCaseN("DSX=x", "dsn", 3), 1);
  EXPECT_EQ(compareNoCaseN("DS", "dsn", 3), 1);
  EXPECT_EQ(compareNoCaseN("ab", "AB", 5), 0);
  EXPECT_EQ(compareNoCaseN("anything", "else", 0), 0);
}

TEST(CompareStringNoCase, MatchesThePrefixOfTheOtherOverTheTextsLength) {
  EXPECT_EQ(compareStringNoCase("utf-8", "UTF-8"), 0);
  EXPECT_EQ(compareStringNoCase("u", "UTF-8"), 0);
  EXPECT_EQ(compareStringNoCase("", "UTF-8"), 0);
  EXPECT_NE(compareStringNoCase("UTF-16", "UTF-8"), 0);
  // A text longer than the other never matches, and its tail is not read past the other's end.
  EXPECT_NE(compareStringNoCase("UTF-8X", "UTF-8"), 0);
  // The sign: -1 when the text's differing byte is the greater, 1 when the smaller.
  EXPECT_EQ(compareStringNoCase("b", "a"), -1);
  EXPECT_EQ(compareStringNoCase("a", "b"), 1);
  EXPECT_EQ(compareStringNoCase("\xE9", "a"), 1);  // signed: 0xE9 is negative
}

TEST(FindCharOrEnd, AnswersTheCharacterOrTheTerminator) {
  const char* text = "key=value";
  EXPECT_EQ(findCharOrEnd(text, '='), text + 3);
  EXPECT_EQ(findCharOrEnd(text, ';'), text + 9);
  EXPECT_EQ(*findCharOrEnd(text, ';'), '\0');
}

TEST(FindChar, AnswersTheCharacterOrNull) {
  const char* text = "key=value=";
  EXPECT_EQ(findChar(text, '='), text + 3);
  EXPECT_EQ(findChar(text, 'k'), text);
  EXPECT_EQ(findChar(text, ';'), nullptr);
  EXPECT_EQ(findChar("", '='), nullptr);
}

TEST(CopyStringBounded, CutsWhenTheSourceDoesNotFitWithItsTerminator) {
  struct Case {
    const char* source;
    std::size_t size;
    const char* stored;
    std::size_t result;
  };
  const Case cases[] = {
      {"abcd", 8, "abcd", 4}, {"abcd", 5, "abcd", 4},
      {"abcd", 4, "abc", 4},  // len == size must cut: no room for the NUL
      {"abcd", 2, "a", 2},    {"abcd", 1, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::vector<char> buffer(c.size + 1, '#');
    EXPECT_EQ(copyStringBounded(buffer.data(), c.source, c.size), c.result);
    EXPECT_STREQ(buffer.data(), c.stored);
    EXPECT_EQ(buffer[c.size], '#');
  }
  char untouched = '#';
  EXPECT_EQ(copyStringBounded(&untouched, "abc", 0), 0u);
  EXPECT_EQ(untouched, '#');
}

TEST(FormatIntDecimal, HonoursTheBufferSize) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(formatIntDecimal(-2147483647 - 1, buffer, 5, 10), buffer);
  EXPECT_STREQ(buffer, "-214");
  EXPECT_EQ(buffer[5], '#');
  formatIntDecimal(42, buffer, sizeof buffer, 16);
  EXPECT_STREQ(buffer, "42");
  buffer[0] = '#';
  formatIntDecimal(7, buffer, 0, 10);
  EXPECT_EQ(buffer[0], '#');
}

TEST(FindSubstring, AnswersTheFirstOccurrence) {
  const char* text = "SELECT a FROM t FROM";
  EXPECT_EQ(findSubstring(text, "FROM"), text + 9);
  EXPECT_EQ(findSubstring(text, "WHERE"), nullptr);
  EXPECT_EQ(findSubstring(text, ""), text);
}

TEST(TokenizeString, FollowsTheStrtokRContract) {
  char text[] = ";;DSN=a;;UID=b;";
  char* save = nullptr;
  char* first = tokenizeString(text, ";", &save);
  EXPECT_STREQ(first, "DSN=a");
  EXPECT_EQ(save, text + 8);
  EXPECT_STREQ(tokenizeString(nullptr, ";", &save), "UID=b");
  EXPECT_EQ(tokenizeString(nullptr, ";", &save), nullptr);
  EXPECT_EQ(save, nullptr);
  EXPECT_EQ(tokenizeString(nullptr, ";", &save), nullptr);

  char last[] = "a=b";
  EXPECT_STREQ(tokenizeString(last, "=", &save), "a");
  EXPECT_STREQ(tokenizeString(nullptr, "=", &save), "b");
  EXPECT_EQ(save, nullptr);
}

TEST(StripLineBreaks, RemovesEveryCrAndLf) {
  EXPECT_EQ(stripLineBreaks("a\r\nb\nc\r"), "abc");
  EXPECT_EQ(stripLineBreaks("plain"), "plain");
}

TEST(IsAsciiSpace, IsTheCTestBelow128Only) {
  for (char c : std::string(" \t\n\v\f\r")) EXPECT_TRUE(isAsciiSpace(c)) << int(c);
  EXPECT_FALSE(isAsciiSpace('x'));
  EXPECT_FALSE(isAsciiSpace('\0'));
  EXPECT_FALSE(isAsciiSpace('\xA0'));
  EXPECT_FALSE(isAsciiSpace('\x85'));
}

}  // namespace
