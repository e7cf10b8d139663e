#include "core/AttributeString.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/WideText.h"

namespace {

// The same bytes as UTF-16 units, embedded NULs included (the texts here are ASCII or UTF-8).
std::vector<SQLWCHAR> wideOf(const std::string& text) {
  std::vector<SQLWCHAR> wide;
  std::size_t start = 0;
  for (std::size_t end = 0; end <= text.size(); ++end) {
    if (end < text.size() && text[end] != '\0') continue;
    std::vector<SQLWCHAR> piece = utf16FromUtf8(text.substr(start, end - start));
    wide.insert(wide.end(), piece.begin(), piece.end() - 1);
    if (end < text.size()) wide.push_back(0);
    start = end + 1;
  }
  wide.push_back(0);
  return wide;
}

struct LookupCase {
  const char* name;
  std::string text;
  SQLINTEGER length;  // SQL_NTS or the bytes to read
  const char* keyword;
  const char* expected;
};

// ASCII texts, so that a byte count is also a UTF-16 unit count.
const LookupCase lookupCases[] = {
    {"PrefixOfAKeyDoesNotMatch", "SERVER=s;PWDX=x;PWD=secret", SQL_NTS, "PWD", "secret"},
    {"KeywordCaseIsIgnoredValueCaseKept", "DSN=d;UID=Admin", SQL_NTS, "uid", "Admin"},
    {"SingleEntryWithoutSemicolon", "DSN=only", SQL_NTS, "DSN", "only"},
    {"FirstMatchWins", "A=1;a=2", SQL_NTS, "A", "1"},
    {"ValueMayHoldEquals", "X=a=b", SQL_NTS, "X", "a=b"},
    {"EmptyEntriesAreSkipped", ";;DSN=d;;UID=u;;", SQL_NTS, "UID", "u"},
    {"BlanksAreKept", "DSN= spaced ;UID=u", SQL_NTS, "DSN", " spaced "},
    {"BlanksAroundTheKeyAreLeftOut", " DSN =d", SQL_NTS, "DSN", "d"},
    {"BlankAfterASemicolon", "UID=bob; PWD=secret;", SQL_NTS, "PWD", "secret"},
    {"TabsAroundTheKey", "UID=bob;\tPWD\t={a;b}", SQL_NTS, "PWD", "a;b"},
    {"AbsentKeyword", "DSN=d;UID=u", SQL_NTS, "PWD", ""},
    {"AttributeListWithFullLength", std::string("DSN=d\0UID=u\0\0", 13), 13, "UID", "u"},
    {"AttributeListEndsAtTheEmptyEntry", std::string("DSN=d\0\0UID=u\0\0", 14), 14, "UID", ""},
    {"GivenLengthEndsTheText", "DSN=d;UID=u", 5, "UID", ""},
    {"GivenLengthCutsTheValue", "DSN=data;UID=u", 6, "DSN", "da"},
    {"TextEndsAtItsNulWithinTheLength", std::string("DSN=d;\0UID=u", 12), 12, "UID", ""},
    {"DriverKeepsItsBraces", "DRIVER={Karvell ODBC};DSN=d", SQL_NTS, "DRIVER", "{Karvell ODBC}"},
    {"DriverKeywordInLowerCaseKeepsBraces", "Driver={K};DSN=d", SQL_NTS, "driver", "{K}"},
    {"BracesAreStrippedFromOtherValues", "DSN=d;PWD={se cret}", SQL_NTS, "PWD", "se cret"},
    {"SemicolonInsideBracesDoesNotEndTheEntry", "PWD={a;b};UID=u", SQL_NTS, "PWD", "a;b"},
    {"EntryAfterBracedSemicolonIsFound", "PWD={a;UID=x};UID=u", SQL_NTS, "UID", "u"},
    {"DoubledClosingBraceIsOneBrace", "PWD={a}}b;c};UID=u", SQL_NTS, "PWD", "a}b;c"},
    {"DoubledClosingBraceDoesNotEndTheEntry", "PWD={a}};UID=x};UID=u", SQL_NTS, "UID", "u"},
    {"OnlyOneOuterPairIsStripped", "PWD={{x}}}", SQL_NTS, "PWD", "{x}"},
    {"BracedEmptyValue", "PWD={};UID=u", SQL_NTS, "PWD", ""},
    {"UnclosedBraceRunsToTheEnd", "PWD={a;UID=u", SQL_NTS, "PWD", "{a;UID=u"},
    {"UnclosedBraceHidesLaterEntries", "PWD={a;UID=u", SQL_NTS, "UID", ""},
    {"BraceNotAtTheValueStartIsPlain", "PWD=a{b;c}", SQL_NTS, "PWD", "a{b"},
    {"TextAfterTheClosingBraceKeepsTheBraces", "PWD={a}b;UID=u", SQL_NTS, "PWD", "{a}b"},
    {"NegativeLengthOtherThanNtsIsEmpty", "DSN=d", -7, "DSN", ""},
};

class AttributeLookup : public ::testing::TestWithParam<LookupCase> {};

}  // namespace

