// The driver's own path against the development server, each beside the client library's: a query
// through KarvellStatement and its row source, walked with next and bindRow the way SQLFetch does,
// next to kvl_select and bench_query's raw walk (the ratio driver/raw should stay within 1.2); the
// two walks alone over one result; and a connect with the set-up commands (login, autocommit,
// SHOW INFO, client type) next to a bare kvl_connect.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backend/DriverFactories.h"
#include "backend/KarvellConnection.h"
#include "backend/KarvellRecordset.h"
#include "backend/KarvellStatement.h"
#include "bench/BenchServer.h"
#include "bench/CursorWalk.h"
#include "bench/OrdersTable.h"
#include "client/kvl.h"
#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/DescriptorRecord.h"
#include "statement/Recordset.h"

namespace {

// How the result travels: the server's options and the encryption, as a connection string names
// it and as kvl_connect takes it.
struct Transport {
  std::vector<std::string> serverArgs;
  const char* encryption;
  int level;
};

const Transport kClear{{}, "none", 0};
const Transport kEncrypted{{}, "AES256", 4};
const Transport kCompressed{{"--compress-min", "256"}, "none", 0};
const Transport kChunked{{"--chunk-rows", "100"}, "none", 0};

double seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bench::BenchServer* server(benchmark::State& state, const Transport& transport) {
  std::string error;
  bench::BenchServer* found = bench::BenchServer::get(transport.serverArgs, bench::kOrdersSetup, error);
  if (found == nullptr) state.SkipWithError(error.c_str());
  return found;
}

std::string connectionString(int port, const char* encryption) {
  return "SERVER=127.0.0.1;PORT=" + std::to_string(port) + ";UID=karvell;PWD=karvell;Encryption=" +
         encryption + ";";
}

// Reads every field the row source hands to the implementation row descriptor, from the
// record's arrays as a fetch's conversion does.
std::uint64_t walk(Recordset& rows, const Descriptor& ird) {
  std::vector<std::pair<const char* const*, const SQLLEN*>> arrays;
  for (SQLSMALLINT column = 1; column <= ird.getCount(); ++column) {
    const DescriptorRecord& record = *ird.getRecord(column);
    arrays.emplace_back(static_cast<const char* const*>(record.getDataPtr()), record.getOctetLengthPtr());
  }
  std::uint64_t bytes = 0;
  while (rows.next() == SQL_SUCCESS) {
    rows.bindRow(0, SQL_RD_ON);
    for (const auto& [data, lengths] : arrays) {
      benchmark::DoNotOptimize(data[0]);
      bytes += static_cast<std::uint64_t>(lengths[0]);
    }
  }
  return bytes;
}

// Per iteration the raw client's select and walk, then the driver's execution and walk of the same
// query, each timed; "driver/raw" is the ratio of their totals.
void executeAndWalk(benchmark::State& state, const Transport& transport) {
  bench::BenchServer* found = server(state, transport);
  if (found == nullptr) return;
  std::string error;
  KvlConnection* raw = found->connection(transport.level, error);
  const std::unique_ptr<Environment> environment(createEnvironment());
  KarvellConnection connection(environment.get());
  std::string out;
  if (raw == nullptr ||
      connection.driverConnect(nullptr, connectionString(found->port(), transport.encryption), out,
                               SQL_DRIVER_NOPROMPT) != SQL_SUCCESS) {
    state.SkipWithError("connect failed");
    return;
  }
  const std::int64_t rows = state.range(0);
  const std::string sql = bench::selectOrders(rows);
  KarvellStatement statement(&connection);
  double rawSeconds = 0;
  double driverSeconds = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    KvlCursor* cursor = kvl_select(raw, sql.c_str());
    if (cursor == nullptr) {
      state.SkipWithError(kvl_error_message(raw));
      break;
    }
    benchmark::DoNotOptimize(bench::walkCursor(cursor));
    kvl_cursor_free(cursor);
    rawSeconds += seconds(start);
    start = std::chrono::steady_clock::now();
    if (statement.execDirect(sql.c_str(), SQL_NTS) != SQL_SUCCESS || statement.recordset() == nullptr) {
      state.SkipWithError("query failed");
      break;
    }
    benchmark::DoNotOptimize(walk(*statement.recordset(), *statement.impRowDesc()));
    statement.freeStmt(SQL_CLOSE);
    driverSeconds += seconds(start);
  }
  statement.freeStmt(SQL_DROP);
  state.counters["driver/raw"] = rawSeconds > 0 ? driverSeconds / rawSeconds : 0;
}

void resultSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1)->Arg(1000)->Arg(bench::kOrdersRows)->ArgName("rows")->UseRealTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(executeAndWalk, clear, kClear)->Apply(resultSizes);
BENCHMARK_CAPTURE(executeAndWalk, aes256, kEncrypted)->Apply(resultSizes);
BENCHMARK_CAPTURE(executeAndWalk, compressed, kCompressed)->Apply(resultSizes);
BENCHMARK_CAPTURE(executeAndWalk, chunks_of_100, kChunked)->Apply(resultSizes);

// The walks alone over one result already read, raw and through the row source, in turn within
// each iteration so that both see the same machine.
void walks(benchmark::State& state, const Transport& transport) {
  bench::BenchServer* found = server(state, transport);
  if (found == nullptr) return;
  const std::unique_ptr<Environment> environment(createEnvironment());
  KarvellConnection connection(environment.get());
  std::string out;
  const std::string sql = bench::selectOrders(state.range(0));
  KarvellStatement statement(&connection);
  if (connection.driverConnect(nullptr, connectionString(found->port(), transport.encryption), out,
                               SQL_DRIVER_NOPROMPT) != SQL_SUCCESS ||
      statement.execDirect(sql.c_str(), SQL_NTS) != SQL_SUCCESS) {
    state.SkipWithError("query failed");
    return;
  }
  KvlCursor* cursor = statement.serverCursor();
  double raw = 0;
  double driver = 0;
  for (auto _ : state) {
    kvl_cursor_seek(cursor, KVL_SEEK_FIRST);
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(bench::walkCursor(cursor));
    raw += seconds(start);
    kvl_cursor_seek(cursor, KVL_SEEK_FIRST);
    KarvellRecordset rows(&statement, cursor);
    start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(walk(rows, *statement.impRowDesc()));
    driver += seconds(start);
  }
  statement.freeStmt(SQL_DROP);
  state.counters["driver/raw"] = raw > 0 ? driver / raw : 0;
}

BENCHMARK_CAPTURE(walks, one_chunk, kClear)->Apply(resultSizes);
BENCHMARK_CAPTURE(walks, chunks_of_100, kChunked)->Apply(resultSizes);

// A connect and its disconnect, through the driver and bare.
void connectWithSetup(benchmark::State& state) {
  bench::BenchServer* found = server(state, kClear);
  if (found == nullptr) return;
  const std::unique_ptr<Environment> environment(createEnvironment());
  const std::string in = connectionString(found->port(), "none");
  for (auto _ : state) {
    KarvellConnection connection(environment.get());
    std::string out;
    if (connection.driverConnect(nullptr, in, out, SQL_DRIVER_NOPROMPT) != SQL_SUCCESS) {
      state.SkipWithError("connect failed");
      break;
    }
    connection.disconnect();
  }
}

void bareConnect(benchmark::State& state) {
  bench::BenchServer* found = server(state, kClear);
  if (found == nullptr) return;
  for (auto _ : state) {
    KvlConnection* connection = nullptr;
    if (kvl_connect(&connection, "127.0.0.1", found->port(), "karvell", "karvell", 12, 0) != 0) {
      state.SkipWithError("connect failed");
      kvl_disconnect(connection, 0);
      break;
    }
    kvl_disconnect(connection, 1);
  }
}

BENCHMARK(connectWithSetup)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(bareConnect)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
