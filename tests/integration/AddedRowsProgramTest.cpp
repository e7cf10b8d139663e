// Rows added through SQLBulkOperations as an ODBC application calls it through the unixODBC Driver
// Manager against the development server: bound buffers of every layout, wide text and numbers
// for integer columns, checked in the texts the server logs and the rows SQLite stores.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/integration/PositionedProgram.h"

namespace {

using integrationtest::PeopleProgram;
using integrationtest::Record;
using integrationtest::attribute;
using integrationtest::records;

// One bound value of an added row: its text (the id's number) and its indicator element.
struct Cell {
  const char* text;
  SQLLEN indicator;
};
Cell v(const char* text) { return {text, SQL_NTS}; }
Cell cut(const char* text, SQLLEN length) { return {text, length}; }
const Cell null = {"", SQL_NULL_DATA};
const Cell ignored = {"", SQL_COLUMN_IGNORE};
const Cell unbound = {"", 0};

// The three columns of people (id as SQL_C_SLONG, name and note as SQL_C_CHAR) with their
// indicators, in application buffers of either layout lying `shift` rows behind the bound
// addresses (SQL_ATTR_ROW_BIND_OFFSET_PTR makes up the difference).
class PeopleBuffers {
 public:
  PeopleBuffers(SQLULEN rowset, bool rowWise, SQLULEN shift)
      : rowset_(rowset),
        rowWise_(rowWise),
        offset_(shift * (rowWise ? sizeof(Row) : textSize)),
        storage_(rowWise ? offset_ + rowset * sizeof(Row) : 6 * arrayBytes(), 0) {}

  // Binds the columns (1 id, 2 name, 3 note) on the statement.
  void bind(SQLHSTMT stmt, const std::vector<SQLUSMALLINT>& columns) {
    if (rowWise_) SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_TYPE, attribute(sizeof(Row)), 0);
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_BIND_OFFSET_PTR, &offset_, 0);
    for (SQLUSMALLINT column : columns) {
      EXPECT_TRUE(SQL_SUCCEEDED(SQLBindCol(
          stmt, column, column == 1 ? SQL_C_SLONG : SQL_C_CHAR, value(column, 0, false),
          column == 1 ? 0 : textSize, reinterpret_cast<SQLLEN*>(indicator(column, 0, false)))));
    }
  }

  // Writes the rows' cells (id, name, note) into the rowset's elements.
  void fill(const std::vector<std::array<Cell, 3>>& rows) {
    for (SQLULEN k = 0; k < rows.size(); ++k) {
      const SQLINTEGER id = std::atoi(rows[k][0].text);
      std::memcpy(value(1, k, true), &id, sizeof id);
      for (SQLUSMALLINT column = 1; column <= 3; ++column) {
        const Cell& cell = rows[k][column - 1];
        const SQLLEN length = column == 1 && cell.indicator == SQL_NTS ? 0 : cell.indicator;
        std::memcpy(indicator(column, k, true), &length, sizeof length);
        if (column > 1) {
          std::strncpy(static_cast<char*>(value(column, k, true)), cell.text, textSize);
        }
      }
    }
  }

 private:
  static constexpr SQLLEN textSize = 40;
  struct Row {
    SQLINTEGER id;
    SQLLEN idIndicator;
    char name[textSize];
    SQLLEN nameIndicator;
    char note[textSize];
    SQLLEN noteIndicator;
  };

  // Column-wise: six arrays (the values, then the indicators), each an offset's gap and then
  // elements of up to textSize bytes.
  std::size_t arrayBytes() const { return offset_ + rowset_ * textSize; }

  // Element k of a column's value or indicator, where the application writes it (behind the
  // offset) or as bound.
  void* element(std::size_t array, std::size_t fieldOffset, std::size_t size, SQLULEN k,
                bool written) {
    unsigned char* base = storage_.data();
    const std::size_t gap = written ? offset_ : 0;
    if (rowWise_) return base + gap + k * sizeof(Row) + fieldOffset;
    return base + array * arrayBytes() + gap + k * size;
  }
  void* value(SQLUSMALLINT column, SQLULEN k, bool written) {
    const std::size_t fields[] = {offsetof(Row, id), offsetof(Row, name), offsetof(Row, note)};
    return element(column - 1, fields[column - 1], column == 1 ? sizeof(SQLINTEGER) : textSize, k,
                   written);
  }
  void* indicator(SQLUSMALLINT column, SQLULEN k, bool written) {
    const std::size_t fields[] = {offsetof(Row, idIndicator), offsetof(Row, nameIndicator),
                                  offsetof(Row, noteIndicator)};
    return element(column + 2, fields[column - 1], sizeof(SQLLEN), k, written);
  }

  SQLULEN rowset_;
  bool rowWise_;
  SQLULEN offset_;
  std::vector<unsigned char> storage_;
};

