// Fetching through the exports must not allocate per row: a counting operator new, replaced for
// this test program, shows that fetching 10,000 rows from the development server allocates no
// more than fetching 100, bound at rowset 100 and read by SQLGetData. The server's chunk size is
// above both, so that neither fetch waits on the network for another chunk.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/Odbc.h"
#include "tests/support/DevServer.h"
#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

}  // namespace

// Every form the driver may call, so that no allocation goes to another allocator than its
// release (the sanitizers replace each form of their own).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size) {
  if (void* memory = operator new(size, std::nothrow)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace {

constexpr SQLULEN kRowset = 100;

class ExportFetchAllocation : public testsupport::DevServerTest {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--chunk-rows", "20000"}; }

  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_SUCCESS);
    ASSERT_EQ(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                            reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_SUCCESS);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    std::string in = "Server=127.0.0.1;Port=" + std::to_string(port()) + ";UID=karvell;PWD=karvell";
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]),
                                               SQL_NTS, nullptr, 0, nullptr,
                                               SQL_DRIVER_NOPROMPT)));
    connected = true;
  }

  void TearDown() override {
    if (connected) SQLDisconnect(dbc);
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
    DevServerTest::TearDown();
  }

  // Allocations made while fetching every row of a result of `rowCount` rows, of a number and a
  // text, either both bound at rowset 100 or read by SQLGetData after each single-row fetch.
  std::size_t allocationsToFetch(int rowCount, bool getData) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    EXPECT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
    const SQLULEN rowset = getData ? 1 : kRowset;
    std::vector<SQLINTEGER> numbers(rowset);
    std::vector<SQLLEN> numberLengths(rowset);
    std::vector<SQLCHAR> texts(rowset * 32);
    std::vector<SQLLEN> textLengths(rowset);
    std::vector<SQLUSMALLINT> statuses(rowset);
    SQLULEN fetched = 0;
    EXPECT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset), 0),
              SQL_SUCCESS);
    EXPECT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_ROW_STATUS_PTR, statuses.data(), 0), SQL_SUCCESS);
    EXPECT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
    if (!getData) {
      EXPECT_EQ(SQLBindCol(stmt, 1, SQL_C_SLONG, numbers.data(), 0, numberLengths.data()),
                SQL_SUCCESS);
      EXPECT_EQ(SQLBindCol(stmt, 2, SQL_C_CHAR, texts.data(), 32, textLengths.data()),
                SQL_SUCCESS);
    }
    std::string sql = "select n, v from t where n <= " + std::to_string(rowCount) + " order by n";
    EXPECT_EQ(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(&sql[0]), SQL_NTS), SQL_SUCCESS);
    SQLULEN total = 0;
    allocations = 0;
    counting = true;
    while (SQLFetch(stmt) == SQL_SUCCESS) {
      total += fetched;
      if (getData) {
        SQLGetData(stmt, 1, SQL_C_SLONG, numbers.data(), 0, numberLengths.data());
        SQLGetData(stmt, 2, SQL_C_CHAR, texts.data(), 32, textLengths.data());
      }
    }
    counting = false;
    EXPECT_EQ(total, static_cast<SQLULEN>(rowCount));
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return allocations;
  }

  void exec(std::string sql) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(&sql[0]), SQL_NTS)))
        << sql;
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini;
#endif
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool connected = false;
};

TEST_F(ExportFetchAllocation, TenThousandRowsAllocateNoMoreThanAHundred) {
  exec("create table t (n integer, v text)");
  exec("insert into t with recursive c(n) as (select 1 union all select n + 1 from c "
       "where n < 10000) select n, 'text of row ' || n from c");
  for (bool getData : {false, true}) {
    SCOPED_TRACE(getData ? "SQLGetData" : "bound at rowset 100");
    const std::size_t few = allocationsToFetch(100, getData);
    const std::size_t many = allocationsToFetch(10000, getData);
    EXPECT_LE(many, few);
  }
}

}  // namespace
