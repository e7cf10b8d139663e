// SQLPutData gathering a long value in many chunks: the time per chunk must stay flat as the
// chunk count grows (the buffer grows geometrically). The executions around it are not timed.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/Environment.h"
#include "tests/support/ScriptedConnection.h"

namespace {

void putDataChunks(benchmark::State& state) {
  Environment environment("karvod", "karvod64.dll", "Karvell ODBC bench", "Ferrow", nullptr);
  testsupport::ScriptedConnection connection(&environment);
  std::unique_ptr<Statement> statement(connection.createStatement());
  const auto chunks = state.range(0);
  std::string chunk(100, 'x');
  chunk[50] = '\'';
  char token[] = "value";
  SQLLEN lengthWord = SQL_DATA_AT_EXEC;
  statement->bindParameter(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR, 0, 0, token, 0,
                           &lengthWord);
  for (auto _ : state) {
    state.PauseTiming();
    connection.texts.clear();
    SQLPOINTER value = nullptr;
    if (statement->execDirect("insert into t values (?)", SQL_NTS) != SQL_NEED_DATA ||
        statement->paramData(&value) != SQL_NEED_DATA) {
      state.SkipWithError("no data at execution asked");
      break;
    }
    state.ResumeTiming();
    for (std::int64_t i = 0; i < chunks; ++i) {
      statement->putData(chunk.data(), static_cast<SQLLEN>(chunk.size()));
    }
    state.PauseTiming();
    const bool ran = statement->paramData(&value) == SQL_SUCCESS &&
                     connection.texts.back().size() > static_cast<std::size_t>(chunks) * 100;
    state.ResumeTiming();
    if (!ran) {
      state.SkipWithError("the statement did not run with the whole value");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * chunks * static_cast<std::int64_t>(chunk.size()));
  state.SetComplexityN(chunks);
}

BENCHMARK(putDataChunks)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
