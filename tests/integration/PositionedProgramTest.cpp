// SQLSetPos and SQLBulkOperations as an ODBC application calls them through the unixODBC Driver
// Manager against the development server: positioning and refreshing within a static rowset
// (every fetch orientation afterwards as if nothing had happened), updates and deletes refused,
// rows added from bound buffers of every layout (the texts the server logs, the rows SQLite
// stores), results reading on after an add, and the cursor attributes against what answers.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace {

SQLPOINTER attribute(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

// "\xNN" of the server's SQL log back to its byte.
std::string unescape(const std::string& logged) {
  std::string text;
  for (std::size_t i = 0; i < logged.size(); ++i) {
    if (logged.compare(i, 2, "\\x") == 0 && i + 3 < logged.size()) {
      text += static_cast<char>(std::stoi(logged.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      text += logged[i];
    }
  }
  return text;
}

// A diagnostic record, compared by its state and row number.
struct Record {
  std::string state;
  std::string message;
  SQLLEN row;
  bool operator==(const Record& other) const { return state == other.state && row == other.row; }
};

std::ostream& operator<<(std::ostream& out, const Record& record) {
  return out << record.state << " row " << record.row << " " << record.message;
}

// Every diagnostic record of the statement with its row number.
std::vector<Record> records(SQLHSTMT stmt) {
  std::vector<Record> all;
  for (SQLSMALLINT number = 1;; ++number) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[512] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, stmt, number, state, &native, message,
                                     sizeof message, &length))) {
      return all;
    }
    SQLLEN row = 0;
    SQLGetDiagField(SQL_HANDLE_STMT, stmt, number, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
    all.push_back({reinterpret_cast<char*>(state), reinterpret_cast<char*>(message), row});
  }
}

class PositionedProgram : public integrationtest::OdbcProgram {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--sql-log", "sql.log"}; }

  // The texts the server received since the last call.
  std::vector<std::string> newTexts() {
    std::ifstream log(server().dataFile("sql.log"));
    std::vector<std::string> texts;
    std::size_t number = 0;
    for (std::string line; std::getline(log, line); ++number) {
      if (number < textsSeen_) continue;
      // "session command text"
      const std::size_t command = line.find(' ');
      texts.push_back(unescape(line.substr(line.find(' ', command + 1) + 1)));
    }
    textsSeen_ = number;
    return texts;
  }

  void setAttribute(SQLHSTMT stmt, SQLINTEGER name, SQLULEN value) {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, name, attribute(value), 0)))
        << name << ": " << state(SQL_HANDLE_STMT, stmt);
  }

  // A static (optionally lock-concurrency) cursor.
  void makeStatic(SQLHSTMT stmt, bool lock) {
    setAttribute(stmt, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC);
    if (lock) setAttribute(stmt, SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK);
  }

 private:
  std::size_t textsSeen_ = 0;
};

// ---------------------------------------------------------------------------------------------
// SQL_POSITION and SQL_REFRESH on a static result of ids 1..10 in rowsets of three.

struct Scroll {
  SQLSMALLINT orientation;
  SQLLEN offset;
};

const Scroll everyOrientation[] = {{SQL_FETCH_NEXT, 0},     {SQL_FETCH_PRIOR, 0},
                                   {SQL_FETCH_RELATIVE, 1}, {SQL_FETCH_RELATIVE, -1},
                                   {SQL_FETCH_ABSOLUTE, 5}, {SQL_FETCH_FIRST, 0},
                                   {SQL_FETCH_LAST, 0}};

class SetPosProgram : public PositionedProgram {
 protected:
  void SetUp() override {
    PositionedProgram::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    numbered("t10", 10);
  }

