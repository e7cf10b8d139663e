// Statements against the development server: what the server receives, what it stores, and the
// results read back.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backend/KarvellRecordset.h"
#include "backend/KarvellStatement.h"
#include "statement/Descriptor.h"
#include "statement/DescriptorRecord.h"
#include "tests/backend/AllocationCounter.h"
#include "tests/backend/BackendServerTest.h"

namespace backendtest {
namespace {

SQLPOINTER number(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

class ExecutionTest : public BackendServerTest {
 protected:
  void SetUp() override {
    BackendServerTest::SetUp();
    connection_ = &newConnection();
    ASSERT_EQ(connectAsKarvell(*connection_), SQL_SUCCESS) << diagnostic(*connection_).message;
  }

  std::unique_ptr<KarvellStatement> statement() {
    return std::unique_ptr<KarvellStatement>(
        static_cast<KarvellStatement*>(connection_->createStatement()));
  }

  // Runs over whatever the statement held before, which ends first, as ODBC asks.
  SQLRETURN run(KarvellStatement& stmt, const std::string& sql) {
    stmt.freeStmt(SQL_CLOSE);
    return stmt.execDirect(sql.c_str(), SQL_NTS);
  }

  // Every row of the current result through SQLFetch and SQLGetData as text ("NULL" for NULL).
  std::vector<std::vector<std::string>> rows(KarvellStatement& stmt) {
    SQLSMALLINT columns = 0;
    stmt.numResultCols(&columns);
    std::vector<std::vector<std::string>> table;
    while (stmt.fetch() == SQL_SUCCESS) {
      std::vector<std::string> row;
      for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columns); ++column) {
        char buffer[256] = {};
        SQLLEN length = 0;
        const SQLRETURN rc = stmt.getData(column, SQL_C_CHAR, buffer, sizeof buffer, &length);
        EXPECT_TRUE(SQL_SUCCEEDED(rc)) << diagnostic(stmt).message;
        row.push_back(length == SQL_NULL_DATA ? "NULL" : std::string(buffer));
      }
      table.push_back(row);
    }
    return table;
  }

  KarvellConnection* connection_ = nullptr;
};

using Table = std::vector<std::vector<std::string>>;

TEST_F(ExecutionTest, EscapesAsTheServerReceivesThem) {
  auto stmt = statement();
  ASSERT_EQ(run(*stmt, "SELECT {fn UCASE('a')}, {d '2012-01-31'}, '{1/2/2005}', {12/31/99}, "
                       "{10:30}, {12/31/2012 10:30}"),
            SQL_SUCCESS)
      << diagnostic(*stmt).message;
  EXPECT_EQ(sqlLog().back(),
            "2 SELECT UCASE('a'), '2012-01-31', '{1/2/2005}', DATE '1999-12-31', TIME '10:30', "
            "TIMESTAMP '2012-12-31 10:30'");
  EXPECT_EQ(rows(*stmt),
            (Table{{"A", "2012-01-31", "{1/2/2005}", "1999-12-31", "10:30", "2012-12-31 10:30"}}));
}

TEST_F(ExecutionTest, RowReturningTextsComeBackWithTheirRows) {
  auto stmt = statement();
  for (const char* sql :
       {"WITH x AS (SELECT 1) SELECT * FROM x", "VALUES (1)", "(SELECT 1)",
        "-- leading comment\nSELECT 1", "/* c */ SELECT 1", "\xEF\xBB\xBFSELECT 1",
        "show databases", "PRAGMA user_version"}) {
    ASSERT_TRUE(SQL_SUCCEEDED(run(*stmt, sql))) << sql << diagnostic(*stmt).message;
    const Table table = rows(*stmt);
    ASSERT_EQ(table.size(), 1u) << sql;
    EXPECT_FALSE(table[0].empty()) << sql;
  }
  ASSERT_TRUE(SQL_SUCCEEDED(run(*stmt, "EXPLAIN SELECT 1")));
  EXPECT_FALSE(rows(*stmt).empty());
  ASSERT_EQ(run(*stmt, "PRAGMA user_version = 5"), SQL_SUCCESS);
  EXPECT_EQ(sqlLog().back(), "3 PRAGMA user_version = 5");
  SQLSMALLINT columns = 9;
  stmt->numResultCols(&columns);
  EXPECT_EQ(columns, 0);
}

TEST_F(ExecutionTest, ServerErrorsAreHY000WithTheServersText) {
  auto stmt = statement();
  EXPECT_EQ(run(*stmt, "SELECT * FROM missing"), SQL_ERROR);
  const Diagnostic record = diagnostic(*stmt);
  EXPECT_EQ(record.state, "HY000");
  EXPECT_EQ(record.native, 7010);
  EXPECT_NE(record.message.find("missing"), std::string::npos) << record.message;
  EXPECT_EQ(stmt->serverCursor(), nullptr);
}

class ParameterSetTest : public ExecutionTest {
 protected:
  void SetUp() override {
    ExecutionTest::SetUp();
    auto stmt = statement();
    ASSERT_EQ(run(*stmt, "CREATE TABLE t(x INTEGER CHECK (x < 100), label TEXT)"), SQL_SUCCESS);
  }

