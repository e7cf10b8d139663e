// Round-trip latency of small requests against the development server, in clear and encrypted:
// a ping, a statement the server answers itself, and a one-row UPDATE that SQLite commits.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/BenchServer.h"
#include "client/kvl.h"

namespace {

const std::vector<std::string> kSetup = {
    "CREATE TABLE counter (id INTEGER PRIMARY KEY, n INTEGER);",
    "INSERT INTO counter VALUES (1, 0);",
};

template <typename Request>
void roundTrip(benchmark::State& state, int encryption, Request request) {
  std::string error;
  bench::BenchServer* server = bench::BenchServer::get({}, kSetup, error);
  KvlConnection* connection = server != nullptr ? server->connection(encryption, error) : nullptr;
  if (connection == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    if (request(connection) != 0) {
      state.SkipWithError(kvl_error_message(connection));
      break;
    }
  }
  state.counters["calls/s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
}

int ping(KvlConnection* connection) { return kvl_ping(connection); }
int setAutocommit(KvlConnection* connection) { return kvl_execute(connection, "SET AUTOCOMMIT TO ON;"); }
int updateRow(KvlConnection* connection) {
  return kvl_execute(connection, "UPDATE counter SET n = n + 1 WHERE id = 1;");
}

void latency(benchmark::internal::Benchmark* benchmark) {
  benchmark->UseRealTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(roundTrip, ping_clear, 0, ping)->Apply(latency);
BENCHMARK_CAPTURE(roundTrip, ping_aes256, 4, ping)->Apply(latency);
BENCHMARK_CAPTURE(roundTrip, set_autocommit_clear, 0, setAutocommit)->Apply(latency);
BENCHMARK_CAPTURE(roundTrip, set_autocommit_aes256, 4, setAutocommit)->Apply(latency);
BENCHMARK_CAPTURE(roundTrip, update_clear, 0, updateRow)->Apply(latency);
BENCHMARK_CAPTURE(roundTrip, update_aes256, 4, updateRow)->Apply(latency);

}  // namespace