  // The statement over t10 with the bound rowset, after `nexts` NEXT fetches and, when asked, a
  // bulk add whose every row is ignored (so that nothing changes but the cursor's standing).
  SQLHSTMT open(int nexts, bool bulkFirst) {
    SQLHSTMT stmt = statement();
    makeStatic(stmt, false);
    setAttribute(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 3);
    setAttribute(stmt, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses_));
    setAttribute(stmt, SQL_ATTR_ROWS_FETCHED_PTR, reinterpret_cast<SQLULEN>(&fetched_));
    setAttribute(stmt, SQL_ATTR_ROW_OPERATION_PTR, reinterpret_cast<SQLULEN>(ignoreAll_));
    SQLBindCol(stmt, 1, SQL_C_SLONG, ids_, 0, idIndicators_);
    SQLBindCol(stmt, 2, SQL_C_CHAR, texts_, sizeof texts_[0], textIndicators_);
    run(stmt, "select id, v from t10 order by id");
    for (int i = 0; i < nexts; ++i) SQLFetch(stmt);
    if (bulkFirst) {
      EXPECT_EQ(SQLBulkOperations(stmt, SQL_ADD), SQL_SUCCESS);
    }
    return stmt;
  }

  // The application's buffers as an application may leave them between calls.
  void overwrite() {
    for (int k = 0; k < 3; ++k) {
      ids_[k] = -1;
      std::strcpy(texts_[k], "x");
      statuses_[k] = 9;
    }
    fetched_ = 42;
  }

  // What the bound buffers hold: id:text/status per row ("-" for SQL_ROW_NOROW), the count.
  std::string buffers() const {
    std::string text;
    for (int k = 0; k < 3; ++k) {
      text += statuses_[k] == SQL_ROW_NOROW
                  ? std::string("-")
                  : std::to_string(ids_[k]) + ":" + texts_[k] + "/" + std::to_string(statuses_[k]);
      text += " ";
    }
    return text + "n=" + std::to_string(fetched_);
  }

  // The id SQLGetData reads from the current row, or the state it answers.
  static std::string current(SQLHSTMT stmt) {
    SQLINTEGER id = 0;
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, 1, SQL_C_SLONG, &id, 0, &indicator);
    return SQL_SUCCEEDED(rc) ? std::to_string(id) : sqlState(stmt);
  }

  SQLINTEGER ids_[3] = {};
  SQLLEN idIndicators_[3] = {};
  char texts_[3][8] = {};
  SQLLEN textIndicators_[3] = {};
  SQLUSMALLINT statuses_[3] = {};
  SQLULEN fetched_ = 0;
  SQLUSMALLINT ignoreAll_[3] = {SQL_ROW_IGNORE, SQL_ROW_IGNORE, SQL_ROW_IGNORE};
};

