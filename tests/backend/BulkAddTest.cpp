// Rows added through SQLBulkOperations against the development server: the texts it receives,
// the rows it stores, per-row failures, and the open result reading on afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backend/KarvellStatement.h"
#include "tests/backend/AllocationCounter.h"
#include "tests/backend/BackendServerTest.h"

namespace backendtest {
namespace {

SQLPOINTER number(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

class BulkAddTest : public BackendServerTest {
 protected:
  void SetUp() override {
    BackendServerTest::SetUp();
    if (IsSkipped()) return;
    connection_ = &newConnection();
    ASSERT_EQ(connectAsKarvell(*connection_), SQL_SUCCESS) << diagnostic(*connection_).message;
    auto setup = statement();
    for (const char* sql :
         {"create table people (id integer primary key, name text, note text default 'dflt')",
          "insert into people (id, name) values (1, 'a'), (2, 'b'), (3, 'c')"}) {
      ASSERT_TRUE(SQL_SUCCEEDED(setup->execDirect(sql, SQL_NTS))) << diagnostic(*setup).message;
    }
  }

  std::unique_ptr<KarvellStatement> statement() {
    return std::unique_ptr<KarvellStatement>(
        static_cast<KarvellStatement*>(connection_->createStatement()));
  }

  // Whether the server received the text (after the session number of the log line).
  bool logged(const std::string& text) {
    const auto log = sqlLog();
    return std::any_of(log.begin(), log.end(), [&text](const std::string& line) {
      return line.substr(line.find(' ') + 1) == text;
    });
  }

  KarvellConnection* connection_ = nullptr;
};

TEST_F(BulkAddTest, AddedRowsReachTheTableAndTheResultReadsOn) {
  auto stmt = statement();
  SQLINTEGER ids[2] = {};
  char names[2][16] = {};
  SQLLEN nameLengths[2] = {};
  SQLUSMALLINT statuses[2] = {};
  stmt->setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, number(2), 0);
  stmt->setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses, 0);
  ASSERT_EQ(stmt->execDirect("select id, name from people where id > 0", SQL_NTS), SQL_SUCCESS);
  stmt->bindCol(1, SQL_C_SLONG, ids, 0, nullptr);
  stmt->bindCol(2, SQL_C_CHAR, names, sizeof names[0], nameLengths);
  ASSERT_EQ(stmt->fetch(), SQL_SUCCESS);
  EXPECT_EQ(ids[1], 2);

  ids[0] = 10;
  ids[1] = 11;
  std::strcpy(names[0], "it's");
  std::strcpy(names[1], "x -- ?");
  nameLengths[0] = nameLengths[1] = SQL_NTS;
  ASSERT_EQ(stmt->bulkOperations(SQL_ADD), SQL_SUCCESS) << diagnostic(*stmt).message;
  EXPECT_EQ(statuses[0], SQL_ROW_ADDED);
  EXPECT_EQ(statuses[1], SQL_ROW_ADDED);
  EXPECT_TRUE(logged("insert into people (id, name) values (10, 'it''s')"));
  EXPECT_TRUE(logged("insert into people (id, name) values (11, 'x -- ?')"));
  EXPECT_EQ(serverValue("select name from people where id = 11"), "x -- ?");
  EXPECT_EQ(serverValue("select note from people where id = 10"), "dflt");

  // The forward-only result stands where it stood.
  ASSERT_EQ(stmt->fetch(), SQL_SUCCESS);
  EXPECT_EQ(ids[0], 3);
  EXPECT_EQ(statuses[1], SQL_ROW_NOROW);
  EXPECT_EQ(stmt->fetch(), SQL_NO_DATA);
}

TEST_F(BulkAddTest, AConstraintViolationFailsOnlyItsRow) {
  auto stmt = statement();
  SQLINTEGER ids[3] = {20, 2, 21};
  SQLUSMALLINT statuses[3] = {};
  stmt->setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, number(3), 0);
  stmt->setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses, 0);
  ASSERT_EQ(stmt->execDirect("select id from people", SQL_NTS), SQL_SUCCESS);
  stmt->bindCol(1, SQL_C_SLONG, ids, 0, nullptr);
  EXPECT_EQ(stmt->bulkOperations(SQL_ADD), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(statuses[0], SQL_ROW_ADDED);
  EXPECT_EQ(statuses[1], SQL_ROW_ERROR);
  EXPECT_EQ(statuses[2], SQL_ROW_ADDED);
  EXPECT_EQ(diagnostic(*stmt).state, "01S01");
  EXPECT_EQ(serverValue("select count(*) from people"), "5");
}

