#include "statement/SqlTextScanner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct MarkerCase {
  const char* sql;
  std::vector<std::size_t> markers;  // positions of the "?" that count
};

// Quotes, doubled quotes, backslashes and comments, each with a "?" inside.
const MarkerCase markerCases[] = {
    {"INSERT INTO t VALUES (?, ?, '?')", {22, 25}},
    {"??", {0, 1}},
    {"SELECT 'it''s ?', ?", {18}},
    {"SELECT \"a\"\"?\", ?", {15}},
    {"SELECT `?`, ?", {12}},
    // Identifiers in brackets and back quotes, with markers and quotes inside.
    {"SELECT [a?] FROM t WHERE b = ?", {29}},
    {"SELECT `a?` FROM t WHERE b = ?", {29}},
    {"SELECT [it's ?], ?", {17}},
    {"SELECT [\"?], ?, '[?]'", {13}},
    {"SELECT `it's ?`, [`?], ?", {23}},
    {"SELECT '[', ?, ']'", {12}},
    {"SELECT [a -- ?], ?", {17}},
    {"SELECT [unterminated ?", {}},
    {"VALUES ('C:\\dir\\', ?)", {19}},
    // A backslash does not escape: the string ends at the second quote, so this "?" is code.
    {"VALUES ('it\\'s ?')", {15}},
    {"SELECT ? -- ?\n, ?", {7, 16}},
    {"SELECT ? -- ?\r?", {7}},  // the server ends the comment at LF only
    {"SELECT /* ? */ ?", {15}},
    {"SELECT /* ? ", {}},
    {"SELECT '--', ?, '/*', ?, '*/'", {13, 22}},
    {"SELECT \"--\" || ? -- '\n, ?", {15, 24}},
    {"SELECT 1 - -?", {12}},
    {"SELECT 1/?*2", {9}},
    {"SELECT 'unterminated ?", {}},
    {"", {}},
};

TEST(SqlTextScanner, FindsMarkersOutsideQuotesAndComments) {
  for (const MarkerCase& c : markerCases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(findAllOutsideQuotes(c.sql, "?"), c.markers);
    EXPECT_EQ(countOutsideQuotes(c.sql, "?"), static_cast<std::int32_t>(c.markers.size()));
  }
}

TEST(SqlTextScanner, CountsCaseSensitivelyAndResumesAfterEachMatch) {
  EXPECT_EQ(countOutsideQuotes("abABab", "ab"), 2);
  EXPECT_EQ(countOutsideQuotes("aaaa", "aa"), 2);
  EXPECT_EQ(countOutsideQuotes("abc", ""), 0);
  EXPECT_EQ(findAllOutsideQuotes("x == 'a==b' == y", "=="), (std::vector<std::size_t>{2, 12}));
}

