// Expected Windows-1252 bytes come from Python: text.encode("cp1252", "replace").
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/Charset.h"
#include "platform/CodePage.h"

namespace {

std::uint32_t systemCharset() {
  const std::uint32_t system = platform::systemCodePage();
  return system == platform::utf8CodePage ? 1 : system;
}

TEST(CharsetCode, MatchesAnyBeginningOfTheTwoNamesInAnyCase) {
  EXPECT_EQ(charsetCode("utf-8"), 1u);
  EXPECT_EQ(charsetCode("UTF-8"), 1u);
  EXPECT_EQ(charsetCode("u"), 1u);
  EXPECT_EQ(charsetCode("Utf"), 1u);
  EXPECT_EQ(charsetCode("LaTiN-1"), 1252u);
  EXPECT_EQ(charsetCode("lat"), 1252u);
  EXPECT_EQ(charsetCode("UTF-16"), systemCharset());
  EXPECT_EQ(charsetCode("UTF-8 "), systemCharset());
  EXPECT_EQ(charsetCode("KOI8-R"), systemCharset());
  EXPECT_EQ(charsetCode(""), systemCharset());
}

#ifndef _WIN32
TEST(CharsetCode, TheSystemCodePageIsUtf8) { EXPECT_EQ(charsetCode(""), 1u); }
#endif

struct Outcome {
  std::string bytes;  // what the destination holds before its NUL
  SQLINTEGER result;
  std::uint32_t truncated;
  std::uint32_t characters;
  std::uint32_t consumed;
};

Outcome convert(const std::string& source, SQLINTEGER destinationLength,
                std::uint32_t target = 1252, std::uint32_t encoding = 1) {
  std::string destination(64, '#');
  Outcome outcome{};
  outcome.truncated = outcome.characters = outcome.consumed = 99;
  outcome.result = convertUtf8ToCodePage(
      &destination[0], destinationLength, &outcome.truncated, &outcome.characters,
      &outcome.consumed, target, source.data(), static_cast<SQLINTEGER>(source.size()), encoding);
  EXPECT_EQ(destination[outcome.result], '\0');
  EXPECT_EQ(destination[outcome.result + 1], '#');
  outcome.bytes = destination.substr(0, static_cast<std::size_t>(outcome.result));
  return outcome;
}

TEST(ConvertUtf8ToCodePage, ConvertsTextThatFits) {
  const Outcome o = convert("\x47\x72\xC3\xBC\xC3\x9F\x65\x20\xE2\x82\xAC", 20);  // "Grüße €"
  EXPECT_EQ(o.bytes, "\x47\x72\xFC\xDF\x65\x20\x80");
  EXPECT_EQ(o.result, 7);
  EXPECT_EQ(o.truncated, 0u);
  EXPECT_EQ(o.characters, 7u);
  EXPECT_EQ(o.consumed, 11u);
}

TEST(ConvertUtf8ToCodePage, CutsAfterTheLastWholeCharacterThatFitsBeforeTheNul) {
  const std::string text = "\x61\xC3\xA9\xE2\x82\xAC\x62";  // "aé€b" -> 61 E9 80 62
  struct Case {
    SQLINTEGER destinationLength;
    std::string bytes;
    std::uint32_t truncated;
    std::uint32_t consumed;
  };
  const Case cases[] = {
      {1, "", 1, 0},
      {2, "\x61", 1, 1},
      {3, "\x61\xE9", 1, 3},
      {4, "\x61\xE9\x80", 1, 6},
      {5, "\x61\xE9\x80\x62", 0, 7},  // exactly fits with its NUL
      {6, "\x61\xE9\x80\x62", 0, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destinationLength);
    const Outcome o = convert(text, c.destinationLength);
    EXPECT_EQ(o.bytes, c.bytes);
    EXPECT_EQ(o.result, static_cast<SQLINTEGER>(c.bytes.size()));
    EXPECT_EQ(o.truncated, c.truncated);
    EXPECT_EQ(o.characters, c.bytes.size());
    EXPECT_EQ(o.consumed, c.consumed);
  }
}

TEST(ConvertUtf8ToCodePage, ReplacesWhatTheCodePageLacks) {
  // "中", U+0100 (no best-fit "A") and invalid UTF-8.
  EXPECT_EQ(convert("\xE4\xB8\xAD\xC4\x80", 10).bytes, "??");
  const Outcome invalid = convert(
      "a\xFF"
      "b",
      10);
  EXPECT_EQ(invalid.bytes, "a?b");
  EXPECT_EQ(invalid.consumed, 3u);
}

TEST(ConvertUtf8ToCodePage, PiecewiseReadsJoinUpToTheWholeText) {
  // Longer than one conversion run, with characters of one, two and three bytes.
  std::string text;
  std::string expected;
  for (int i = 0; i < 150; ++i) {
    text += "x\xC3\xA9\xE2\x82\xAC";
    expected += "x\xE9\x80";
  }
  EXPECT_EQ(convert(text, 10).bytes, expected.substr(0, 9));
  std::string whole(expected.size() + 1, '#');
  std::uint32_t truncated = 1;
  EXPECT_EQ(convertUtf8ToCodePage(&whole[0], static_cast<SQLINTEGER>(whole.size()), &truncated,
                                  nullptr, nullptr, 1252, text.c_str(), SQL_NTS, 1),
            static_cast<SQLINTEGER>(expected.size()));
  EXPECT_EQ(truncated, 0u);
  EXPECT_EQ(whole, expected + '\0');

  for (SQLINTEGER pieceLength : {2, 5, 64}) {
    SCOPED_TRACE(pieceLength);
    std::string joined;
    std::size_t at = 0;
    std::uint32_t truncatedPiece = 1;
    while (truncatedPiece != 0) {
      char piece[64];
      std::uint32_t consumed = 0;
      const SQLINTEGER bytes =
          convertUtf8ToCodePage(piece, pieceLength, &truncatedPiece, nullptr, &consumed, 1252,
                                text.data() + at, static_cast<SQLINTEGER>(text.size() - at), 1);
      ASSERT_GT(consumed, 0u);
      joined.append(piece, static_cast<std::size_t>(bytes));
      at += consumed;
    }
    EXPECT_EQ(at, text.size());
    EXPECT_EQ(joined, expected);
  }
}

TEST(ConvertUtf8ToCodePage, CopiesOtherPairingsAsTheyAre) {
  // UTF-8 to UTF-8, and Latin-1 text (not converted from UTF-8) to UTF-8.
  Outcome o = convert("abc\xC3\xA9", 20, 1, 1);
  EXPECT_EQ(o.bytes, "abc\xC3\xA9");
  EXPECT_EQ(o.truncated, 0u);
  EXPECT_EQ(o.consumed, 5u);
  o = convert("abcdef", 4, 1, 1);
  EXPECT_EQ(o.bytes, "abc");
  EXPECT_EQ(o.truncated, 1u);
  EXPECT_EQ(o.characters, 3u);
  EXPECT_EQ(o.consumed, 3u);
  EXPECT_EQ(convert("\xE9t\xE9", 20, 1, 1252).bytes, "\xE9t\xE9");
}

TEST(ConvertUtf8ToCodePage, WithoutARoomAnswersTheSourceLength) {
  std::uint32_t truncated = 9, characters = 9, consumed = 9;
  EXPECT_EQ(convertUtf8ToCodePage(nullptr, 10, &truncated, &characters, &consumed, 1252, "abc",
                                  SQL_NTS, 1),
            3);
  EXPECT_EQ(truncated + characters + consumed, 0u);
  char untouched = '#';
  EXPECT_EQ(convertUtf8ToCodePage(&untouched, 0, nullptr, nullptr, nullptr, 1252, "abcd", 4, 1), 4);
  EXPECT_EQ(untouched, '#');
  EXPECT_EQ(convertUtf8ToCodePage(&untouched, 1, nullptr, nullptr, nullptr, 1252, nullptr, 4, 1),
            0);
  EXPECT_EQ(untouched, '#');
}

TEST(ConvertUtf8ToCodePage, AnUnknownCodePageConvertsNothing) {
  const Outcome o = convert("abc", 10, 424242);
  EXPECT_EQ(o.bytes, "");
  EXPECT_EQ(o.truncated, 0u);
  EXPECT_EQ(o.consumed, 0u);
}

TEST(CountFittingCharacters, StopsAtEitherLimitOrTheEnd) {
  FittingCharacters f = countFittingCharacters("abcdef", 4, 10);
  EXPECT_EQ(f.bytes, 4u);
  EXPECT_EQ(f.characters, 4u);
  f = countFittingCharacters("abcdef", 10, 2);
  EXPECT_EQ(f.bytes, 2u);
  f = countFittingCharacters("abc", 10, 10);
  EXPECT_EQ(f.characters, 3u);
}

#ifndef _WIN32
TEST(CountFittingCharacters, KeepsMultibyteCharactersWhole) {
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  const FittingCharacters f = countFittingCharacters("a\xC3\xA9\xE2\x82\xAC", 5, 10);
  const FittingCharacters all = countFittingCharacters("a\xC3\xA9\xE2\x82\xAC", 6, 10);
  std::setlocale(LC_CTYPE, previous.c_str());
  EXPECT_EQ(f.bytes, 3u);
  EXPECT_EQ(f.characters, 2u);
  EXPECT_EQ(all.bytes, 6u);
  EXPECT_EQ(all.characters, 3u);
}
#endif

}  // namespace