  // Binds three sets of x (and a label per set) to "INSERT INTO t VALUES (?, ?)".
  void bindSets(KarvellStatement& stmt, SQLINTEGER (&values)[3]) {
    ASSERT_EQ(stmt.setStmtAttr(SQL_ATTR_PARAMSET_SIZE, number(3), 0), SQL_SUCCESS);
    ASSERT_EQ(stmt.setStmtAttr(SQL_ATTR_PARAM_STATUS_PTR, statuses_, 0), SQL_SUCCESS);
    ASSERT_EQ(stmt.setStmtAttr(SQL_ATTR_PARAMS_PROCESSED_PTR, &processed_, 0), SQL_SUCCESS);
    ASSERT_EQ(stmt.bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, values, 0,
                                 nullptr),
              SQL_SUCCESS);
    ASSERT_EQ(stmt.bindParameter(2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 8, 0, labels_,
                                 sizeof labels_[0], labelLengths_),
              SQL_SUCCESS);
  }

  char labels_[3][8] = {"one", "it's", "three"};
  SQLLEN labelLengths_[3] = {SQL_NTS, SQL_NTS, SQL_NTS};
  SQLUSMALLINT statuses_[3] = {99, 99, 99};
  SQLULEN processed_ = 99;
};

TEST_F(ParameterSetTest, EachSetIsItsOwnStatement) {
  auto stmt = statement();
  SQLINTEGER values[3] = {1, 2, 3};
  bindSets(*stmt, values);
  ASSERT_EQ(run(*stmt, "INSERT INTO t VALUES (?, ?)"), SQL_SUCCESS) << diagnostic(*stmt).message;
  const std::vector<std::string> log = sqlLog();
  EXPECT_EQ(serverValue("SELECT group_concat(x || ':' || label, ',') FROM t"),
            "1:one,2:it's,3:three");
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
            (std::vector<std::string>{"3 INSERT INTO t VALUES (1, 'one')",
                                      "3 INSERT INTO t VALUES (2, 'it''s')",
                                      "3 INSERT INTO t VALUES (3, 'three')"}));
  EXPECT_EQ(processed_, 3u);
  EXPECT_EQ(statuses_[2], SQL_PARAM_SUCCESS);
}

