// Query round trips against the development server: kvl_select of a table of N rows x 4 columns
// (two integers, two texts) and a walk over every field, in clear, encrypted, compressed and in
// many chunks; and the walk alone over a result already read.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/BenchServer.h"
#include "bench/CursorWalk.h"
#include "bench/OrdersTable.h"
#include "client/kvl.h"

namespace {

// How the result travels: the server's options and the login's encryption level.
struct Transport {
  std::vector<std::string> serverArgs;
  int encryption;
};

const Transport kClear{{}, 0};
const Transport kEncrypted{{}, 4};
const Transport kCompressed{{"--compress-min", "256"}, 0};
const Transport kChunked{{"--chunk-rows", "100"}, 0};

KvlConnection* connect(benchmark::State& state, const Transport& transport) {
  std::string error;
  bench::BenchServer* server = bench::BenchServer::get(transport.serverArgs, bench::kOrdersSetup, error);
  KvlConnection* connection = server != nullptr ? server->connection(transport.encryption, error) : nullptr;
  if (connection == nullptr) state.SkipWithError(error.c_str());
  return connection;
}

// The whole result of sql, checked to hold the rows asked for; null after SkipWithError.
KvlCursor* selectRows(benchmark::State& state, KvlConnection* connection, const std::string& sql, std::int64_t rows) {
  KvlCursor* cursor = kvl_select(connection, sql.c_str());
  if (cursor == nullptr) {
    state.SkipWithError((sql + ": " + kvl_error_message(connection)).c_str());
  } else if (kvl_cursor_row_count(cursor) != rows) {
    state.SkipWithError((sql + ": " + std::to_string(kvl_cursor_row_count(cursor)) + " rows").c_str());
    kvl_cursor_free(cursor);
    cursor = nullptr;
  }
  return cursor;
}

void selectAndWalk(benchmark::State& state, const Transport& transport) {
  KvlConnection* connection = connect(state, transport);
  if (connection == nullptr) return;
  const std::int64_t rows = state.range(0);
  const std::string sql = bench::selectOrders(rows);
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    KvlCursor* cursor = selectRows(state, connection, sql, rows);
    if (cursor == nullptr) break;
    bytes += bench::walkCursor(cursor);
    kvl_cursor_free(cursor);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

void walkOnly(benchmark::State& state, const Transport& transport) {
  KvlConnection* connection = connect(state, transport);
  if (connection == nullptr) return;
  const std::int64_t rows = state.range(0);
  KvlCursor* cursor = selectRows(state, connection, bench::selectOrders(rows), rows);
  if (cursor == nullptr) return;
  const auto fields = static_cast<double>(rows * kvl_cursor_column_count(cursor));
  for (auto _ : state) {
    kvl_cursor_seek(cursor, KVL_SEEK_FIRST);
    benchmark::DoNotOptimize(bench::walkCursor(cursor));
  }
  kvl_cursor_free(cursor);
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["fields/s"] = benchmark::Counter(fields, benchmark::Counter::kIsIterationInvariantRate);
}

void resultSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1)->Arg(1000)->Arg(bench::kOrdersRows)->ArgName("rows")->UseRealTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(selectAndWalk, clear, kClear)->Apply(resultSizes);
BENCHMARK_CAPTURE(selectAndWalk, aes256, kEncrypted)->Apply(resultSizes);
BENCHMARK_CAPTURE(selectAndWalk, compressed, kCompressed)->Apply(resultSizes);
BENCHMARK_CAPTURE(selectAndWalk, chunks_of_100, kChunked)->Apply(resultSizes);
BENCHMARK_CAPTURE(walkOnly, one_chunk, kClear)->Apply(resultSizes);
BENCHMARK_CAPTURE(walkOnly, chunks_of_100, kChunked)->Apply(resultSizes);

}  // namespace