struct AddCase {
  const char* what;
  const char* query;
  SQLULEN rowset;
  bool rowWise;
  SQLULEN shift;  // rows between the bound addresses and the buffers written
  std::vector<SQLUSMALLINT> columns;
  std::vector<std::array<Cell, 3>> rows;
  std::vector<SQLUSMALLINT> operations;  // the row operation array, when set
  SQLSETPOSIROW setPosRow;  // 0: through SQLBulkOperations and SQLSetPos(0); k: SQLSetPos(k) only
  SQLRETURN rc;
  const char* statuses;  // digits of the status array, "." where it was left alone
  std::vector<Record> diagnostics;
  std::vector<std::string> texts;
  std::vector<std::string> stored;
};

const char* const everyColumn = "select id, name, note from people";

const AddCase addCases[] = {
    {"two rows over select id, name from people where id > 3",
     "select id, name from people where id > 3",
     2,
     false,
     0,
     {1, 2},
     {{v("4"), v("ann"), unbound}, {v("5"), v("bob"), unbound}},
     {},
     0,
     SQL_SUCCESS,
     "44",
     {},
     {"insert into people (id, name) values (4, 'ann')",
      "insert into people (id, name) values (5, 'bob')"},
     {"4|ann|dflt", "5|bob|dflt"}},
    {"row 2 of 3 alone",
     everyColumn,
     3,
     false,
     0,
     {1, 2, 3},
     {{v("6"), v("six"), v("n6")}, {v("7"), v("seven"), v("n7")}, {v("8"), v("eight"), v("n8")}},
     {},
     2,
     SQL_SUCCESS,
     ".4.",
     {},
     {"insert into people (id, name, note) values (7, 'seven', 'n7')"},
     {"7|seven|n7"}},
    {"columns 1 and 3, row-wise behind an offset",
     everyColumn,
     3,
     true,
     1,
     {1, 3},
     {{v("11"), unbound, v("eleven")}, {v("12"), unbound, v("twelve")}, {v("13"), unbound, v("x")}},
     {},
     0,
     SQL_SUCCESS,
     "444",
     {},
     {"insert into people (id, note) values (11, 'eleven')",
      "insert into people (id, note) values (12, 'twelve')",
      "insert into people (id, note) values (13, 'x')"},
     {"11|NULL|eleven", "12|NULL|twelve", "13|NULL|x"}},
    {"nulls, SQL_NTS and lengths, row-wise behind an offset",
     everyColumn,
     3,
     true,
     2,
     {1, 2, 3},
     {{v("14"), null, v("n")},
      {v("15"), cut("carol", 3), null},
      {v("16"), v("dave"), cut("abc", 0)}},
     {},
     0,
     SQL_SUCCESS,
     "444",
     {},
     {"insert into people (id, name, note) values (14, NULL, 'n')",
      "insert into people (id, name, note) values (15, 'car', NULL)",
      "insert into people (id, name, note) values (16, 'dave', '')"},
     {"14|NULL|n", "15|car|NULL", "16|dave|"}},
    {"quotes, backslashes, markers, comments and non-ASCII text, column-wise behind an offset",
     everyColumn,
     3,
     false,
     2,
     {1, 2},
     {{v("17"), v("it's \"q\""), unbound},
      {v("18"), v("back\\slash ? -- no comment"), unbound},
      {v("19"), v("\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD"), unbound}},
     {},
     0,
     SQL_SUCCESS,
     "444",
     {},
     {"insert into people (id, name) values (17, 'it''s \"q\"')",
      "insert into people (id, name) values (18, 'back\\slash ? -- no comment')",
      "insert into people (id, name) values (19, '\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD')"},
     {"17|it's \"q\"|dflt", "18|back\\slash ? -- no comment|dflt",
      "19|\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD|dflt"}},
    {"an ignored row",
     everyColumn,
     3,
     false,
     0,
     {1, 2},
     {{v("20"), v("a"), unbound}, {v("21"), v("b"), unbound}, {v("22"), v("c"), unbound}},
     {SQL_ROW_PROCEED, SQL_ROW_IGNORE, SQL_ROW_PROCEED},
     0,
     SQL_SUCCESS,
     "4.4",
     {},
     {"insert into people (id, name) values (20, 'a')",
      "insert into people (id, name) values (22, 'c')"},
     {"20|a|dflt", "22|c|dflt"}},
    {"an ignored column with a default",
     everyColumn,
     2,
     false,
     0,
     {1, 2, 3},
     {{v("23"), v("v"), v("given")}, {v("24"), v("w"), ignored}},
     {},
     0,
     SQL_SUCCESS,
     "44",
     {},
     {"insert into people (id, name, note) values (23, 'v', 'given')",
      "insert into people (id, name) values (24, 'w')"},
     {"23|v|given", "24|w|dflt"}},
    {"data at execution",
     everyColumn,
     2,
     false,
     0,
     {1, 2},
     {{v("25"), v("a"), unbound}, {v("26"), {"", SQL_DATA_AT_EXEC}, unbound}},
     {},
     0,
     SQL_ERROR,
     "..",
     {{"HYC00", "", SQL_NO_ROW_NUMBER}},
     {},
     {}},
    {"data at execution with a length",
     everyColumn,
     2,
     false,
     0,
     {1, 2},
     {{v("25"), {"", SQL_LEN_DATA_AT_EXEC(5)}, unbound}, {v("26"), v("b"), unbound}},
     {},
     0,
     SQL_ERROR,
     "..",
     {{"HYC00", "", SQL_NO_ROW_NUMBER}},
     {},
     {}},
    {"a row beyond the rowset",
     everyColumn,
     2,
     false,
     0,
     {1, 2},
     {{v("27"), v("a"), unbound}, {v("28"), v("b"), unbound}},
     {},
     3,
     SQL_ERROR,
     "..",
     {{"HY107", "", SQL_NO_ROW_NUMBER}},
     {},
     {}},
    {"a duplicate key on row 2 of 3",
     everyColumn,
     3,
     false,
     0,
     {1, 2},
     {{v("29"), v("a"), unbound}, {v("2"), v("dup"), unbound}, {v("30"), v("c"), unbound}},
     {},
     0,
     SQL_SUCCESS_WITH_INFO,
     "454",
     {{"01S01", "", 2}, {"HY000", "", 2}},
     {"insert into people (id, name) values (29, 'a')",
      "insert into people (id, name) values (2, 'dup')",
      "insert into people (id, name) values (30, 'c')"},
     {"29|a|dflt", "30|c|dflt"}},
    {"a duplicate key on every row",
     everyColumn,
     3,
     false,
     0,
     {1},
     {{v("1"), unbound, unbound}, {v("2"), unbound, unbound}, {v("3"), unbound, unbound}},
     {},
     0,
     SQL_ERROR,
     "555",
     {{"01S01", "", 1},
      {"HY000", "", 1},
      {"01S01", "", 2},
      {"HY000", "", 2},
      {"01S01", "", 3},
      {"HY000", "", 3}},
     {"insert into people (id) values (1)", "insert into people (id) values (2)",
      "insert into people (id) values (3)"},
     {}},
    {"a duplicate key on the one row added",
     everyColumn,
     3,
     false,
     0,
     {1},
     {{v("31"), unbound, unbound}, {v("90"), unbound, unbound}},
     {},
     2,
     SQL_ERROR,
     ".5.",
     {{"HY000", "", 2}},
     {"insert into people (id) values (90)"},
     {}},
};

