// An ODBC application written in C against the unixODBC Driver Manager and the development server:
// long values read in pieces, bound rowsets in both layouts, truncation and overflow in bound
// rows, and scrolling a static cursor.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

// UTF-16 of a string of code points.
std::u16string utf16(const std::u32string& text) {
  std::u16string out;
  for (char32_t c : text) {
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
    } else {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

TEST_F(OdbcProgram, LongTextsReadInPiecesReassembleWhole) {
  struct Character {
    const char* utf8;
    char32_t codePoint;
  };
  const Character characters[] = {{"\xc3\xa9", U'\u00e9'}, {"\xe2\x82\xac", U'\u20ac'},
                                   {"\xf0\x9f\x98\x80", U'\U0001F600'}};
  const SQLLEN buffers[] = {7, 100, 4096};
  exec("create table t (id integer, v text)");
  int id = 0;
  for (const Character& character : characters) {
    // 3000 pairs of an ASCII letter and the character: 9000 to 15000 bytes.
    std::string utf8;
    std::u32string codePoints;
    for (int k = 0; k < 3000; ++k) {
      utf8 += static_cast<char>('a' + k % 26);
      utf8 += character.utf8;
      codePoints += static_cast<char32_t>('a' + k % 26);
      codePoints += character.codePoint;
    }
    const std::u16string wide = utf16(codePoints);
    exec("insert into t values (" + std::to_string(++id) + ", '" + utf8 + "')");
    for (SQLSMALLINT type : {SQL_C_CHAR, SQL_C_WCHAR}) {
      for (SQLLEN size : buffers) {
        SCOPED_TRACE(std::string(character.utf8) + (type == SQL_C_CHAR ? " CHAR " : " WCHAR ") +
                     std::to_string(size));
        SQLHSTMT stmt = statement();
        run(stmt, "select v from t where id = " + std::to_string(id));
        ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
        std::vector<char> buffer(static_cast<size_t>(size));
        std::string narrow;
        std::u16string units;
        SQLRETURN rc;
        int pieces = 0;
        for (;;) {
          SQLLEN indicator = 0;
          rc = SQLGetData(stmt, 1, type, buffer.data(), size, &indicator);
          if (rc == SQL_NO_DATA) break;
          ASSERT_TRUE(SQL_SUCCEEDED(rc)) << state(SQL_HANDLE_STMT, stmt);
          if (pieces++ == 0) {
            // The whole length, in bytes of the C type, or no total.
            const size_t whole = type == SQL_C_CHAR ? utf8.size() : wide.size() * 2;
            if (indicator != SQL_NO_TOTAL) { EXPECT_EQ(indicator, static_cast<SQLLEN>(whole)); }
          }
          if (rc == SQL_SUCCESS_WITH_INFO) { EXPECT_EQ(sqlState(stmt), "01004"); }
          // Every piece ends at its terminator; the text holds none of its own.
          if (type == SQL_C_CHAR) {
            narrow.append(buffer.data(), strnlen(buffer.data(), buffer.size()));
          } else {
            for (size_t k = 0; k + 1 < buffer.size(); k += 2) {
              char16_t unit;
              std::memcpy(&unit, buffer.data() + k, 2);
              if (unit == 0) break;
              units += unit;
            }
          }
          if (rc == SQL_SUCCESS) {
            EXPECT_EQ(SQLGetData(stmt, 1, type, buffer.data(), size, &indicator), SQL_NO_DATA);
            break;
          }
          ASSERT_LT(pieces, 20000);
        }
        if (type == SQL_C_CHAR) {
          EXPECT_TRUE(narrow == utf8) << narrow.size() << " bytes against " << utf8.size();
        } else {
          EXPECT_TRUE(units == wide) << units.size() << " units against " << wide.size();
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
      }
    }
  }
}

TEST_F(OdbcProgram, BoundRowsetsInBothLayoutsWithABindOffset) {
  const int tableRows[] = {0, 2, 5, 25};
  const SQLULEN rowsetSizes[] = {1, 3, 10};
  for (int rows : tableRows) numbered("t" + std::to_string(rows), rows);
  // Row-wise binding: one struct per row.
  struct Row {
    SQLINTEGER id;
    SQLLEN idIndicator;
    SQLCHAR v[16];
    SQLLEN vIndicator;
  };
  // The bound addresses lie this many bytes before the buffers written; the gap stays untouched.
  const SQLULEN offset = 2 * sizeof(Row);
  const unsigned char canary = 0xA5;
  for (bool rowWise : {false, true}) {
    for (SQLULEN rowset : rowsetSizes) {
      for (int rows : tableRows) {
        SCOPED_TRACE(std::string(rowWise ? "row-wise" : "column-wise") + " rowset " +
                     std::to_string(rowset) + " rows " + std::to_string(rows));
        SQLHSTMT stmt = statement();
        SQLULEN fetched = 0;
        std::vector<SQLUSMALLINT> statuses(rowset + 1, 0xEEEE);
        SQLULEN bindOffset = offset;
        ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                                                 reinterpret_cast<SQLPOINTER>(rowset), 0)));
        ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0)));
        ASSERT_TRUE(
            SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, statuses.data(), 0)));
        ASSERT_TRUE(
            SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_OFFSET_PTR, &bindOffset, 0)));
        // Each column's storage: the gap, then the rowset's elements.
        std::vector<unsigned char> ids(offset + rowset * sizeof(SQLINTEGER), canary);
        std::vector<unsigned char> idIndicators(offset + rowset * sizeof(SQLLEN), canary);
        std::vector<unsigned char> texts(offset + rowset * 16, canary);
        std::vector<unsigned char> textIndicators(offset + rowset * sizeof(SQLLEN), canary);
        std::vector<unsigned char> structs(offset + rowset * sizeof(Row), canary);
        if (rowWise) {
          ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(
              stmt, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(sizeof(Row)), 0)));
          Row* base = reinterpret_cast<Row*>(structs.data());
          SQLBindCol(stmt, 1, SQL_C_SLONG, &base->id, 0, &base->idIndicator);
          SQLBindCol(stmt, 2, SQL_C_CHAR, base->v, sizeof base->v, &base->vIndicator);
        } else {
          SQLBindCol(stmt, 1, SQL_C_SLONG, ids.data(), 0,
                     reinterpret_cast<SQLLEN*>(idIndicators.data()));
          SQLBindCol(stmt, 2, SQL_C_CHAR, texts.data(), 16,
                     reinterpret_cast<SQLLEN*>(textIndicators.data()));
        }
        run(stmt, "select id, v from t" + std::to_string(rows) + " order by id");
        int seen = 0;
        SQLRETURN rc;
        while ((rc = SQLFetch(stmt)) != SQL_NO_DATA) {
          ASSERT_EQ(rc, SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
          const SQLULEN expected = std::min<SQLULEN>(rowset, static_cast<SQLULEN>(rows - seen));
          ASSERT_EQ(fetched, expected);
          for (SQLULEN k = 0; k < rowset; ++k) {
            EXPECT_EQ(statuses[k], k < expected ? SQL_ROW_SUCCESS : SQL_ROW_NOROW) << k;
          }
          EXPECT_EQ(statuses[rowset], 0xEEEE);
          for (SQLULEN k = 0; k < expected; ++k) {
            const int id = seen + 1 + static_cast<int>(k);
            const std::string text = "r" + std::to_string(id);
            SQLINTEGER gotId;
            SQLLEN gotIdIndicator;
            SQLLEN gotTextIndicator;
            std::string gotText;
            if (rowWise) {
              Row row;
              std::memcpy(&row, structs.data() + offset + k * sizeof(Row), sizeof row);
              gotId = row.id;
              gotIdIndicator = row.idIndicator;
              gotTextIndicator = row.vIndicator;
              gotText = reinterpret_cast<const char*>(row.v);
            } else {
              std::memcpy(&gotId, ids.data() + offset + k * sizeof(SQLINTEGER), sizeof gotId);
              std::memcpy(&gotIdIndicator, idIndicators.data() + offset + k * sizeof(SQLLEN),
                          sizeof gotIdIndicator);
              std::memcpy(&gotTextIndicator, textIndicators.data() + offset + k * sizeof(SQLLEN),
                          sizeof gotTextIndicator);
              gotText = reinterpret_cast<const char*>(texts.data() + offset + k * 16);
            }
            EXPECT_EQ(gotId, id);
            EXPECT_EQ(gotIdIndicator, static_cast<SQLLEN>(sizeof(SQLINTEGER)));
            EXPECT_EQ(gotText, text);
            EXPECT_EQ(gotTextIndicator, static_cast<SQLLEN>(text.size()));
          }
          seen += static_cast<int>(expected);
          ASSERT_LE(seen, rows);
        }
        EXPECT_EQ(seen, rows);
        for (const auto* storage : {&ids, &idIndicators, &texts, &textIndicators, &structs}) {
          for (SQLULEN k = 0; k < offset; ++k) ASSERT_EQ((*storage)[k], canary) << k;
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
      }
    }
  }
}