TEST_F(SetPosProgram, PositionAndRefreshLeaveEveryFetchAsItWas) {
  struct Case {
    const char* what;
    int nexts;
    bool bulkFirst;
    SQLSETPOSIROW row;
    SQLUSMALLINT operation;
    // The state answered ("ok" for SQL_SUCCESS), the buffers after the call on buffers that were
    // overwritten just before it, and the row SQLGetData reads then.
    const char* outcome;
  };
  const Case cases[] = {
      {"position 1 in 4-6", 2, false, 1, SQL_POSITION, "ok | -1:x/9 -1:x/9 -1:x/9 n=42 | 4"},
      {"position 3 in 4-6", 2, false, 3, SQL_POSITION, "ok | -1:x/9 -1:x/9 -1:x/9 n=42 | 6"},
      {"position 2 in 4-6", 2, false, 2, SQL_POSITION, "ok | -1:x/9 -1:x/9 -1:x/9 n=42 | 5"},
      {"refresh 0 in 4-6", 2, false, 0, SQL_REFRESH, "ok | 4:r4/0 5:r5/0 6:r6/0 n=42 | 6"},
      {"refresh 2 in 4-6", 2, false, 2, SQL_REFRESH, "ok | -1:x/9 5:r5/0 -1:x/9 n=42 | 5"},
      {"position 0", 2, false, 0, SQL_POSITION, "HY109 | -1:x/9 -1:x/9 -1:x/9 n=42 | 6"},
      {"position 4", 2, false, 4, SQL_POSITION, "HY107 | -1:x/9 -1:x/9 -1:x/9 n=42 | 6"},
      {"refresh 4", 2, false, 4, SQL_REFRESH, "HY107 | -1:x/9 -1:x/9 -1:x/9 n=42 | 6"},
      {"position 1 in 10", 4, false, 1, SQL_POSITION, "ok | -1:x/9 -1:x/9 -1:x/9 n=42 | 10"},
      {"refresh 0 in 10", 4, false, 0, SQL_REFRESH, "ok | 10:r10/0 -1:x/9 -1:x/9 n=42 | 10"},
      {"refresh 1 in 10", 4, false, 1, SQL_REFRESH, "ok | 10:r10/0 -1:x/9 -1:x/9 n=42 | 10"},
      {"position 2 beyond 10", 4, false, 2, SQL_POSITION, "HY109 | -1:x/9 -1:x/9 -1:x/9 n=42 | 10"},
      {"refresh 3 beyond 10", 4, false, 3, SQL_REFRESH, "HY109 | -1:x/9 -1:x/9 -1:x/9 n=42 | 10"},
      {"before the first fetch", 0, false, 1, SQL_POSITION,
       "24000 | -1:x/9 -1:x/9 -1:x/9 n=42 | 24000"},
      {"after the end", 5, false, 1, SQL_REFRESH, "24000 | -1:x/9 -1:x/9 -1:x/9 n=42 | 24000"},
      {"position after a bulk add", 2, true, 1, SQL_POSITION, "HY109 | -1:x/9 -1:x/9 -1:x/9 n=42"},
      {"refresh after a bulk add", 2, true, 0, SQL_REFRESH, "HY109 | -1:x/9 -1:x/9 -1:x/9 n=42"},
  };
  for (const Case& c : cases) {
    for (const Scroll& scroll : everyOrientation) {
      SCOPED_TRACE(std::string(c.what) + ", then orientation " +
                   std::to_string(scroll.orientation) + " " + std::to_string(scroll.offset));
      // The fetch's return code, rowset, statuses, count and current row.
      const auto fetch = [&](SQLHSTMT stmt) {
        const SQLRETURN rc = SQLFetchScroll(stmt, scroll.orientation, scroll.offset);
        std::string result = std::to_string(rc);
        if (rc != SQL_NO_DATA) result += " " + buffers();
        return result + " | " + current(stmt);
      };
      SQLHSTMT stmt = open(c.nexts, c.bulkFirst);
      const std::string expected = fetch(stmt);
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);

      stmt = open(c.nexts, c.bulkFirst);
      overwrite();
      const SQLRETURN rc = SQLSetPos(stmt, c.row, c.operation, SQL_LOCK_NO_CHANGE);
      std::string outcome = rc == SQL_SUCCESS ? std::string("ok") : sqlState(stmt);
      outcome += " | " + buffers();
      // After a bulk operation the current row is undefined until the next fetch.
      if (!c.bulkFirst) outcome += " | " + current(stmt);
      EXPECT_EQ(outcome, c.outcome);
      EXPECT_EQ(rc, std::string(c.outcome).rfind("ok", 0) == 0 ? SQL_SUCCESS : SQL_ERROR);
      EXPECT_EQ(fetch(stmt), expected);
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The table rows are changed in, with its three rows below the ids the cases add and one above.

class PeopleProgram : public PositionedProgram {
 protected:
  void SetUp() override {
    PositionedProgram::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    createPeople();
  }

  void createPeople() {
    exec("drop table if exists people");
    exec("create table people (id integer primary key, name text, note text default 'dflt')");
    exec("insert into people (id, name) values (1, 'a'), (2, 'b'), (3, 'c'), (90, 'z')");
    newTexts();
  }

  // The rows the cases added, as SQLite stored them.
  std::vector<std::string> addedRows() {
    std::vector<std::string> rows;
    const std::string text =
        storedRows("select id, name, note from people where id not in (1, 2, 3, 90) order by id");
    for (std::size_t begin = 0, end; (end = text.find('\n', begin)) != std::string::npos;
         begin = end + 1) {
      rows.push_back(text.substr(begin, end - begin));
    }
    return rows;
  }
};

TEST_F(PeopleProgram, UpdateAndDeleteAreRefusedAndChangeNothing) {
  struct Case {
    SQLUINTEGER concurrency;
    SQLUSMALLINT operation;
    SQLSETPOSIROW row;
    const char* diagnostic;
  };
  const Case cases[] = {
      {SQL_CONCUR_READ_ONLY, SQL_UPDATE, 1, "HY092"},
      {SQL_CONCUR_READ_ONLY, SQL_DELETE, 0, "HY092"},
      {SQL_CONCUR_LOCK, SQL_UPDATE, 1, "HYC00 Cursor does not support updating rows"},
      {SQL_CONCUR_LOCK, SQL_UPDATE, 0, "HYC00 Cursor does not support updating rows"},
      {SQL_CONCUR_LOCK, SQL_DELETE, 2, "HYC00 Cursor does not support deleting rows"},
      {SQL_CONCUR_LOCK, SQL_DELETE, 0, "HYC00 Cursor does not support deleting rows"},
  };
  const std::string before = storedRows("select * from people order by id");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.concurrency) + " " + std::to_string(c.operation) + " " +
                 std::to_string(c.row));
    SQLHSTMT stmt = statement();
    makeStatic(stmt, c.concurrency == SQL_CONCUR_LOCK);
    setAttribute(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 2);
    SQLUSMALLINT statuses[2] = {};
    setAttribute(stmt, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses));
    SQLINTEGER ids[2] = {};
    char names[2][16] = {};
    SQLLEN lengths[2] = {};
    SQLBindCol(stmt, 1, SQL_C_SLONG, ids, 0, nullptr);
    SQLBindCol(stmt, 2, SQL_C_CHAR, names, sizeof names[0], lengths);
    run(stmt, "select id, name from people order by id");
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    // The changes an application asks for.
    std::strcpy(names[0], "changed");
    lengths[0] = SQL_NTS;
    statuses[0] = statuses[1] = 9;
    newTexts();
    EXPECT_EQ(SQLSetPos(stmt, c.row, c.operation, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    const std::string diagnostic = state(SQL_HANDLE_STMT, stmt);
    const std::string expected = c.diagnostic;
    EXPECT_EQ(diagnostic.substr(0, 5), expected.substr(0, 5));
    if (expected.size() > 5) {
      EXPECT_NE(diagnostic.find(expected.substr(6)), std::string::npos) << diagnostic;
    }
    EXPECT_TRUE(newTexts().empty());
    EXPECT_EQ(statuses[0], 9);
    EXPECT_EQ(statuses[1], 9);
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    EXPECT_EQ(ids[0], 3);
    EXPECT_EQ(ids[1], 90);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(storedRows("select * from people order by id"), before);
  }
}

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

