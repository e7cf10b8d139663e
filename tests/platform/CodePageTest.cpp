// One table for both builds: on Linux it checks the iconv conversion, on Windows
// WideCharToMultiByte, so passing on both shows that they produce the same bytes. The expected
// bytes come from Python: text.encode("cp1252", "replace"), except for the five C1 controls that
// Python's table lacks and Windows passes through.
#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"

namespace {

struct Case {
  const char* name;
  std::u16string text;
  std::string cp1252;
};

const Case cases[] = {
    {"ASCII", u"Karvell ODBC 4430", "Karvell ODBC 4430"},
    {"Latin-1 letters", u"Gr\u00FC\u00DFe \u00E9t\u00E9",
     "Gr\xFC\xDF"
     "e \xE9t\xE9"},
    {"Latin-1 upper half",
     u"\u00A1\u00A2\u00A3\u00A4\u00A5\u00A6\u00A7\u00A8\u00A9\u00AA\u00AB\u00AC\u00AD\u00AE\u00AF"
     u"\u00B0\u00B1\u00B2\u00B3\u00B4\u00B5\u00B6\u00B7\u00B8\u00B9\u00BA\u00BB\u00BC\u00BD\u00BE"
     u"\u00BF\u00C0\u00C6\u00D0\u00D7\u00DE\u00E0\u00F0\u00F7\u00FE\u00FF",
     "\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF\xB0\xB1\xB2\xB3\xB4\xB5\xB6"
     "\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF\xC0\xC6\xD0\xD7\xDE\xE0\xF0\xF7\xFE\xFF"},
    {"the 0x80-0x9F block",
     u"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D\u2018"
     u"\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178",
     "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x98\x99"
     "\x9A\x9B\x9C\x9E\x9F"},
    {"characters the code page lacks", u"\u4E2D\u0100\u044F", "???"},
    {"unassigned C1 controls", u"a\u0081\u008D\u008F\u0090\u009D\u0080", "a\x81\x8D\x8F\x90\x9D?"},
    {"a character beyond the BMP", u"a\U0001F600b", "a?b"},
};

std::string toCp1252(const std::u16string& text, std::size_t capacity, std::size_t* units) {
  std::string out(capacity + 1, '#');
  const platform::CodePageOutput o =
      platform::utf16ToCodePage(1252, text.data(), text.size(), &out[0], capacity);
  EXPECT_TRUE(o.ok);
  EXPECT_EQ(out[o.bytes], '#');
  *units = o.units;
  return out.substr(0, o.bytes);
}

TEST(CodePage, Utf16To1252MatchesTheReferenceTable) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::size_t units = 0;
    EXPECT_EQ(toCp1252(c.text, 100, &units), c.cp1252);
    EXPECT_EQ(units, c.text.size());
  }
}

TEST(CodePage, ConvertsOnlyWholeCharactersThatFit) {
  std::size_t units = 0;
  EXPECT_EQ(toCp1252(u"\u00E9\u20ACab", 3, &units),
            "\xE9\x80"
            "a");
  EXPECT_EQ(units, 3u);
  EXPECT_EQ(toCp1252(u"abc", 0, &units), "");
  EXPECT_EQ(units, 0u);
}

TEST(CodePage, UnknownCodePageIsReported) {
  char out[8];
  EXPECT_FALSE(platform::utf16ToCodePage(424242, u"abc", 3, out, sizeof out).ok);
}

TEST(CodePage, Utf8IsACodePageToo) {
  std::string out(8, '#');
  const platform::CodePageOutput o =
      platform::utf16ToCodePage(platform::utf8CodePage, u"\u00E9\u20AC", 2, &out[0], 8);
  EXPECT_EQ(out.substr(0, o.bytes), "\xC3\xA9\xE2\x82\xAC");
}

}  // namespace
