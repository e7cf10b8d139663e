// SQLSetPos and SQLBulkOperations as an ODBC application calls them through the unixODBC Driver
// Manager against the development server: positioning and refreshing within a static rowset
// (every fetch orientation afterwards as if nothing had happened), updates and deletes refused,
// results reading on after an add, and the cursor attributes against what answers. The rows added
// themselves: AddedRowsProgramTest.cpp.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/integration/PositionedProgram.h"

namespace {

using integrationtest::PositionedProgram;
using integrationtest::PeopleProgram;
using integrationtest::attribute;

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
