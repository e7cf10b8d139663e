// How text result columns are described to an application through the Driver Manager: by the
// longest value where the result is read whole at execution, unbounded where the server keeps
// the rows or no values are in hand yet; and what an application that sizes its buffers by the
// description reserves.
#include <sys/resource.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace integrationtest {
namespace {

SQLCHAR* chars(const char* text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)); }

SQLPOINTER flag(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

// What SQLDescribeCol and SQLColAttribute tell of a column.
struct Description {
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLLEN length = 0;
  SQLLEN octetLength = 0;
  SQLLEN displaySize = 0;
};

Description describe(SQLHSTMT stmt, SQLUSMALLINT column) {
  Description d;
  EXPECT_EQ(SQLDescribeCol(stmt, column, nullptr, 0, nullptr, &d.type, &d.size, nullptr, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(SQLColAttribute(stmt, column, SQL_DESC_LENGTH, nullptr, 0, nullptr, &d.length),
            SQL_SUCCESS);
  EXPECT_EQ(
      SQLColAttribute(stmt, column, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &d.octetLength),
      SQL_SUCCESS);
  EXPECT_EQ(
      SQLColAttribute(stmt, column, SQL_DESC_DISPLAY_SIZE, nullptr, 0, nullptr, &d.displaySize),
      SQL_SUCCESS);
  return d;
}

// The peak resident size of this process so far, in bytes.
long peakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024L;
}

class TextDescription : public OdbcProgram {
 protected:
  void SetUp() override {
    OdbcProgram::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    exec("create table words (id integer, v text, e text, n text)");
    // "h\xC3\xA9llo w\xC3\xB6rld": 11 characters in 13 bytes of UTF-8, the longest value.
    exec("insert into words values (1, 'ab', '', NULL)");
    exec("insert into words values (2, 'h\xC3\xA9llo w\xC3\xB6rld', '', NULL)");
    exec("insert into words values (3, NULL, '', NULL)");
  }
};

TEST_F(TextDescription, AResultReadWholeDescribesTextByItsLongestValue) {
  const struct {
    const char* name;
    SQLULEN cursorType;
    const char* query;
    SQLUSMALLINT column;
    SQLULEN size;
    SQLLEN octets;
  } cases[] = {
      // Narrow text counts the bytes SQL_C_CHAR receives, here the server's UTF-8.
      {"static, multibyte", SQL_CURSOR_STATIC, "select id, v from words", 2, 13, 13},
      {"forward-only, multibyte", SQL_CURSOR_FORWARD_ONLY, "select id, v from words", 2, 13, 13},
      {"empty texts", SQL_CURSOR_FORWARD_ONLY, "select id, e from words", 2, 1, 1},
      {"NULL in every row", SQL_CURSOR_STATIC, "select id, n from words", 2, 1, 1},
      {"no rows", SQL_CURSOR_FORWARD_ONLY, "select id, v from words where id > 9", 2, 1, 1},
      {"an expression", SQL_CURSOR_FORWARD_ONLY, "select v || '!' from words", 1, 14, 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SQLHSTMT stmt = statement();
    ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_CURSOR_TYPE, flag(c.cursorType), 0), SQL_SUCCESS);
    ASSERT_EQ(SQLExecDirect(stmt, chars(c.query), SQL_NTS), SQL_SUCCESS) << sqlState(stmt);
    const Description d = describe(stmt, c.column);
    EXPECT_EQ(d.type, SQL_VARCHAR);
    EXPECT_EQ(d.size, c.size);
    EXPECT_EQ(d.length, static_cast<SQLLEN>(c.size));
    EXPECT_EQ(d.displaySize, static_cast<SQLLEN>(c.size));
    EXPECT_EQ(d.octetLength, c.octets);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
}

TEST_F(TextDescription, WideTextIsDescribedInUtf16Units) {
  exec("insert into words values (4, 'x\xF0\x9F\x98\x80', '', NULL)");
  SQLHDBC wide = connectWith(";UnicodeTextTypes=YES");
  ASSERT_TRUE(wide != SQL_NULL_HDBC);
  const struct {
    const char* query;
    SQLULEN units;
  } cases[] = {
      // Two characters, the second outside the BMP: three UTF-16 units, more than "ab".
      {"select v from words where id in (1, 4)", 3},
      {"select v from words", 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, wide, &stmt)));
    ASSERT_EQ(SQLExecDirect(stmt, chars(c.query), SQL_NTS), SQL_SUCCESS);
    const Description d = describe(stmt, 1);
    EXPECT_EQ(d.type, SQL_WVARCHAR);
    EXPECT_EQ(d.size, c.units);
    EXPECT_EQ(d.displaySize, static_cast<SQLLEN>(c.units));
    EXPECT_EQ(d.octetLength, static_cast<SQLLEN>(2 * c.units));
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  SQLDisconnect(wide);
  SQLFreeHandle(SQL_HANDLE_DBC, wide);
}

// An application binding by the described size and a terminator, as node-odbc does, reads
// non-ASCII text whole: SQL_C_CHAR in bytes, SQL_C_WCHAR in UTF-16 units. Six euros are the
// longest in bytes (18), "h\xC3\xA9llo w\xC3\xB6rld" the longest in characters (11).
TEST_F(TextDescription, NonAsciiTextBoundByTheDescribedSizeReadsWhole) {
  const std::string euro = "\xE2\x82\xAC";
  exec("insert into words values (4, '" + euro + euro + euro + euro + euro + euro + "', '', NULL)");
  exec("insert into words values (5, 'x\xF0\x9F\x98\x80', '', NULL)");
  SQLHDBC wide = connectWith(";UnicodeTextTypes=YES");
  ASSERT_TRUE(wide != SQL_NULL_HDBC);
  const struct {
    std::string narrow;  // "" for NULL
    std::u16string wide;
  } values[] = {
      {"ab", u"ab"},
      {"h\xC3\xA9llo w\xC3\xB6rld", u"h\u00E9llo w\u00F6rld"},
      {"", u""},
      {euro + euro + euro + euro + euro + euro, u"\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC"},
      {"x\xF0\x9F\x98\x80", u"x\U0001F600"},
  };
  for (const bool wideText : {false, true}) {
    SCOPED_TRACE(wideText ? "SQL_C_WCHAR" : "SQL_C_CHAR");
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, wideText ? wide : dbc, &stmt)));
    ASSERT_EQ(SQLExecDirect(stmt, chars("select v from words order by id"), SQL_NTS), SQL_SUCCESS);
    SQLULEN size = 0;
    ASSERT_EQ(SQLDescribeCol(stmt, 1, nullptr, 0, nullptr, nullptr, &size, nullptr, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(size, wideText ? 11u : 18u);
    std::vector<char> buffer((size + 1) * (wideText ? sizeof(SQLWCHAR) : 1));
    SQLLEN length = 0;
    ASSERT_EQ(SQLBindCol(stmt, 1, wideText ? SQL_C_WCHAR : SQL_C_CHAR, buffer.data(),
                         static_cast<SQLLEN>(buffer.size()), &length),
              SQL_SUCCESS);
    for (const auto& value : values) {
      SCOPED_TRACE(value.narrow);
      // SQL_SUCCESS, not SQL_SUCCESS_WITH_INFO with "01004": nothing is cut.
      ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS) << sqlState(stmt);
      if (value.narrow.empty()) {
        EXPECT_EQ(length, SQL_NULL_DATA);
        continue;
      }
      ASSERT_GE(length, 0);
      const std::string read(buffer.data(), static_cast<std::size_t>(length));
      EXPECT_EQ(read, wideText ? std::string(reinterpret_cast<const char*>(value.wide.data()),
                                             value.wide.size() * sizeof(char16_t))
                               : value.narrow);
    }
    EXPECT_EQ(SQLFetch(stmt), SQL_NO_DATA);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
  SQLDisconnect(wide);
  SQLFreeHandle(SQL_HANDLE_DBC, wide);
}

