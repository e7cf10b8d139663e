// The statement's own work on large inputs, without a server: parameter substitution of many
// markers over many parameter sets, and a large in-memory result filled and walked row by row.
// Both must grow linearly: the Complexity lines report the fitted order.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/MemoryRecordset.h"
#include "statement/SqlTextScanner.h"
#include "statement/Statement.h"
#include "tests/support/RecordingConnection.h"

namespace {

constexpr SQLULEN kSets = 1000;
constexpr SQLLEN kTextLength = 12;

Environment& environment() {
  static Environment instance("karvod", "karvod64.dll", "Karvell ODBC bench", "Ferrow", nullptr);
  return instance;
}

// `markers` parameters, integers and texts in turn, each bound as an array of kSets values;
// every set is substituted into "INSERT INTO t VALUES (?, ?, ...)".
void substituteParameterSets(benchmark::State& state) {
  const auto markers = static_cast<SQLUSMALLINT>(state.range(0));
  testsupport::RecordingConnection connection(&environment());
  Statement statement(&connection);
  std::vector<SQLINTEGER> numbers(kSets);
  std::vector<char> texts(kSets * kTextLength, 'x');
  std::vector<SQLLEN> numberWords(kSets, 0);
  std::vector<SQLLEN> textWords(kSets, kTextLength);
  for (SQLULEN set = 0; set < kSets; ++set) {
    numbers[set] = static_cast<SQLINTEGER>(set * 7919);
    texts[set * kTextLength] = '\'';  // every text has a quote to double
  }
  std::string sqlTemplate = "INSERT INTO t VALUES (";
  for (SQLUSMALLINT p = 1; p <= markers; ++p) {
    sqlTemplate += p == 1 ? "?" : ", ?";
    if (p % 2 == 1) {
      statement.bindParameter(p, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, numbers.data(),
                              0, numberWords.data());
    } else {
      statement.bindParameter(p, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 0, 0, texts.data(),
                              kTextLength, textWords.data());
    }
  }
  sqlTemplate += ")";
  Descriptor& apd = *statement.appParamDesc();
  Descriptor& ipd = *statement.impParamDesc();
  apd.setArraySize(kSets);
  std::string finalText;
  std::size_t bytes = 0;
  for (auto _ : state) {
    // The markers are found once per execution, as the statement does.
    const std::vector<std::size_t> positions = findAllOutsideQuotes(sqlTemplate, "?");
    for (SQLULEN set = 0; set < kSets; ++set) {
      if (statement.substituteParameters(sqlTemplate, positions, apd, ipd, set, finalText) !=
          SQL_SUCCESS) {
        state.SkipWithError("substitution refused");
        return;
      }
      bytes += finalText.size();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.SetComplexityN(markers);
}
BENCHMARK(substituteParameterSets)->RangeMultiplier(2)->Range(250, 2000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// A result of `rows` rows of four columns (two texts, an integer, a double), filled through the
// typed setters and then walked with every row bound, as a catalog or scrollable result is.
void fillAndWalkRows(benchmark::State& state) {
  const auto rows = static_cast<SQLULEN>(state.range(0));
  testsupport::RecordingConnection connection(&environment());
  Statement statement(&connection);
  Descriptor& ird = *statement.impRowDesc();
  for (const char* name : {"name", "remarks", "size", "ratio"}) {
    ird.addRecord(name, SQL_VARCHAR, SQL_NULLABLE, false);
  }
  for (SQLSMALLINT column = 0; column <= ird.getCount(); ++column) {
    ird.setIndicatorPtr(column, static_cast<SQLLEN*>(std::calloc(1, sizeof(SQLLEN))));
    ird.setOctetLengthPtr(column, static_cast<SQLLEN*>(std::calloc(1, sizeof(SQLLEN))));
    ird.setDataPtr(column, std::calloc(1, sizeof(char*)));
  }
  const std::string remarks = "a remark of some forty bytes, give or take";
  for (auto _ : state) {
    MemoryRecordset result(&statement);
    for (SQLULEN row = 0; row < rows; ++row) {
      result.addRow();
      result.setCellString(1, "table_" + std::to_string(row));
      if (row % 3 != 0) result.setCellString(2, remarks);
      result.setCellInt(3, static_cast<SQLINTEGER>(row));
      result.setCellDouble(4, static_cast<double>(row) / 7.0);
    }
    SQLLEN total = 0;
    while (result.next() == SQL_SUCCESS) {
      result.bindRow(0, SQL_RD_ON);
      total += ird.getRecord(1)->getOctetLengthPtr()[0];
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rows));
  state.SetComplexityN(static_cast<std::int64_t>(rows));
}
BENCHMARK(fillAndWalkRows)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace
