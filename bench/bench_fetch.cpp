// Fetching through the exported functions, as an application does: a select of N rows x 4
// columns (two integers, two texts) read with bound columns at rowsets of 1 and 100, and read
// with SQLGetData, beside the client library's own walk (bench_query).
#include <benchmark/benchmark.h>

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "bench/ExportConnection.h"
#include "bench/OrdersTable.h"

namespace {

// A statement with the select of `rows` rows executed; null after SkipWithError.
SQLHSTMT execute(benchmark::State& state, SQLHSTMT stmt, std::int64_t rows) {
  std::string sql = bench::selectOrders(rows);
  if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(&sql[0]), SQL_NTS))) {
    state.SkipWithError("SQLExecDirect failed");
    return SQL_NULL_HSTMT;
  }
  return stmt;
}

void fetchBound(benchmark::State& state) {
  SQLHDBC dbc = bench::exportConnection(state, bench::kOrdersSetup);
  if (dbc == SQL_NULL_HDBC) return;
  const std::int64_t rows = state.range(0);
  const auto rowset = static_cast<SQLULEN>(state.range(1));
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset), 0);
  SQLULEN fetched = 0;
  SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
  std::vector<SQLINTEGER> id(rowset), amount(rowset);
  std::vector<char> customer(rowset * 32), note(rowset * 64);
  std::vector<SQLLEN> indicators(rowset * 4);
  SQLBindCol(stmt, 1, SQL_C_SLONG, id.data(), 0, &indicators[0]);
  SQLBindCol(stmt, 2, SQL_C_SLONG, amount.data(), 0, &indicators[rowset]);
  SQLBindCol(stmt, 3, SQL_C_CHAR, customer.data(), 32, &indicators[2 * rowset]);
  SQLBindCol(stmt, 4, SQL_C_CHAR, note.data(), 64, &indicators[3 * rowset]);
  for (auto _ : state) {
    if (execute(state, stmt, rows) == SQL_NULL_HSTMT) break;
    std::int64_t total = 0;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) total += static_cast<std::int64_t>(fetched);
    if (total != rows) state.SkipWithError("not every row was fetched");
    SQLCloseCursor(stmt);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

void fetchGetData(benchmark::State& state) {
  SQLHDBC dbc = bench::exportConnection(state, bench::kOrdersSetup);
  if (dbc == SQL_NULL_HDBC) return;
  const std::int64_t rows = state.range(0);
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  for (auto _ : state) {
    if (execute(state, stmt, rows) == SQL_NULL_HSTMT) break;
    std::int64_t total = 0;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
      SQLINTEGER number = 0;
      char text[64];
      SQLLEN indicator = 0;
      SQLGetData(stmt, 1, SQL_C_SLONG, &number, 0, &indicator);
      SQLGetData(stmt, 2, SQL_C_SLONG, &number, 0, &indicator);
      SQLGetData(stmt, 3, SQL_C_CHAR, text, sizeof text, &indicator);
      SQLGetData(stmt, 4, SQL_C_CHAR, text, sizeof text, &indicator);
      ++total;
    }
    if (total != rows) state.SkipWithError("not every row was fetched");
    SQLCloseCursor(stmt);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(fetchBound)
    ->ArgsProduct({{100, 10000}, {1, 100}})
    ->ArgNames({"rows", "rowset"})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(fetchGetData)->Arg(100)->Arg(10000)->ArgName("rows")->UseRealTime()->Unit(benchmark::kMicrosecond);