TEST_F(PeopleProgram, AddedRowsReachTheTableAsBound) {
  for (const AddCase& c : addCases) {
    for (bool bulk : {true, false}) {
      if (bulk && c.setPosRow != 0) continue;
      SCOPED_TRACE(std::string(c.what) + (bulk ? ", SQLBulkOperations" : ", SQLSetPos"));
      createPeople();
      SQLHSTMT stmt = statement();
      // SQLSetPos adds on a static cursor of lock concurrency; SQLBulkOperations on the
      // default forward-only one.
      if (!bulk) makeStatic(stmt, true);
      setAttribute(stmt, SQL_ATTR_ROW_ARRAY_SIZE, c.rowset);
      std::vector<SQLUSMALLINT> statuses(c.rowset, 9);
      setAttribute(stmt, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses.data()));
      std::vector<SQLUSMALLINT> operations = c.operations;
      if (!operations.empty()) {
        setAttribute(stmt, SQL_ATTR_ROW_OPERATION_PTR,
                     reinterpret_cast<SQLULEN>(operations.data()));
      }
      PeopleBuffers buffers(c.rowset, c.rowWise, c.shift);
      buffers.bind(stmt, c.columns);
      run(stmt, c.query);
      if (!bulk) {
        ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
      }
      buffers.fill(c.rows);
      std::fill(statuses.begin(), statuses.end(), 9);
      const std::vector<std::string> before = newTexts();
      if (c.query != everyColumn) {
        EXPECT_EQ(before.back(), c.query);
      }
      const SQLRETURN rc = bulk ? SQLBulkOperations(stmt, SQL_ADD)
                                : SQLSetPos(stmt, c.setPosRow, SQL_ADD, SQL_LOCK_NO_CHANGE);
      EXPECT_EQ(rc, c.rc) << state(SQL_HANDLE_STMT, stmt);
      std::string shown;
      for (SQLUSMALLINT status : statuses) shown += status == 9 ? "." : std::to_string(status);
      EXPECT_EQ(shown, c.statuses);
      EXPECT_EQ(records(stmt), c.diagnostics);
      EXPECT_EQ(newTexts(), c.texts);
      EXPECT_EQ(addedRows(), c.stored);
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
  }
}