TEST(SqlTextScanner, ReplaceFirstSkipsQuotedAndCommentedMarkers) {
  struct Case {
    const char* sql;
    const char* pattern;
    const char* replacement;
    const char* expected;
    bool replaced;
  };
  const Case cases[] = {
      {"SELECT '?', ?, ?", "?", "'x'", "SELECT '?', 'x', ?", true},
      {"SELECT 'C:\\', ?", "?", "1", "SELECT 'C:\\', 1", true},
      {"SELECT -- ?\n?", "?", "1", "SELECT -- ?\n1", true},
      {"SELECT {Fn UCASE(a)}", "{fn ", "", "SELECT UCASE(a)}", true},
      {"SELECT '?'", "?", "1", "SELECT '?'", false},
      {"SELECT 1", "SELECT 12", "x", "SELECT 1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    std::string text = c.sql;
    EXPECT_EQ(replaceFirstOutsideQuotes(text, c.pattern, c.replacement), c.replaced);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(SqlTextScanner, ReplaceAllReplacesEveryOccurrenceOnce) {
  std::string text = "{d '2024-01-02'} = {D '}'} /* {d } */";
  replaceAllOutsideQuotes(text, "{d ", "");
  EXPECT_EQ(text, "'2024-01-02'} = '}'} /* {d } */");
  replaceAllOutsideQuotes(text, "}", "");
  EXPECT_EQ(text, "'2024-01-02' = '}' /* {d } */");

  // The replacement holds the pattern: it is inserted as it stands, never rescanned.
  text = "a?b'?'?";
  replaceAllOutsideQuotes(text, "?", "??");
  EXPECT_EQ(text, "a??b'?'??");

  text = "no match";
  replaceAllOutsideQuotes(text, "?", "x");
  EXPECT_EQ(text, "no match");
}

TEST(SqlTextScanner, FindOutsideQuotesSkipsEveryQuoteAndComment) {
  struct Case {
    const char* sql;
    const char* keyword;
    std::ptrdiff_t expected;  // -1: the terminating NUL
  };
  const Case cases[] = {
      {"select a from t", "FROM", 9},
      {"SELECT 'from', \"from\" FROM t", "from", 22},
      {"SELECT [from], `from` FROM t", "from", 22},
      {"SELECT 'a\\' FROM t", "from", 12},
      {"SELECT 'it''s from' FROM t", "from", 20},
      {"SELECT 1 -- from t\n", "from", -1},
      {"SELECT 1 -- x\rfrom t", "from", -1},
      {"SELECT 1 -- x\nfrom t", "from", 14},
      {"SELECT /* from */ 1", "from", -1},
      {"PRAGMA cache_size = 10", "=", 18},
      {"PRAGMA table_info(t)", "=", -1},
      {"", "from", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const char* found = findOutsideQuotes(c.sql, c.keyword);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found - c.sql,
              c.expected < 0 ? static_cast<std::ptrdiff_t>(std::strlen(c.sql)) : c.expected);
  }
}

TEST(SqlTextScanner, StartsWithKeywordNeedsAWordBoundary) {
  struct Case {
    const char* sql;
    std::ptrdiff_t expected;  // -1: null
  };
  const Case cases[] = {
      {"  select\t1", 2},
      {"SELECT", 0},
      {"SELECT*FROM t", 0},
      {"SELECT(1)", 0},
      {"\r\nSelect 'a'", 2},
      {"-- note\nSELECT 1", 8},
      {"/* note */SELECT 1", 10},
      {" -- one\n /* two */ select 1", 19},
      {"selected", -1},
      {"select_1", -1},
      {"select1", -1},
      {"select$x", -1},
      {"select\xC3\xA9", -1},
      {"SELEC", -1},
      {"INSERT INTO t SELECT 1", -1},
      {"-- SELECT", -1},
      {"   ", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    const char* found = startsWithKeyword(c.sql, "SELECT");
    if (c.expected < 0) {
      EXPECT_EQ(found, nullptr);
    } else {
      EXPECT_EQ(found, c.sql + c.expected);
    }
  }
}

TEST(SqlTextScanner, SkipSpacesStopsAtTheFirstOtherByte) {
  const char* text = " \t\r\n\v\fx ";
  EXPECT_EQ(skipSpaces(text), text + 6);
  const char* blank = "  ";
  EXPECT_EQ(skipSpaces(blank), blank + 2);
  const char* high = "\xA0x";  // not white space: only ASCII bytes are
  EXPECT_EQ(skipSpaces(high), high);
}

TEST(SqlTextScanner, StripLineCommentsKeepsLineEndsQuotesAndBlockComments) {
  struct Case {
    const char* sql;
    const char* expected;
  };
  const Case cases[] = {
      {"SELECT 1 -- one\nFROM t -- two", "SELECT 1 \nFROM t "},
      {"SELECT 1 --\r\n2", "SELECT 1 \n2"},
      {"SELECT 1 -- a\r, 2\n3", "SELECT 1 \n3"},
      {"SELECT '--a', \"--b\" -- c", "SELECT '--a', \"--b\" "},
      {"SELECT 'it''s -- x'", "SELECT 'it''s -- x'"},
      {"SELECT `--` x", "SELECT `--` x"},
      {"SELECT [a--b] -- c", "SELECT [a--b] "},
      {"SELECT [it's] -- '", "SELECT [it's] "},
      {"/* -- */ SELECT 1", "/* -- */ SELECT 1"},
      {"SELECT 1 - 1", "SELECT 1 - 1"},
      {"--", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(stripLineComments(c.sql), c.expected);
  }
}

TEST(SqlTextScanner, StripNameQualifiersDropsTheFirstComponentOfLongNames) {
  struct Case {
    const char* sql;
    std::uint32_t depth;
    const char* expected;
  };
  const Case cases[] = {
      {"SELECT * FROM main.db.tbl", 2, "SELECT * FROM db.tbl"},
      {"SELECT a.b.c.d FROM t", 2, "SELECT b.c.d FROM t"},
      {"SELECT a.b.c, t.x FROM db.tbl", 2, "SELECT a.b.c, t.x FROM db.tbl"},
      {"SELECT a.b.c.d.e FROM t", 2, "SELECT b.c.d.e FROM t"},
      {"INSERT INTO main.db.t VALUES (1.5, 'x.y.z.w')", 2,
       "INSERT INTO db.t VALUES (1.5, 'x.y.z.w')"},
      {"UPDATE main.db.t SET a.b.c.d=1 WHERE x.y.z.w=2", 2,
       "UPDATE db.t SET b.c.d=1 WHERE y.z.w=2"},
      {"select * from a.b.c join d.e.f on(a.b.c.x=d.e.f.y)", 2,
       "select * from b.c join e.f on(b.c.x=e.f.y)"},
      {"SELECT * FROM \"main\".\"db\".\"t\"", 2, "SELECT * FROM \"db\".\"t\""},
      {"SELECT * FROM main.\"my.db\".t", 2, "SELECT * FROM \"my.db\".t"},
      {"SELECT * FROM `a.b`.`c.d`.e", 2, "SELECT * FROM `c.d`.e"},
      {"SELECT * FROM [a.b].[c.d].e", 2, "SELECT * FROM [c.d].e"},
      {"SELECT [x.y.z.w] FROM t", 2, "SELECT [x.y.z.w] FROM t"},
      {"SELECT * FROM 'it''s.a.b'", 2, "SELECT * FROM 'it''s.a.b'"},
      {"SELECT 1 -- don't\nFROM main.db.t", 2, "SELECT 1 -- don't\nFROM db.t"},
      {"SELECT /* a.b.c.d */ x.y.z.w FROM t", 2, "SELECT /* a.b.c.d */ y.z.w FROM t"},
      {"SELECT x FROM main.db.t WHERE(a.b.c.d)", 2, "SELECT x FROM db.t WHERE(b.c.d)"},
      // With the cut at one dot, numbers stay whole, at the end of the text too.
      {"SELECT 1.5, t.a, -2.5e3 FROM t", 0, "SELECT 1.5, a, -2.5e3 FROM t"},
      {"SELECT t.a + 1.5", 0, "SELECT a + 1.5"},
      {"SELECT x.5 FROM db.t", 1, "SELECT x.5 FROM t"},
      {"SELECT 1", 2, "SELECT 1"},
      {"", 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(stripNameQualifiers(c.sql, c.depth), c.expected);
  }
}

TEST(SqlTextScanner, CompareSubstringNoCaseFoldsAsciiOnly) {
  EXPECT_EQ(compareSubstringNoCase("abcDEF", 3, 3, "def"), 0);
  EXPECT_EQ(compareSubstringNoCase("select", 0, 6, "SELECT x"), 0);
  EXPECT_EQ(compareSubstringNoCase("abc", 0, 3, "abd"), 1);
  EXPECT_EQ(compareSubstringNoCase("abd", 0, 3, "ABC"), -1);
  EXPECT_EQ(compareSubstringNoCase("\xC3", 0, 1, "a"), 1);     // 0xC3 is negative as a signed char
  EXPECT_NE(compareSubstringNoCase("\xE9", 0, 1, "\xC9"), 0);  // no folding above ASCII
  EXPECT_NE(compareSubstringNoCase("abc", 2, 2, "cd"), 0);
  EXPECT_NE(compareSubstringNoCase("abc", 0, 3, "ab"), 0);
}

TEST(SqlTextScanner, SplitStringTakesTheNonEmptyPieces) {
  using Pieces = std::vector<std::string>;
  EXPECT_EQ(splitString(",a,,bc,", ","), (Pieces{"a", "bc"}));
  EXPECT_EQ(splitString(" 'TABLE', \"VIEW\"", " ,'\""), (Pieces{"TABLE", "VIEW"}));
  EXPECT_EQ(splitString("abc", ","), (Pieces{"abc"}));
  EXPECT_EQ(splitString(",,,", ","), Pieces{});
  EXPECT_EQ(splitString("", ","), Pieces{});
}

}  // namespace