TEST_P(AttributeLookup, NarrowText) {
  const LookupCase& c = GetParam();
  EXPECT_EQ(attributeValue(c.text.data(), c.length, c.keyword), c.expected);
}

TEST_P(AttributeLookup, WideText) {
  const LookupCase& c = GetParam();
  const std::vector<SQLWCHAR> text = wideOf(c.text);
  const std::vector<SQLWCHAR> keyword = wideOf(c.keyword);
  EXPECT_EQ(attributeValueW(text.data(), c.length, keyword.data()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AttributeLookup, ::testing::ValuesIn(lookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AttributeString, ExplicitLengthIsNeverReadPast) {
  // A buffer without any terminator: reading one byte beyond it trips the address sanitizer.
  const std::string text = "DSN=d;UID=u";
  auto buffer = std::make_unique<char[]>(text.size());
  text.copy(buffer.get(), text.size());
  EXPECT_EQ(attributeValue(buffer.get(), static_cast<SQLINTEGER>(text.size()), "UID"), "u");
  EXPECT_EQ(normalizeConnectionString(buffer.get(), static_cast<SQLINTEGER>(text.size())),
            "DSN=d;UID=u;");
  EXPECT_EQ(maskPasswordInConnectionString(buffer.get(), static_cast<SQLINTEGER>(text.size())),
            "DSN=d;UID=u;");

  const std::vector<SQLWCHAR> wide = wideOf(text);
  auto wideBuffer = std::make_unique<SQLWCHAR[]>(text.size());
  std::copy(wide.begin(), wide.end() - 1, wideBuffer.get());
  const std::vector<SQLWCHAR> uid = wideOf("UID");
  EXPECT_EQ(attributeValueW(wideBuffer.get(), static_cast<SQLINTEGER>(text.size()), uid.data()),
            "u");
}

TEST(AttributeString, LongTextsKeepTheirLaterKeys) {
  const std::string filler = "X=" + std::string(5000, 'x');
  const std::string text = filler + ";" + filler + ";UID=late;PWD={" + std::string(300, 'p') + "}";
  EXPECT_EQ(connectionStringValue(text, "UID"), "late");
  EXPECT_EQ(attributeValue(text.c_str(), SQL_NTS, "PWD"), std::string(300, 'p'));
  const std::vector<SQLWCHAR> uid = wideOf("UID");
  EXPECT_EQ(connectionStringValueUtf8(text, uid.data()), "late");
  const std::vector<SQLWCHAR> wide = wideOf(text);
  EXPECT_EQ(attributeValueW(wide.data(), SQL_NTS, uid.data()), "late");
  EXPECT_EQ(maskPasswordInConnectionString(text.c_str(), SQL_NTS),
            filler + ";" + filler + ";UID=late;PWD=****;");
}

TEST(AttributeString, StringFormsTakeTheWholeStringOrItsFirstPart) {
  // connectionStringValue reads the string's bytes, so NULs make it an attribute list.
  EXPECT_EQ(connectionStringValue(std::string("DSN=d\0UID=u\0\0", 13), "UID"), "u");
  // connectionStringValueUtf8 reads up to the first NUL.
  const std::vector<SQLWCHAR> uid = wideOf("UID");
  EXPECT_EQ(connectionStringValueUtf8(std::string("DSN=d\0UID=u\0\0", 13), uid.data()), "");
  const std::vector<SQLWCHAR> pwd = wideOf("pwd");
  EXPECT_EQ(connectionStringValueUtf8("UID=J\xC3\xBCrgen;PWD={\xC3\xA9;x}", pwd.data()),
            "\xC3\xA9;x");
}

TEST(AttributeString, WideValuesComeBackAsUtf8) {
  const std::vector<SQLWCHAR> text = wideOf("UID=J\xC3\xBCrgen;DATABASE=\xE2\x82\xAC\xF0\x9F\x98\x80");
  const std::vector<SQLWCHAR> uid = wideOf("UID");
  const std::vector<SQLWCHAR> database = wideOf("database");
  EXPECT_EQ(attributeValueW(text.data(), SQL_NTS, uid.data()), "J\xC3\xBCrgen");
  EXPECT_EQ(attributeValueW(text.data(), SQL_NTS, database.data()),
            "\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(AttributeString, NullTextsAndKeywordsGiveEmptyValues) {
  EXPECT_EQ(attributeValue(nullptr, SQL_NTS, "DSN"), "");
  EXPECT_EQ(attributeValue("DSN=d", SQL_NTS, nullptr), "");
  EXPECT_EQ(attributeValueW(nullptr, SQL_NTS, nullptr), "");
  EXPECT_EQ(normalizeConnectionString(nullptr, SQL_NTS), "");
  EXPECT_EQ(normalizeConnectionStringW(nullptr, 5), "");
  EXPECT_EQ(maskPasswordInConnectionString(nullptr, SQL_NTS), "");
  EXPECT_EQ(maskPasswordInConnectionStringW(nullptr, SQL_NTS), "");
}

namespace {

struct RewriteCase {
  const char* name;
  std::string text;
  SQLINTEGER length;
  const char* normalized;
  const char* masked;
};

const RewriteCase rewriteCases[] = {
    {"NtsTextIsNormalizedAsItIs", "A=1;;B=2", SQL_NTS, "A=1;;B=2", "A=1;B=2;"},
    {"GivenLengthShorterThanTheText", "A=1;;B=2;C=3", 8, "A=1;B=2;", "A=1;B=2;"},
    {"AttributeList", std::string("A=1\0PWD=p\0\0", 11), 11, "A=1;PWD=p;", "A=1;PWD=****;"},
    {"PasswordEntryIsMaskedWhole", "UID=u;PWD=secret", 16, "UID=u;PWD=secret;",
     "UID=u;PWD=****;"},
    {"BracedPasswordIsMaskedBracesAndAll", "UID=u;PWD={se;cr}}et};DB=d", 26,
     "UID=u;PWD={se;cr}}et};DB=d;", "UID=u;PWD=****;DB=d;"},
    {"PasswordKeyInAnyCase", "pwd={x};Pwd=y", 13, "pwd={x};Pwd=y;", "PWD=****;PWD=****;"},
    {"UnclosedBracedPasswordHidesTheRest", "PWD={x;UID=u", 12, "PWD={x;UID=u;", "PWD=****;"},
    {"BlanksAroundAPasswordKey", "UID=bob; PWD=secret;", 20, "UID=bob; PWD=secret;",
     "UID=bob;PWD=****;"},
    {"PasswordIsASecretKeyToo", "Password = x;UID=u", 18, "Password = x;UID=u;",
     "PASSWORD=****;UID=u;"},
};

class AttributeRewrite : public ::testing::TestWithParam<RewriteCase> {};

}  // namespace

TEST_P(AttributeRewrite, NarrowText) {
  const RewriteCase& c = GetParam();
  EXPECT_EQ(normalizeConnectionString(c.text.data(), c.length), c.normalized);
  EXPECT_EQ(maskPasswordInConnectionString(c.text.data(), c.length), c.masked);
}

TEST_P(AttributeRewrite, WideText) {
  const RewriteCase& c = GetParam();
  const std::vector<SQLWCHAR> text = wideOf(c.text);
  EXPECT_EQ(normalizeConnectionStringW(text.data(), c.length), c.normalized);
  EXPECT_EQ(maskPasswordInConnectionStringW(text.data(), c.length), c.masked);
}

INSTANTIATE_TEST_SUITE_P(Cases, AttributeRewrite, ::testing::ValuesIn(rewriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AttributeString, WideRewritesAreUtf8) {
  const std::vector<SQLWCHAR> text = wideOf("UID=\xC3\xBC;PWD={\xE2\x82\xAC;x}");
  EXPECT_EQ(normalizeConnectionStringW(text.data(), SQL_NTS), "UID=\xC3\xBC;PWD={\xE2\x82\xAC;x}");
  EXPECT_EQ(maskPasswordInConnectionStringW(text.data(), SQL_NTS), "UID=\xC3\xBC;PWD=****;");
}
