// Adding rows through the exported functions in rowsets of 100: SQLBulkOperations(SQL_ADD) from
// bound columns beside SQLExecute of an INSERT with a parameter array of 100 sets. Both send one
// INSERT per row, so the two should take about the same time. The rows of an iteration are
// committed together: a commit per row would time the server's disk instead of the driver.
#include <benchmark/benchmark.h>

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/ExportConnection.h"

namespace {

const std::vector<std::string> kSetup = {
    "CREATE TABLE added (id INTEGER, amount INTEGER, customer TEXT);"};

constexpr SQLULEN kRowset = 100;
constexpr SQLLEN kTextSize = 32;

// One rowset of values, column-wise: what both ways send.
struct Rowset {
  std::vector<SQLINTEGER> ids = std::vector<SQLINTEGER>(kRowset);
  std::vector<SQLINTEGER> amounts = std::vector<SQLINTEGER>(kRowset);
  std::vector<char> customers = std::vector<char>(kRowset * kTextSize);
  std::vector<SQLLEN> customerLengths = std::vector<SQLLEN>(kRowset, SQL_NTS);

  void fill(std::int64_t first) {
    for (SQLULEN k = 0; k < kRowset; ++k) {
      const auto id = static_cast<SQLINTEGER>(first + static_cast<std::int64_t>(k));
      ids[k] = id;
      amounts[k] = (id * 7919) % 1000003;
      std::snprintf(&customers[k * kTextSize], kTextSize, "customer %06d", static_cast<int>(id));
    }
  }
};

// Empties the table, outside the timing.
void emptyTable(benchmark::State& state, SQLHDBC dbc) {
  state.PauseTiming();
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  SQLCHAR empty[] = "DELETE FROM added";
  SQLExecDirect(stmt, empty, SQL_NTS);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT);
  state.ResumeTiming();
}

// The benchmarks' connection in manual-commit mode; null after SkipWithError.
SQLHDBC connection(benchmark::State& state) {
  SQLHDBC dbc = bench::exportConnection(state, kSetup);
  if (dbc != SQL_NULL_HDBC) {
    SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
  }
  return dbc;
}

// Times adding `rows` rows a rowset at a time and committing them: `prepare` readies the statement
// over the rowset's buffers once (false on failure), `add` sends the rowset the buffers hold.
template <typename Prepare, typename Add>
void addRows(benchmark::State& state, Prepare prepare, Add add) {
  SQLHDBC dbc = connection(state);
  if (dbc == SQL_NULL_HDBC) return;
  const std::int64_t rows = state.range(0);
  Rowset rowset;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  if (!prepare(stmt, rowset)) state.SkipWithError("the statement could not be prepared");
  for (auto _ : state) {
    emptyTable(state, dbc);
    for (std::int64_t first = 0; first < rows; first += kRowset) {
      rowset.fill(first);
      if (add(stmt) != SQL_SUCCESS) {
        state.SkipWithError("a rowset was not added");
        break;
      }
    }
    SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT);
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

// SQLBulkOperations(SQL_ADD) on the open (empty) result of a select over the table.
void bulkAdd(benchmark::State& state) {
  const auto prepare = [](SQLHSTMT stmt, Rowset& rowset) {
    SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRowset), 0);
    SQLBindCol(stmt, 1, SQL_C_SLONG, rowset.ids.data(), 0, nullptr);
    SQLBindCol(stmt, 2, SQL_C_SLONG, rowset.amounts.data(), 0, nullptr);
    SQLBindCol(stmt, 3, SQL_C_CHAR, rowset.customers.data(), kTextSize,
               rowset.customerLengths.data());
    SQLCHAR query[] = "SELECT id, amount, customer FROM added";
    return SQL_SUCCEEDED(SQLExecDirect(stmt, query, SQL_NTS));
  };
  addRows(state, prepare, [](SQLHSTMT stmt) { return SQLBulkOperations(stmt, SQL_ADD); });
}

// SQLExecute of a prepared INSERT with a parameter array of a rowset's size.
void parameterArray(benchmark::State& state) {
  const auto prepare = [](SQLHSTMT stmt, Rowset& rowset) {
    SQLCHAR insert[] = "INSERT INTO added (id, amount, customer) VALUES (?, ?, ?)";
    SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(kRowset), 0);
    SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, rowset.ids.data(),
                     0, nullptr);
    SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                     rowset.amounts.data(), 0, nullptr);
    SQLBindParameter(stmt, 3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, kTextSize, 0,
                     rowset.customers.data(), kTextSize, rowset.customerLengths.data());
    return SQL_SUCCEEDED(SQLPrepare(stmt, insert, SQL_NTS));
  };
  addRows(state, prepare, [](SQLHSTMT stmt) { return SQLExecute(stmt); });
}

}  // namespace

BENCHMARK(bulkAdd)->Arg(10000)->ArgName("rows")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(parameterArray)
    ->Arg(10000)
    ->ArgName("rows")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