TEST_F(ParameterSetTest, AFailingSetIsReportedWithItsRow) {
  auto stmt = statement();
  SQLINTEGER values[3] = {1, 200, 3};
  bindSets(*stmt, values);
  EXPECT_EQ(run(*stmt, "INSERT INTO t VALUES (?, ?)"), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(statuses_[0], SQL_PARAM_SUCCESS);
  EXPECT_EQ(statuses_[1], SQL_PARAM_ERROR);
  EXPECT_EQ(statuses_[2], SQL_PARAM_SUCCESS);
  EXPECT_EQ(processed_, 3u);
  SQLLEN row = 0;
  ASSERT_EQ(stmt->getDiagField(1, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(row, 2);
  EXPECT_EQ(diagnostic(*stmt).state, "HY000");
  EXPECT_EQ(serverValue("SELECT group_concat(x, ',') FROM t"), "1,3");

  values[0] = 101;
  values[2] = 103;
  EXPECT_EQ(run(*stmt, "INSERT INTO t VALUES (?, ?)"), SQL_ERROR) << "every set failed";
  EXPECT_EQ(statuses_[0], SQL_PARAM_ERROR);
  EXPECT_EQ(serverValue("SELECT count(*) FROM t"), "2");
}

TEST_F(ParameterSetTest, IgnoredSetsAreNotSent) {
  auto stmt = statement();
  SQLINTEGER values[3] = {1, 2, 3};
  bindSets(*stmt, values);
  SQLUSMALLINT operations[3] = {SQL_PARAM_PROCEED, SQL_PARAM_IGNORE, SQL_PARAM_PROCEED};
  ASSERT_EQ(stmt->setStmtAttr(SQL_ATTR_PARAM_OPERATION_PTR, operations, 0), SQL_SUCCESS);
  const std::size_t before = sqlLog().size();
  ASSERT_EQ(run(*stmt, "INSERT INTO t VALUES (?, ?)"), SQL_SUCCESS);
  EXPECT_EQ(sqlLog().size(), before + 2);
  EXPECT_EQ(statuses_[1], SQL_PARAM_UNUSED);
  EXPECT_EQ(processed_, 2u);
  EXPECT_EQ(serverValue("SELECT group_concat(x, ',') FROM t"), "1,3");
}

TEST_F(ExecutionTest, BinaryAndDateParametersAreStoredExactly) {
  auto stmt = statement();
  ASSERT_EQ(run(*stmt, "CREATE TABLE v(b BLOB, d DATE, s TEXT)"), SQL_SUCCESS);
  unsigned char bytes[] = {0x00, 0x27, 0xFF};
  SQLLEN byteLength = sizeof bytes;
  SQL_DATE_STRUCT date{2012, 3, 7};
  char text[] = "'; DROP TABLE v; --";
  ASSERT_EQ(stmt->bindParameter(1, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY, 3, 0, bytes,
                                sizeof bytes, &byteLength),
            SQL_SUCCESS);
  ASSERT_EQ(stmt->bindParameter(2, SQL_PARAM_INPUT, SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, 0, &date,
                                0, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(stmt->bindParameter(3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 40, 0, text,
                                sizeof text, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(run(*stmt, "INSERT INTO v VALUES (?, ?, ?)"), SQL_SUCCESS)
      << diagnostic(*stmt).message << " " << sqlLog().back();
  EXPECT_EQ(serverValue("SELECT hex(b) || '|' || d || '|' || s FROM v"),
            "0027FF|2012-03-07|'; DROP TABLE v; --");
}

TEST_F(ExecutionTest, DeclaredTypesAndExpressionsAreDescribed) {
  auto stmt = statement();
  ASSERT_EQ(run(*stmt,
                "CREATE TABLE d(i INT, v VARCHAR(40), t TEXT, b BLOB, f BOOL, dt DATE, tm TIME, "
                "ts TIMESTAMP, c CURRENCY, r DOUBLE)"),
            SQL_SUCCESS);
  // Expressions are typed by their first value.
  ASSERT_EQ(run(*stmt, "INSERT INTO d (i) VALUES (1)"), SQL_SUCCESS);
  struct Expected {
    SQLSMALLINT odbc3;
    SQLSMALLINT odbc2;
    SQLSMALLINT wide;
  };
  const Expected expected[] = {
      {SQL_BIGINT, SQL_BIGINT, SQL_BIGINT},
      // Text of a result read whole is described by its values.
      {SQL_VARCHAR, SQL_VARCHAR, SQL_WVARCHAR},
      {SQL_VARCHAR, SQL_VARCHAR, SQL_WVARCHAR},
      {SQL_LONGVARBINARY, SQL_LONGVARBINARY, SQL_LONGVARBINARY},
      {SQL_BIT, SQL_BIT, SQL_BIT},
      {SQL_TYPE_DATE, SQL_DATE, SQL_TYPE_DATE},
      {SQL_TYPE_TIME, SQL_TIME, SQL_TYPE_TIME},
      {SQL_TYPE_TIMESTAMP, SQL_TIMESTAMP, SQL_TYPE_TIMESTAMP},
      {SQL_FLOAT, SQL_FLOAT, SQL_FLOAT},
      {SQL_DOUBLE, SQL_DOUBLE, SQL_DOUBLE},
      {SQL_DOUBLE, SQL_DOUBLE, SQL_DOUBLE},  // the expression 1.5
  };
  for (const int variant : {0, 1, 2}) {
    SCOPED_TRACE(variant);
    environment().setOdbcVersion(variant == 1 ? SQL_OV_ODBC2 : SQL_OV_ODBC3);
    connection_->setUnicodeTextTypes(variant == 2);
    auto query = statement();
    ASSERT_EQ(run(*query, "SELECT *, 1.5 FROM d"), SQL_SUCCESS);
    for (SQLUSMALLINT column = 1; column <= std::size(expected); ++column) {
      SQLSMALLINT type = 0;
      ASSERT_EQ(query->describeCol(column, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr),
                SQL_SUCCESS);
      const Expected& e = expected[column - 1];
      EXPECT_EQ(type, variant == 0 ? e.odbc3 : variant == 1 ? e.odbc2 : e.wide) << column;
    }
  }
}

TEST_F(ExecutionTest, IntegersBeyond32BitsReadBackExactly) {
  auto stmt = statement();
  ASSERT_EQ(run(*stmt, "CREATE TABLE n(x INTEGER)"), SQL_SUCCESS);
  ASSERT_EQ(run(*stmt, "INSERT INTO n VALUES (5000000000), (-1)"), SQL_SUCCESS);
  ASSERT_EQ(run(*stmt, "SELECT x FROM n ORDER BY x DESC"), SQL_SUCCESS);
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  ASSERT_EQ(stmt->describeCol(1, nullptr, 0, nullptr, &type, &size, nullptr, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(type, SQL_BIGINT);
  EXPECT_EQ(size, 19u);
  const SQLBIGINT expected[] = {5000000000LL, -1};
  for (const SQLBIGINT value : expected) {
    ASSERT_EQ(stmt->fetch(), SQL_SUCCESS);
    SQLBIGINT read = 0;
    ASSERT_EQ(stmt->getData(1, SQL_C_SBIGINT, &read, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(read, value);
  }
  ASSERT_EQ(run(*stmt, "SELECT x FROM n ORDER BY x DESC"), SQL_SUCCESS);
  ASSERT_EQ(stmt->fetch(), SQL_SUCCESS);
  char text[32] = {};
  ASSERT_EQ(stmt->getData(1, SQL_C_CHAR, text, sizeof text, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(text, "5000000000");
  ASSERT_EQ(run(*stmt, "SELECT x FROM n ORDER BY x DESC"), SQL_SUCCESS);
  ASSERT_EQ(stmt->fetch(), SQL_SUCCESS);
  SQLINTEGER narrow = 0;
  EXPECT_EQ(stmt->getData(1, SQL_C_SLONG, &narrow, 0, nullptr), SQL_ERROR);
  EXPECT_EQ(diagnostic(*stmt).state, "22003");
}

TEST_F(ExecutionTest, ACommandAfterAQueryDetachesItsRows) {
  auto stmt = statement();
  ASSERT_EQ(run(*stmt, "CREATE TABLE q(x)"), SQL_SUCCESS);
  ASSERT_EQ(run(*stmt, "SELECT 1 UNION SELECT 2"), SQL_SUCCESS);
  Recordset* rows = stmt->recordset();
  ASSERT_EQ(rows->next(), SQL_SUCCESS);
  ASSERT_EQ(stmt->executeFinalizedQuery("INSERT INTO q VALUES (1)", 0), SQL_SUCCESS);
  EXPECT_EQ(stmt->serverCursor(), nullptr);
  EXPECT_EQ(rows->next(), SQL_NO_DATA);
  EXPECT_EQ(rows->bindRow(0, SQL_RD_ON), SQL_SUCCESS);

  // A prepared query executed twice has its columns once.
  ASSERT_EQ(stmt->freeStmt(SQL_CLOSE), SQL_SUCCESS);
  ASSERT_EQ(stmt->prepare("SELECT 1, 2", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(stmt->execute(), SQL_SUCCESS);
  ASSERT_EQ(stmt->freeStmt(SQL_CLOSE), SQL_SUCCESS);
  ASSERT_EQ(stmt->execute(), SQL_SUCCESS);
  SQLSMALLINT columns = 0;
  stmt->numResultCols(&columns);
  EXPECT_EQ(columns, 2);
}

// 50 rows in chunks of 7, of every kind of value.
class ChunkedResultTest : public ExecutionTest,
                          public ::testing::WithParamInterface<const char*> {
 protected:
  std::vector<std::string> extraServerArgs() const override {
    return {"--chunk-rows", "7", "--compress-min", "64"};
  }
  static std::string text(int row) { return row % 5 == 0 ? "" : "row " + std::to_string(row); }
  static std::string blob(int row) { return std::string("\0b\0", 3) + std::to_string(row); }
};

TEST_P(ChunkedResultTest, RowsAreReadInPlaceWithoutAllocating) {
  KarvellConnection& encrypted = newConnection();
  ASSERT_EQ(connectAsKarvell(encrypted, std::string("Encryption=") + GetParam() + ";"),
            SQL_SUCCESS)
      << diagnostic(encrypted).message;
  auto setup = statement();
  ASSERT_EQ(run(*setup, "CREATE TABLE r(i INTEGER, t TEXT, b BLOB, n TEXT)"), SQL_SUCCESS);
  for (int row = 1; row <= 50; ++row) {
    std::string hex;
    for (const unsigned char c : blob(row)) {
      static const char digits[] = "0123456789ABCDEF";
      hex += digits[c >> 4];
      hex += digits[c & 15];
    }
    ASSERT_EQ(run(*setup, "INSERT INTO r VALUES (" + std::to_string(row) + ", '" + text(row) +
                              "', X'" + hex + "', " + (row % 3 ? "NULL" : "'x'") + ")"),
              SQL_SUCCESS);
  }
  for (const SQLULEN cursorType : {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC}) {
    SCOPED_TRACE(cursorType);
    std::unique_ptr<KarvellStatement> stmt(
        static_cast<KarvellStatement*>(encrypted.createStatement()));
    ASSERT_EQ(stmt->setStmtAttr(SQL_ATTR_CURSOR_TYPE, number(cursorType), 0), SQL_SUCCESS);
    ASSERT_EQ(run(*stmt, "SELECT i, t, b, n FROM r ORDER BY i"), SQL_SUCCESS);
    Recordset* rows = stmt->recordset();
    const Descriptor& ird = *stmt->impRowDesc();
    std::vector<std::string> texts;
    std::vector<std::string> blobs;
    std::vector<SQLLEN> nulls;
    texts.reserve(50);
    blobs.reserve(50);
    nulls.reserve(50);
    const auto value = [&ird](SQLSMALLINT column) {
      const DescriptorRecord& record = *ird.getRecord(column);
      const char* data = static_cast<const char**>(record.getDataPtr())[0];
      return std::string_view(data ? data : "", static_cast<std::size_t>(record.getOctetLengthPtr()[0]));
    };
    int count = 0;
    {
      AllocationCounter counter;
      while (rows->next() == SQL_SUCCESS) {
        rows->bindRow(0, SQL_RD_ON);
        ++count;
        texts.emplace_back(value(2));
        blobs.emplace_back(value(3));
        nulls.push_back(ird.getRecord(4)->getIndicatorPtr()[0]);
        EXPECT_NE(static_cast<const char**>(ird.getRecord(2)->getDataPtr())[0], nullptr);
      }
      // The copies into the test's own strings allocate; the walk itself must not.
      EXPECT_LE(counter.count(), 100u);
    }
    ASSERT_EQ(count, 50);
    for (int row = 1; row <= 50; ++row) {
      EXPECT_EQ(texts[row - 1], text(row)) << row;
      EXPECT_EQ(blobs[row - 1], blob(row)) << row;
      EXPECT_EQ(nulls[row - 1], row % 3 ? SQL_NULL_DATA : 0) << row;
    }
    // The walk alone: not one allocation.
    ASSERT_EQ(run(*stmt, "SELECT i, t, b, n FROM r ORDER BY i"), SQL_SUCCESS);
    rows = stmt->recordset();
    AllocationCounter counter;
    while (rows->next() == SQL_SUCCESS) rows->bindRow(0, SQL_RD_ON);
    EXPECT_EQ(counter.count(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Encryption, ChunkedResultTest, ::testing::Values("none", "AES256"));

// A server may keep a result on its side and hand it out chunk by chunk as it is read.
class ServerSideCursorTest : public ExecutionTest {
 protected:
  std::vector<std::string> extraServerArgs() const override {
    return {"--chunk-rows", "2", "--server-cursors"};
  }
};

TEST_F(ServerSideCursorTest, EveryRowIsReadWhateverTheCursorType) {
  auto setup = statement();
  ASSERT_EQ(run(*setup, "CREATE TABLE s(i INTEGER)"), SQL_SUCCESS);
  ASSERT_EQ(run(*setup, "INSERT INTO s VALUES (1), (2), (3), (4), (5)"), SQL_SUCCESS);
  const std::vector<std::vector<std::string>> expected = {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}};
  for (const SQLULEN cursorType : {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC}) {
    SCOPED_TRACE(cursorType);
    auto stmt = statement();
    ASSERT_EQ(stmt->setStmtAttr(SQL_ATTR_CURSOR_TYPE, number(cursorType), 0), SQL_SUCCESS);
    ASSERT_EQ(run(*stmt, "SELECT i FROM s ORDER BY i"), SQL_SUCCESS) << diagnostic(*stmt).message;
    EXPECT_EQ(rows(*stmt), expected);
  }
}

TEST_F(ServerSideCursorTest, TheServerVersionIsRead) {
  char version[32] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(connection_->getInfo(SQL_DBMS_VER, version, sizeof version, &length), SQL_SUCCESS);
  EXPECT_STREQ(version, "5.7.3");
}

}  // namespace
}  // namespace backendtest
