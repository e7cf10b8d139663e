// Reading a schema through the exported catalog functions, as a query tool does on connecting:
// SQLTables over every table, and SQLColumns on each table in turn, on databases of 500 and 2,000
// tables of 20 columns. The work should grow with the tables alone: the 2,000-table figures about
// four times the 500-table ones, and one SQLColumns call the same on either database.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/ExportConnection.h"

namespace {

constexpr int kColumns = 20;

std::string tableName(std::int64_t table) { return "catalog_table_" + std::to_string(table); }

// The statements that create `tables` tables of kColumns columns, in one transaction.
std::vector<std::string> schemaSetup(std::int64_t tables) {
  std::vector<std::string> setup = {"SET AUTOCOMMIT TO OFF"};
  for (std::int64_t table = 0; table < tables; ++table) {
    std::string sql = "CREATE TABLE " + tableName(table) + " (id INTEGER PRIMARY KEY";
    for (int column = 1; column < kColumns; ++column) {
      sql += ", column_" + std::to_string(column) +
             (column % 2 != 0 ? " VARCHAR(40)" : " NUMERIC(10,2)");
    }
    setup.push_back(sql + ")");
  }
  setup.push_back("COMMIT");
  return setup;
}

// Fetches every row with the name column bound, as a tool filling its tree does; the row count.
std::int64_t fetchNames(SQLHSTMT stmt, SQLUSMALLINT nameColumn) {
  char name[128];
  SQLLEN length = 0;
  SQLBindCol(stmt, nameColumn, SQL_C_CHAR, name, sizeof name, &length);
  std::int64_t rows = 0;
  while (SQL_SUCCEEDED(SQLFetch(stmt))) ++rows;
  SQLFreeStmt(stmt, SQL_CLOSE);
  SQLFreeStmt(stmt, SQL_UNBIND);
  return rows;
}

void catalogTables(benchmark::State& state) {
  const std::int64_t tables = state.range(0);
  SQLHDBC dbc = bench::exportConnection(state, schemaSetup(tables));
  if (dbc == SQL_NULL_HDBC) return;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  for (auto _ : state) {
    if (!SQL_SUCCEEDED(SQLTables(stmt, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0))) {
      state.SkipWithError("SQLTables failed");
      break;
    }
    // Every table and the server's catalog table.
    if (fetchNames(stmt, 3) != tables + 1) state.SkipWithError("SQLTables missed a table");
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(tables + 1),
                                                benchmark::Counter::kIsIterationInvariantRate);
}

// SQLColumns on every table: an iteration is the whole schema, the per-call time the iteration's
// divided by the tables.
void catalogColumns(benchmark::State& state) {
  const std::int64_t tables = state.range(0);
  SQLHDBC dbc = bench::exportConnection(state, schemaSetup(tables));
  if (dbc == SQL_NULL_HDBC) return;
  std::vector<std::string> names;
  for (std::int64_t table = 0; table < tables; ++table) names.push_back(tableName(table));
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
  for (auto _ : state) {
    for (std::string& name : names) {
      if (!SQL_SUCCEEDED(SQLColumns(stmt, nullptr, 0, nullptr, 0,
                                    reinterpret_cast<SQLCHAR*>(&name[0]), SQL_NTS, nullptr, 0)) ||
          fetchNames(stmt, 4) != kColumns) {
        state.SkipWithError("SQLColumns missed a column");
        break;
      }
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  state.counters["calls/s"] = benchmark::Counter(static_cast<double>(tables),
                                                 benchmark::Counter::kIsIterationInvariantRate);
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(tables * kColumns),
                                                benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(catalogTables)
    ->Arg(500)
    ->Arg(2000)
    ->ArgName("tables")
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(catalogColumns)
    ->Arg(500)
    ->Arg(2000)
    ->ArgName("tables")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