// Before execution there are no values: the description stays unbounded, so that an
// application binding by it is not cut to one character; executing describes by the values.
TEST_F(TextDescription, APreparedQueryIsDescribedUnboundedUntilItRuns) {
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLPrepare(stmt, chars("select v from words"), SQL_NTS), SQL_SUCCESS);
  Description d = describe(stmt, 1);
  EXPECT_EQ(d.type, SQL_LONGVARCHAR);
  EXPECT_EQ(d.size, 1000000000u);
  ASSERT_EQ(SQLExecute(stmt), SQL_SUCCESS);
  d = describe(stmt, 1);
  EXPECT_EQ(d.type, SQL_VARCHAR);
  EXPECT_EQ(d.size, 13u);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// As node-odbc reads a result: each column bound by its described size for a rowset of three,
// through the whole table, within tens of megabytes.
TEST_F(TextDescription, BindingByTheDescriptionForARowsetOfThreeStaysSmall) {
  exec("create table notes (id integer, body text)");
  for (int id = 1; id <= 20; ++id) {
    exec("insert into notes values (" + std::to_string(id) + ", '" +
         std::string(static_cast<std::size_t>(id) * 100, 'a' + id % 26) + "')");
  }
  const long peakBefore = peakResidentBytes();
  SQLHSTMT stmt = statement();
  constexpr SQLULEN rowset = 3;
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, flag(rowset), 0), SQL_SUCCESS);
  SQLULEN fetched = 0;
  ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
  ASSERT_EQ(SQLExecDirect(stmt, chars("select id, body from notes order by id"), SQL_NTS),
            SQL_SUCCESS);
  SQLSMALLINT columns = 0;
  ASSERT_EQ(SQLNumResultCols(stmt, &columns), SQL_SUCCESS);
  ASSERT_EQ(columns, 2);
  std::vector<std::vector<char>> buffers(static_cast<std::size_t>(columns));
  std::vector<std::vector<SQLLEN>> lengths(static_cast<std::size_t>(columns));
  std::vector<SQLLEN> widths(static_cast<std::size_t>(columns));
  SQLULEN reserved = 0;
  for (SQLUSMALLINT column = 1; column <= columns; ++column) {
    SQLULEN size = 0;
    ASSERT_EQ(SQLDescribeCol(stmt, column, nullptr, 0, nullptr, nullptr, &size, nullptr, nullptr),
              SQL_SUCCESS);
    reserved += (size + 1) * rowset;
    widths[column - 1] = static_cast<SQLLEN>(size + 1);
  }
  // The bound buffers come to the longest text and the digits of the id, three times over.
  EXPECT_EQ(reserved, (2000u + 1 + 19 + 1) * rowset);
  ASSERT_LT(reserved, 64u << 20);
  for (SQLUSMALLINT column = 1; column <= columns; ++column) {
    buffers[column - 1].resize(static_cast<std::size_t>(widths[column - 1]) * rowset);
    lengths[column - 1].resize(rowset);
    ASSERT_EQ(SQLBindCol(stmt, column, SQL_C_CHAR, buffers[column - 1].data(), widths[column - 1],
                         lengths[column - 1].data()),
              SQL_SUCCESS);
  }
  int id = 0;
  SQLRETURN rc;
  while ((rc = SQLFetch(stmt)) == SQL_SUCCESS) {
    for (SQLULEN row = 0; row < fetched; ++row) {
      ++id;
      const char* body = buffers[1].data() + row * static_cast<SQLULEN>(widths[1]);
      EXPECT_EQ(std::string(buffers[0].data() + row * static_cast<SQLULEN>(widths[0])),
                std::to_string(id));
      // Nothing is cut: every text fits the width its description gave.
      EXPECT_EQ(lengths[1][row], id * 100);
      EXPECT_EQ(std::strlen(body), static_cast<std::size_t>(id) * 100);
    }
  }
  EXPECT_EQ(rc, SQL_NO_DATA) << sqlState(stmt);
  EXPECT_EQ(id, 20);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  const long growth = peakResidentBytes() - peakBefore;
  RecordProperty("peak_resident_growth_bytes", std::to_string(growth));
  EXPECT_LT(growth, 64L << 20);
}

// A server that keeps its results hands the rows out as they are read: no values are in hand
// at execution, and text keeps its unbounded description.
class ServerCursorTextDescription : public TextDescription {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--server-cursors"}; }
};

TEST_F(ServerCursorTextDescription, AResultTheServerKeepsDescribesTextUnbounded) {
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLExecDirect(stmt, chars("select id, v from words"), SQL_NTS), SQL_SUCCESS);
  const Description d = describe(stmt, 2);
  EXPECT_EQ(d.type, SQL_LONGVARCHAR);
  EXPECT_EQ(d.size, 1000000000u);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
}  // namespace integrationtest
