// Fetching must not allocate per row or per cell: a counting operator new, replaced for this
// test program, shows that fetching many rows allocates no more than fetching a few.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Statement.h"
#include "tests/support/ScriptedConnection.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

class FetchAllocationTest : public ::testing::Test {
 protected:
  // Allocations made while fetching every row of a result of `rowCount` rows at rowset `size`,
  // with the bookmark and a number bound, reading the text column by SQLGetData after each fetch
  // when `getData` is set.
  std::size_t allocationsToFetch(SQLINTEGER rowCount, SQLULEN size, bool getData) {
    connection_.answer.columns = {"n", "t"};
    connection_.answer.rows.clear();
    for (SQLINTEGER row = 1; row <= rowCount; ++row) {
      connection_.answer.rows.push_back(
          {std::to_string(row), "text of row " + std::to_string(row)});
    }
    const std::unique_ptr<Statement> ownStatement(connection_.createStatement());
    Statement& statement = *ownStatement;
    EXPECT_EQ(statement.setStmtAttr(SQL_ATTR_USE_BOOKMARKS,
                                    reinterpret_cast<SQLPOINTER>(SQL_UB_VARIABLE), 0),
              SQL_SUCCESS);
    std::vector<SQLBIGINT> bookmarks(size);
    std::vector<SQLINTEGER> numbers(size);
    std::vector<SQLLEN> indicators(size);
    std::vector<SQLUSMALLINT> statuses(size);
    SQLULEN fetched = 0;
    EXPECT_EQ(statement.setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(size), 0),
              SQL_SUCCESS);
    EXPECT_EQ(statement.setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses.data(), 0), SQL_SUCCESS);
    EXPECT_EQ(statement.setStmtAttr(SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
    EXPECT_EQ(statement.bindCol(0, SQL_C_SBIGINT, bookmarks.data(), 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(statement.bindCol(1, SQL_C_SLONG, numbers.data(), 0, indicators.data()), SQL_SUCCESS);
    EXPECT_EQ(statement.execDirect("select n, t", SQL_NTS), SQL_SUCCESS);
    char text[64];
    SQLLEN length = 0;
    SQLULEN total = 0;
    allocations = 0;
    counting = true;
    while (statement.fetch() == SQL_SUCCESS) {
      total += fetched;
      if (getData) statement.getData(2, SQL_C_CHAR, text, sizeof text, &length);
    }
    counting = false;
    EXPECT_EQ(total, static_cast<SQLULEN>(rowCount));
    return allocations;
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC fetch test", "Ferrow", nullptr};
  testsupport::ScriptedConnection connection_{&environment_};
};

TEST_F(FetchAllocationTest, ManyRowsAllocateNoMoreThanAFew) {
  for (SQLULEN size : {1, 100}) {
    for (bool getData : {false, true}) {
      SCOPED_TRACE("rowset " + std::to_string(size) + (getData ? ", SQLGetData" : ""));
      EXPECT_LE(allocationsToFetch(10000, size, getData), allocationsToFetch(100, size, getData));
    }
  }
}

}  // namespace