TEST_F(OdbcProgram, AShortBoundTextIsCutWithItsWholeLength) {
  SQLHSTMT stmt = statement();
  SQLUSMALLINT status = 0xEEEE;
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, &status, 0)));
  SQLCHAR text[4];
  SQLLEN indicator = 0;
  SQLBindCol(stmt, 1, SQL_C_CHAR, text, sizeof text, &indicator);
  run(stmt, "select 'abcdefghij'");
  EXPECT_EQ(SQLFetch(stmt), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(sqlState(stmt), "01004");
  EXPECT_EQ(indicator, 10);
  EXPECT_STREQ(reinterpret_cast<char*>(text), "abc");
  EXPECT_EQ(status, SQL_ROW_SUCCESS_WITH_INFO);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

TEST_F(OdbcProgram, AnIntegerBeyondSlongFailsItsRowOnly) {
  exec("create table big (id integer, n integer)");
  exec("insert into big values (1, 7), (2, 3000000000), (3, -9)");
  struct Case {
    const char* sql;
    SQLULEN rowset;
    SQLRETURN rc;
    std::vector<SQLUSMALLINT> statuses;
    std::vector<SQLINTEGER> values;  // of the rows converted
  };
  const Case cases[] = {
      {"select n from big where id = 2", 1, SQL_ERROR, {SQL_ROW_ERROR}, {0}},
      {"select n from big order by id", 3, SQL_SUCCESS_WITH_INFO,
       {SQL_ROW_SUCCESS, SQL_ROW_ERROR, SQL_ROW_SUCCESS}, {7, 0, -9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    SQLHSTMT stmt = statement();
    std::vector<SQLUSMALLINT> statuses(c.rowset, 0xEEEE);
    std::vector<SQLINTEGER> values(c.rowset, 0);
    std::vector<SQLLEN> indicators(c.rowset, 0);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                                             reinterpret_cast<SQLPOINTER>(c.rowset), 0)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, statuses.data(), 0)));
    SQLBindCol(stmt, 1, SQL_C_SLONG, values.data(), 0, indicators.data());
    run(stmt, c.sql);
    EXPECT_EQ(SQLFetch(stmt), c.rc);
    EXPECT_EQ(sqlState(stmt), "22003");
    EXPECT_EQ(statuses, c.statuses);
    for (size_t k = 0; k < c.values.size(); ++k) {
      if (c.statuses[k] == SQL_ROW_SUCCESS) { EXPECT_EQ(values[k], c.values[k]) << k; }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
}

// One scroll of a static cursor: the fetch and what it must give. `first` is the id of the
// rowset's first row (ids run 1..N in order), 0 where the fetch answers SQL_NO_DATA.
struct Scroll {
  SQLSMALLINT orientation;
  SQLLEN offset;
  SQLRETURN rc;  // SQL_SUCCESS_WITH_INFO carries "01S06"
  SQLLEN first;
};

constexpr SQLSMALLINT NEXT = SQL_FETCH_NEXT, PRIOR = SQL_FETCH_PRIOR, FIRST = SQL_FETCH_FIRST,
                      LAST = SQL_FETCH_LAST, ABSOLUTE = SQL_FETCH_ABSOLUTE,
                      RELATIVE = SQL_FETCH_RELATIVE;
constexpr SQLRETURN OK = SQL_SUCCESS, EARLY = SQL_SUCCESS_WITH_INFO, NONE = SQL_NO_DATA;

struct ScrollCase {
  int rows;
  SQLULEN rowset;
  std::vector<Scroll> scrolls;
};

const ScrollCase scrollCases[] = {
    {10, 1, {{NEXT, 0, OK, 1},        {NEXT, 0, OK, 2},        {PRIOR, 0, OK, 1},
             {PRIOR, 0, NONE, 0},     {PRIOR, 0, NONE, 0},     {NEXT, 0, OK, 1},
             {LAST, 0, OK, 10},       {NEXT, 0, NONE, 0},      {PRIOR, 0, OK, 10},
             {FIRST, 0, OK, 1},       {ABSOLUTE, 3, OK, 3},    {ABSOLUTE, -1, OK, 10},
             {ABSOLUTE, -3, OK, 8},   {ABSOLUTE, 0, NONE, 0},  {ABSOLUTE, -11, NONE, 0},
             {RELATIVE, 2, OK, 2},    {RELATIVE, 2, OK, 4},    {RELATIVE, -2, OK, 2},
             {RELATIVE, -2, NONE, 0}, {RELATIVE, -2, NONE, 0}, {ABSOLUTE, 9, OK, 9},
             {RELATIVE, 2, NONE, 0},  {RELATIVE, -2, OK, 9},   {RELATIVE, 20, NONE, 0},
             {RELATIVE, 2, NONE, 0},  {ABSOLUTE, 11, NONE, 0}, {PRIOR, 0, OK, 10}}},
    {10, 3, {{NEXT, 0, OK, 1},          {NEXT, 0, OK, 4},        {NEXT, 0, OK, 7},
             {NEXT, 0, OK, 10},         {NEXT, 0, NONE, 0},      {PRIOR, 0, OK, 8},
             {PRIOR, 0, OK, 5},         {PRIOR, 0, OK, 2},       {PRIOR, 0, EARLY, 1},
             {PRIOR, 0, NONE, 0},       {PRIOR, 0, NONE, 0},     {FIRST, 0, OK, 1},
             {LAST, 0, OK, 8},          {ABSOLUTE, 3, OK, 3},    {ABSOLUTE, -1, OK, 10},
             {ABSOLUTE, -3, OK, 8},     {ABSOLUTE, 0, NONE, 0},  {ABSOLUTE, -11, NONE, 0},
             {RELATIVE, 2, OK, 2},      {RELATIVE, 2, OK, 4},    {RELATIVE, -2, OK, 2},
             {RELATIVE, -2, EARLY, 1},  {RELATIVE, -2, NONE, 0}, {ABSOLUTE, 9, OK, 9},
             {RELATIVE, 2, NONE, 0},    {RELATIVE, -2, OK, 9},   {RELATIVE, -20, NONE, 0},
             {ABSOLUTE, 11, NONE, 0},   {RELATIVE, 2, NONE, 0}}},
    {2, 1, {{NEXT, 0, OK, 1},         {NEXT, 0, OK, 2},        {NEXT, 0, NONE, 0},
            {PRIOR, 0, OK, 2},        {PRIOR, 0, OK, 1},       {PRIOR, 0, NONE, 0},
            {FIRST, 0, OK, 1},        {LAST, 0, OK, 2},        {ABSOLUTE, 3, NONE, 0},
            {ABSOLUTE, -1, OK, 2},    {ABSOLUTE, -3, NONE, 0}, {ABSOLUTE, 0, NONE, 0},
            {ABSOLUTE, -11, NONE, 0}, {RELATIVE, 2, OK, 2},    {RELATIVE, -2, NONE, 0},
            {RELATIVE, 2, OK, 2},     {RELATIVE, 2, NONE, 0},  {RELATIVE, -2, OK, 1},
            {RELATIVE, 2, NONE, 0}}},
    {2, 3, {{NEXT, 0, OK, 1},         {NEXT, 0, NONE, 0},       {PRIOR, 0, EARLY, 1},
            {PRIOR, 0, NONE, 0},      {FIRST, 0, OK, 1},        {LAST, 0, OK, 1},
            {ABSOLUTE, 3, NONE, 0},   {ABSOLUTE, -1, OK, 2},    {ABSOLUTE, -3, EARLY, 1},
            {ABSOLUTE, 0, NONE, 0},   {ABSOLUTE, -11, NONE, 0}, {RELATIVE, 2, OK, 2},
            {RELATIVE, -2, EARLY, 1}, {RELATIVE, 2, NONE, 0},   {RELATIVE, -2, OK, 1},
            {RELATIVE, -2, NONE, 0}}},
};

TEST_F(OdbcProgram, AStaticCursorScrollsByTheFetchScrollTables) {
  numbered("t10", 10);
  numbered("t2", 2);
  for (const ScrollCase& c : scrollCases) {
    SQLHSTMT stmt = statement();
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(
        stmt, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0)));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE,
                                             reinterpret_cast<SQLPOINTER>(c.rowset), 0)));
    SQLULEN fetched = 0;
    std::vector<SQLUSMALLINT> statuses(c.rowset);
    std::vector<SQLINTEGER> ids(c.rowset);
    std::vector<SQLLEN> indicators(c.rowset);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, statuses.data(), 0);
    SQLBindCol(stmt, 1, SQL_C_SLONG, ids.data(), 0, indicators.data());
    run(stmt, "select id from t" + std::to_string(c.rows) + " order by id");
    int step = 0;
    for (const Scroll& s : c.scrolls) {
      SCOPED_TRACE(std::to_string(c.rows) + " rows, rowset " + std::to_string(c.rowset) +
                   ", step " + std::to_string(++step) + ": orientation " +
                   std::to_string(s.orientation) + " offset " + std::to_string(s.offset));
      std::fill(ids.begin(), ids.end(), 0);
      const SQLRETURN rc = SQLFetchScroll(stmt, s.orientation, s.offset);
      ASSERT_EQ(rc, s.rc) << state(SQL_HANDLE_STMT, stmt);
      if (rc == SQL_SUCCESS_WITH_INFO) { EXPECT_EQ(sqlState(stmt), "01S06"); }
      if (rc == SQL_NO_DATA) continue;
      const SQLULEN expected = std::min<SQLULEN>(c.rowset, static_cast<SQLULEN>(c.rows - s.first + 1));
      ASSERT_EQ(fetched, expected);
      for (SQLULEN k = 0; k < c.rowset; ++k) {
        if (k < expected) {
          EXPECT_EQ(ids[k], s.first + static_cast<SQLLEN>(k)) << k;
          EXPECT_EQ(statuses[k], SQL_ROW_SUCCESS) << k;
        } else {
          EXPECT_EQ(statuses[k], SQL_ROW_NOROW) << k;
        }
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
}

TEST_F(OdbcProgram, ABookmarkTakenFromARowFetchesItsRowsetAgain) {
  numbered("t10", 10);
  SQLHSTMT stmt = statement();
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(
      stmt, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0)));
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_USE_BOOKMARKS,
                                           reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE), 0)));
  ASSERT_TRUE(SQL_SUCCEEDED(
      SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(3), 0)));
  SQLINTEGER ids[3] = {};
  SQLLEN indicators[3] = {};
  SQLBindCol(stmt, 1, SQL_C_SLONG, ids, 0, indicators);
  run(stmt, "select id from t10 order by id");
  ASSERT_EQ(SQLFetchScroll(stmt, SQL_FETCH_ABSOLUTE, 7), SQL_SUCCESS);
  // The bookmark of the rowset's first row, row 7, read from that row.
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetPos(stmt, 1, SQL_POSITION, SQL_LOCK_NO_CHANGE)))
      << state(SQL_HANDLE_STMT, stmt);
  SQLLEN bookmark = 0;
  SQLLEN length = 0;
  ASSERT_EQ(SQLGetData(stmt, 0, SQL_C_SBIGINT, &bookmark, sizeof bookmark, &length), SQL_SUCCESS)
      << state(SQL_HANDLE_STMT, stmt);
  ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, SQL_ATTR_FETCH_BOOKMARK_PTR, &bookmark, 0)));
  const struct {
    SQLLEN offset;
    SQLRETURN rc;
    SQLINTEGER first;
  } cases[] = {{0, SQL_SUCCESS, 7}, {-2, SQL_SUCCESS, 5}, {3, SQL_SUCCESS, 10}, {4, SQL_NO_DATA, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE("offset " + std::to_string(c.offset));
    ASSERT_EQ(SQLFetchScroll(stmt, SQL_FETCH_FIRST, 0), SQL_SUCCESS);
    ASSERT_EQ(SQLFetchScroll(stmt, SQL_FETCH_BOOKMARK, c.offset), c.rc)
        << state(SQL_HANDLE_STMT, stmt);
    if (c.rc == SQL_SUCCESS) {
      EXPECT_EQ(ids[0], c.first);
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

TEST_F(OdbcProgram, FirstOnAForwardOnlyCursorIsRefused) {
  SQLHSTMT stmt = statement();
  run(stmt, "select 1");
  EXPECT_EQ(SQLFetchScroll(stmt, SQL_FETCH_FIRST, 0), SQL_ERROR);
  EXPECT_EQ(sqlState(stmt), "HY106");
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// What a reporting tool asks at connect: every information type answers, or fails with "HY096"
// when the driver does not know it; a text answer cut by a small buffer keeps its terminator,
// reports its whole length and says "01004".
TEST_F(OdbcProgram, EveryInfoTypeAnswersOrSaysItIsUnknown) {
  std::vector<SQLUSMALLINT> types;
  for (SQLUSMALLINT type = 0; type <= 200; ++type) types.push_back(type);
  for (SQLUSMALLINT type = 10000; type <= 10025; ++type) types.push_back(type);
  types.push_back(20000);
  int unknown = 0;
  for (SQLUSMALLINT type : types) {
    // Their buffers carry a handle in.
    if (type == SQL_DRIVER_HSTMT || type == SQL_DRIVER_HDESC) continue;
    SCOPED_TRACE(type);
    unsigned char buffer[512] = {};
    SQLSMALLINT length = -1;
    const SQLRETURN rc = SQLGetInfo(dbc, type, buffer, sizeof buffer, &length);
    if (rc == SQL_ERROR) {
      EXPECT_EQ(state(SQL_HANDLE_DBC, dbc).substr(0, 5), "HY096");
      ++unknown;
    } else {
      EXPECT_EQ(rc, SQL_SUCCESS) << state(SQL_HANDLE_DBC, dbc);
    }
  }
  EXPECT_GT(unknown, 0);

  for (SQLUSMALLINT type : {SQL_DBMS_NAME, SQL_DBMS_VER, SQL_DRIVER_NAME, SQL_DRIVER_VER,
                            SQL_DRIVER_ODBC_VER, SQL_KEYWORDS, SQL_CATALOG_TERM, SQL_TABLE_TERM,
                            SQL_SERVER_NAME, SQL_USER_NAME}) {
    SCOPED_TRACE(type);
    char whole[512] = {};
    SQLSMALLINT wholeLength = -1;
    ASSERT_EQ(SQLGetInfo(dbc, type, whole, sizeof whole, &wholeLength), SQL_SUCCESS);
    ASSERT_GT(wholeLength, 2);
    char cut[4] = {'x', 'x', 'x', 'x'};
    SQLSMALLINT cutLength = -1;
    EXPECT_EQ(SQLGetInfo(dbc, type, cut, 3, &cutLength), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(state(SQL_HANDLE_DBC, dbc).substr(0, 5), "01004");
    EXPECT_EQ(std::string(cut, 3), std::string(whole, 2) + '\0');
    EXPECT_EQ(cut[3], 'x');
    EXPECT_EQ(cutLength, wholeLength);
  }
}

// An application that takes a level from SQL_TXN_ISOLATION_OPTION or SQL_DEFAULT_TXN_ISOLATION
// gets it; a level not listed is refused with "HYC00" and the one set before stays.
TEST_F(OdbcProgram, EveryListedIsolationLevelCanBeChosen) {
  SQLUINTEGER listed = 0;
  SQLUINTEGER preferred = 0;
  ASSERT_EQ(SQLGetInfo(dbc, SQL_TXN_ISOLATION_OPTION, &listed, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(SQLGetInfo(dbc, SQL_DEFAULT_TXN_ISOLATION, &preferred, 0, nullptr), SQL_SUCCESS);
  EXPECT_NE(listed & preferred, 0u);
  for (SQLUINTEGER level : {SQL_TXN_READ_UNCOMMITTED, SQL_TXN_READ_COMMITTED,
                            SQL_TXN_REPEATABLE_READ, SQL_TXN_SERIALIZABLE}) {
    SCOPED_TRACE(level);
    SQLUINTEGER before = 0;
    ASSERT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_TXN_ISOLATION, &before, 0, nullptr), SQL_SUCCESS);
    const SQLRETURN rc = SQLSetConnectAttr(
        dbc, SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(std::uintptr_t{level}), 0);
    const std::string posted = state(SQL_HANDLE_DBC, dbc);
    SQLUINTEGER after = 0;
    ASSERT_EQ(SQLGetConnectAttr(dbc, SQL_ATTR_TXN_ISOLATION, &after, 0, nullptr), SQL_SUCCESS);
    if ((listed & level) != 0) {
      EXPECT_EQ(rc, SQL_SUCCESS) << posted;
      EXPECT_EQ(after, level);
    } else {
      EXPECT_EQ(rc, SQL_ERROR);
      EXPECT_EQ(posted.substr(0, 5), "HYC00");
      EXPECT_EQ(after, before);
    }
  }
}

// A reporting tool reads every attribute of every result column: each known identifier answers,
// narrow and wide, and an identifier the driver does not know fails with "HY091" rather than
// leaving the application's variable as it was behind a success.
TEST_F(OdbcProgram, EveryColumnAttributeAnswersOrSaysItIsUnknown) {
  exec("create table t (id integer, v text, d date)");
  SQLHSTMT stmt = statement();
  run(stmt, "select id, v, d from t");
  const SQLUSMALLINT known[] = {
      SQL_DESC_AUTO_UNIQUE_VALUE, SQL_DESC_BASE_COLUMN_NAME, SQL_DESC_BASE_TABLE_NAME,
      SQL_DESC_CASE_SENSITIVE,    SQL_DESC_CATALOG_NAME,     SQL_DESC_CONCISE_TYPE,
      SQL_DESC_COUNT,             SQL_DESC_DISPLAY_SIZE,     SQL_DESC_FIXED_PREC_SCALE,
      SQL_DESC_LABEL,             SQL_DESC_LENGTH,           SQL_DESC_LITERAL_PREFIX,
      SQL_DESC_LITERAL_SUFFIX,    SQL_DESC_LOCAL_TYPE_NAME,  SQL_DESC_NAME,
      SQL_DESC_NULLABLE,          SQL_DESC_NUM_PREC_RADIX,   SQL_DESC_OCTET_LENGTH,
      SQL_DESC_PRECISION,         SQL_DESC_SCALE,            SQL_DESC_SCHEMA_NAME,
      SQL_DESC_SEARCHABLE,        SQL_DESC_TABLE_NAME,       SQL_DESC_TYPE,
      SQL_DESC_TYPE_NAME,         SQL_DESC_UNNAMED,          SQL_DESC_UNSIGNED,
      SQL_DESC_UPDATABLE};
  for (SQLUSMALLINT column = 1; column <= 3; ++column) {
    for (SQLUSMALLINT field : known) {
      SCOPED_TRACE(std::to_string(column) + " field " + std::to_string(field));
      char text[128];
      SQLWCHAR wide[128];
      SQLSMALLINT length = 0;
      SQLLEN number = 0;
      EXPECT_EQ(SQLColAttribute(stmt, column, field, text, sizeof text, &length, &number),
                SQL_SUCCESS)
          << state(SQL_HANDLE_STMT, stmt);
      EXPECT_EQ(SQLColAttributeW(stmt, column, field, wide, sizeof wide, &length, &number),
                SQL_SUCCESS)
          << state(SQL_HANDLE_STMT, stmt);
    }
  }
  for (SQLUSMALLINT field : {SQLUSMALLINT{19}, SQLUSMALLINT{SQL_DESC_DATA_PTR},
                             SQLUSMALLINT{9999}}) {
    SCOPED_TRACE(field);
    SQLLEN number = -99;
    EXPECT_EQ(SQLColAttribute(stmt, 1, field, nullptr, 0, nullptr, &number), SQL_ERROR);
    EXPECT_EQ(sqlState(stmt), "HY091");
    EXPECT_EQ(number, -99);
    EXPECT_EQ(SQLColAttributeW(stmt, 1, field, nullptr, 0, nullptr, &number), SQL_ERROR);
    EXPECT_EQ(sqlState(stmt), "HY091");
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