// After an add the result reads on from where it stood: a forward-only one, which reads the rows
// the statement holds from its query, and a static one, which does not show the added rows.
TEST_F(SetPosProgram, ResultsReadOnAfterAnAdd) {
  struct Case {
    const char* what;
    bool isStatic;
    bool bulk;
  };
  const Case cases[] = {{"forward-only, SQLBulkOperations", false, true},
                        {"static, SQLBulkOperations", true, true},
                        {"static, SQLSetPos", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SQLHSTMT stmt = statement();
    if (c.isStatic) makeStatic(stmt, true);
    setAttribute(stmt, SQL_ATTR_ROW_ARRAY_SIZE, 3);
    setAttribute(stmt, SQL_ATTR_ROW_STATUS_PTR, reinterpret_cast<SQLULEN>(statuses_));
    setAttribute(stmt, SQL_ATTR_ROWS_FETCHED_PTR, reinterpret_cast<SQLULEN>(&fetched_));
    SQLBindCol(stmt, 1, SQL_C_SLONG, ids_, 0, idIndicators_);
    SQLBindCol(stmt, 2, SQL_C_CHAR, texts_, sizeof texts_[0], textIndicators_);
    run(stmt, "select id, v from t10 order by id");
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    EXPECT_EQ(buffers(), "4:r4/0 5:r5/0 6:r6/0 n=3");
    for (int k = 0; k < 3; ++k) {
      ids_[k] = 11 + k;
      std::strcpy(texts_[k], "new");
      textIndicators_[k] = SQL_NTS;
    }
    const SQLRETURN rc =
        c.bulk ? SQLBulkOperations(stmt, SQL_ADD) : SQLSetPos(stmt, 0, SQL_ADD, SQL_LOCK_NO_CHANGE);
    ASSERT_EQ(rc, SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(buffers(), "11:new/4 12:new/4 13:new/4 n=3");
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS) << state(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(buffers(), "7:r7/0 8:r8/0 9:r9/0 n=3");
    ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
    EXPECT_EQ(buffers(), "10:r10/0 - - n=1");
    EXPECT_EQ(SQLFetch(stmt), SQL_NO_DATA);
    if (c.isStatic) {
      ASSERT_EQ(SQLFetchScroll(stmt, SQL_FETCH_LAST, 0), SQL_SUCCESS);
      EXPECT_EQ(buffers(), "8:r8/0 9:r9/0 10:r10/0 n=3");
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    EXPECT_EQ(storedRows("select id, v from t10 where id > 10 order by id"),
              "11|new\n12|new\n13|new\n");
    exec("delete from t10 where id > 10");
  }
}

// What SQLGetInfo advertises about positioned operations, and for both cursor types every
// SQL_CA1_POS_* and SQL_CA1_BULK_* bit against the operation it names: a bit set names an
// operation that does not answer "HYC00", and an operation answering "HYC00" has its bit clear.
TEST_F(PeopleProgram, CursorAttributesNameWhatAnswers) {
  const std::pair<SQLUSMALLINT, SQLUINTEGER> answers[] = {
      {SQL_STATIC_CURSOR_ATTRIBUTES1, 0x1120F},
      {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, 9},
      {SQL_POS_OPERATIONS, SQL_POS_POSITION | SQL_POS_REFRESH | SQL_POS_ADD},
      {SQL_POSITIONED_STATEMENTS, 0}};
  for (const auto& [type, expected] : answers) {
    SQLUINTEGER value = 0xFFFFFFFF;
    ASSERT_EQ(SQLGetInfo(dbc, type, &value, sizeof value, nullptr), SQL_SUCCESS) << type;
    EXPECT_EQ(value, expected) << type;
  }

  enum Call { setPos, bulkOperations };
  struct Operation {
    SQLUINTEGER bit;
    Call call;
    SQLUSMALLINT operation;
  };
  const Operation operations[] = {
      {SQL_CA1_POS_POSITION, setPos, SQL_POSITION},
      {SQL_CA1_POS_REFRESH, setPos, SQL_REFRESH},
      {SQL_CA1_POS_UPDATE, setPos, SQL_UPDATE},
      {SQL_CA1_POS_DELETE, setPos, SQL_DELETE},
      {SQL_CA1_BULK_ADD, setPos, SQL_ADD},
      {SQL_CA1_BULK_ADD, bulkOperations, SQL_ADD},
      {SQL_CA1_BULK_UPDATE_BY_BOOKMARK, bulkOperations, SQL_UPDATE_BY_BOOKMARK},
      {SQL_CA1_BULK_DELETE_BY_BOOKMARK, bulkOperations, SQL_DELETE_BY_BOOKMARK},
      {SQL_CA1_BULK_FETCH_BY_BOOKMARK, bulkOperations, SQL_FETCH_BY_BOOKMARK},
  };
  const std::pair<SQLUINTEGER, SQLUSMALLINT> cursorTypes[] = {
      {SQL_CURSOR_FORWARD_ONLY, SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1},
      {SQL_CURSOR_STATIC, SQL_STATIC_CURSOR_ATTRIBUTES1}};
  SQLINTEGER nextId = 100;
  for (const auto& [cursorType, infoType] : cursorTypes) {
    SQLUINTEGER attributes = 0;
    ASSERT_EQ(SQLGetInfo(dbc, infoType, &attributes, sizeof attributes, nullptr), SQL_SUCCESS);
    for (const Operation& op : operations) {
      SCOPED_TRACE("cursor type " + std::to_string(cursorType) + ", bit " + std::to_string(op.bit) +
                   (op.call == setPos ? ", SQLSetPos " : ", SQLBulkOperations ") +
                   std::to_string(op.operation));
      SQLHSTMT stmt = statement();
      setAttribute(stmt, SQL_ATTR_CURSOR_TYPE, cursorType);
      SQLSetStmtAttr(stmt, SQL_ATTR_CONCURRENCY, attribute(SQL_CONCUR_LOCK), 0);
      SQLINTEGER id = 0;
      SQLBindCol(stmt, 1, SQL_C_SLONG, &id, 0, nullptr);
      run(stmt, "select id from people order by id");
      ASSERT_EQ(SQLFetch(stmt), SQL_SUCCESS);
      id = nextId++;
      const SQLRETURN rc = op.call == setPos ? SQLSetPos(stmt, 1, op.operation, SQL_LOCK_NO_CHANGE)
                                             : SQLBulkOperations(stmt, op.operation);
      const bool refused = rc == SQL_ERROR && sqlState(stmt) == "HYC00";
      const bool advertised = (attributes & op.bit) != 0;
      if (advertised) {
        EXPECT_FALSE(refused) << state(SQL_HANDLE_STMT, stmt);
        EXPECT_TRUE(SQL_SUCCEEDED(rc)) << state(SQL_HANDLE_STMT, stmt);
      }
      if (refused) {
        EXPECT_FALSE(advertised);
      }
      SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
  }
}

}  // namespace