// Wide text bound as SQL_C_WCHAR (UTF-16 units, a surrogate pair among them) reaches the table as
// the same characters.
TEST_F(PeopleProgram, WideTextIsAddedAsItsCharacters) {
  SQLHSTMT stmt = statement();
  setAttribute(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 2);
  SQLINTEGER ids[2] = {40, 41};
  // "\u00e9t\u00e9 \u4e2d" and "a'\U0001F600", each NUL-terminated, then counted in bytes.
  SQLWCHAR names[2][8] = {{0xE9, 't', 0xE9, ' ', 0x4E2D, 0}, {'a', '\'', 0xD83D, 0xDE00, 'z', 'z'}};
  SQLLEN lengths[2] = {SQL_NTS, 4 * sizeof(SQLWCHAR)};
  SQLBindCol(stmt, 1, SQL_C_SLONG, ids, 0, nullptr);
  SQLBindCol(stmt, 2, SQL_C_WCHAR, names, sizeof names[0], lengths);
  run(stmt, "select id, name from people");
  newTexts();
  ASSERT_EQ(SQLBulkOperations(stmt, SQL_ADD), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
  EXPECT_EQ(newTexts(),
            (std::vector<std::string>{
                "insert into people (id, name) values (40, '\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD')",
                "insert into people (id, name) values (41, 'a''\xF0\x9F\x98\x80')"}));
  EXPECT_EQ(addedRows(), (std::vector<std::string>{"40|\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD|dflt",
                                                   "41|a'\xF0\x9F\x98\x80|dflt"}));
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// A number with a fraction for an integer column is added cut toward zero.
TEST_F(PeopleProgram, AFractionForAnIntegerColumnIsAddedCut) {
  SQLHSTMT stmt = statement();
  setAttribute(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 2);
  SQLUSMALLINT statuses[2] = {9, 9};
  setAttribute(stmt, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses));
  SQLDOUBLE ids[2] = {42.5, 43};
  SQLCHAR names[2][2] = {"x", "y"};
  SQLLEN lengths[2] = {SQL_NTS, SQL_NTS};
  SQLBindCol(stmt, 1, SQL_C_DOUBLE, ids, 0, nullptr);
  SQLBindCol(stmt, 2, SQL_C_CHAR, names, sizeof names[0], lengths);
  run(stmt, "select id, name from people");
  newTexts();
  EXPECT_EQ(SQLBulkOperations(stmt, SQL_ADD), SQL_SUCCESS);
  EXPECT_EQ(statuses[0], SQL_ROW_ADDED);
  EXPECT_EQ(statuses[1], SQL_ROW_ADDED);
  EXPECT_EQ(newTexts(),
            (std::vector<std::string>{"insert into people (id, name) values (42, 'x')",
                                      "insert into people (id, name) values (43, 'y')"}));
  EXPECT_EQ(addedRows(), (std::vector<std::string>{"42|x|dflt", "43|y|dflt"}));
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
