// Diagnostics at volume: posting many records on one handle, and a fetch whose every cell warns
// next to the same fetch without warnings. Both must grow linearly with the records posted.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/DiagnosticHeader.h"
#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "tests/statement/ResultColumns.h"
#include "tests/support/RecordingConnection.h"

namespace {

constexpr SQLSMALLINT kColumns = 5;
constexpr SQLULEN kRows = 2000;

Environment& environment() {
  static Environment instance("karvod", "karvod64.dll", "Karvell ODBC bench", "Ferrow", nullptr);
  return instance;
}

void postDiagnostics(benchmark::State& state) {
  DiagnosticHeader diagnostics(&environment());
  const auto records = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int i = 0; i < records; ++i) diagnostics.post("01004", 0, "", 1, i + 1);
    benchmark::DoNotOptimize(diagnostics.isEmpty());
    diagnostics.clear();
  }
  state.SetItemsProcessed(state.iterations() * records);
}

// A rowset of kRows rows of kColumns text columns, each cell "abcdefgh", into buffers of
// `bufferLength` bytes: 4 cuts every cell with "01004", 16 takes every cell whole.
void convertRowset(benchmark::State& state) {
  const auto bufferLength = static_cast<SQLLEN>(state.range(0));
  testsupport::RecordingConnection connection(&environment());
  testsupport::ResultColumns result(connection, 1);
  Descriptor ard(&connection, DescriptorType::applicationRow);
  auto data = std::make_unique<char[]>(kColumns * kRows * static_cast<SQLULEN>(bufferLength));
  auto lengths = std::make_unique<SQLLEN[]>(kColumns * kRows);
  for (SQLSMALLINT column = 1; column <= kColumns; ++column) {
    result.add(SQL_VARCHAR);
    result.set(column, 0, std::string("abcdefgh"));
    const SQLULEN first = static_cast<SQLULEN>(column - 1) * kRows;
    ard.setDescRec(column, SQL_C_CHAR, 0, bufferLength, 0, 0,
                   &data[first * static_cast<SQLULEN>(bufferLength)], &lengths[first],
                   &lengths[first]);
  }
  DiagnosticHeader diagnostics(&environment());
  std::vector<Descriptor::BoundRecord> bound;
  for (auto _ : state) {
    ard.findBoundRecords(SQL_RD_ON, bound);
    for (SQLULEN row = 0; row < kRows; ++row) {
      benchmark::DoNotOptimize(
          ard.convertBoundRow(row, bound, result.ird(), 0, 0, diagnostics));
    }
    diagnostics.clear();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRows * kColumns));
}

}  // namespace

BENCHMARK(postDiagnostics)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(convertRowset)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