// An application whose SQL_C_CHAR text is in a code page (the rule on Windows): what it fetched
// goes back as the same characters, stored as UTF-8 as every other text.
TEST_F(BulkAddTest, CodePageTextIsStoredAsUtf8) {
  KarvellConnection& latin1 = newConnection();
  ASSERT_EQ(connectAsKarvell(latin1, "MultiByteEncoding=LATIN-1"), SQL_SUCCESS);
  auto setup = statement();
  ASSERT_EQ(setup->execDirect("update people set name = 'caf\xC3\xA9' where id = 1", SQL_NTS),
            SQL_SUCCESS);
  std::unique_ptr<Statement> stmt(latin1.createStatement());
  SQLINTEGER id = 0;
  char name[16] = {};
  SQLLEN nameLength = 0;
  ASSERT_EQ(stmt->execDirect("select id, name from people where id = 1", SQL_NTS), SQL_SUCCESS);
  stmt->bindCol(1, SQL_C_SLONG, &id, 0, nullptr);
  stmt->bindCol(2, SQL_C_CHAR, name, sizeof name, &nameLength);
  ASSERT_EQ(stmt->fetch(), SQL_SUCCESS);
  EXPECT_STREQ(name, "caf\xE9");

  id = 30;
  ASSERT_EQ(stmt->bulkOperations(SQL_ADD), SQL_SUCCESS) << diagnostic(*stmt).message;
  EXPECT_EQ(serverValue("select hex(name) from people where id = 30"), "636166C3A9");
  // ASCII text is the same in either.
  id = 31;
  std::strcpy(name, "plain");
  nameLength = SQL_NTS;
  ASSERT_EQ(stmt->bulkOperations(SQL_ADD), SQL_SUCCESS) << diagnostic(*stmt).message;
  EXPECT_EQ(serverValue("select name from people where id = 31"), "plain");
}

TEST_F(BulkAddTest, ARowsetAllocatesPerCallNotPerRow) {
  std::size_t allocations[2] = {};
  const SQLULEN rowsets[2] = {10, 100};
  for (int run = 0; run < 2; ++run) {
    const SQLULEN rowset = rowsets[run];
    auto stmt = statement();
    std::vector<SQLINTEGER> ids(rowset);
    std::vector<char> names(rowset * 8);
    std::vector<SQLLEN> lengths(rowset, SQL_NTS);
    stmt->setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, number(rowset), 0);
    ASSERT_EQ(stmt->execDirect("select id, name from people", SQL_NTS), SQL_SUCCESS);
    stmt->bindCol(1, SQL_C_SLONG, ids.data(), 0, nullptr);
    stmt->bindCol(2, SQL_C_CHAR, names.data(), 8, lengths.data());
    for (SQLULEN k = 0; k < rowset; ++k) {
      ids[k] = static_cast<SQLINTEGER>(100 * (run + 1) + k);
      std::strcpy(&names[k * 8], "name");
    }
    AllocationCounter counter;
    ASSERT_EQ(stmt->bulkOperations(SQL_ADD), SQL_SUCCESS) << diagnostic(*stmt).message;
    allocations[run] = counter.count();
  }
  // The text, the private statement and the reused buffers are made once per call.
  EXPECT_LE(allocations[1], allocations[0] + 5) << allocations[0] << " for 10 rows";
  EXPECT_EQ(serverValue("select count(*) from people"), "113");
}

}  // namespace
}  // namespace backendtest
