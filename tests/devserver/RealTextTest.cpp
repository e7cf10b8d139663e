// REAL values travel as the text SQLite gives them, or as 17 digits where its 15 lose the value:
// the server's text checked against SQLite's own on the server's database file.
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>

#include "tests/devserver/WireTest.h"

namespace wiretest {
namespace {

class RealTextTest : public WireTest {};

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

Database open(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  return Database(db);
}

Statement prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  return Statement(statement);
}

// What SQLite's text of a REAL is on the wire: its own when it reads back as the value.
std::string expectedText(sqlite3_stmt* statement, int column) {
  const double value = sqlite3_column_double(statement, column);
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (std::strtod(text, nullptr) == value) return text;
  char seventeen[32];
  std::snprintf(seventeen, sizeof seventeen, "%.17g", value);
  return seventeen;
}

std::vector<double> samples() {
  const double tiny = std::numeric_limits<double>::denorm_min();
  std::vector<double> values = {0.0,
                                -0.0,
                                1.0,
                                -1.0,
                                0.1,
                                0.5,
                                2.5,
                                100.0,
                                1e14,
                                1e15,
                                1e16,
                                123456789012345.0,
                                1234567890123456.0,
                                9007199254740993.0,
                                0.0001,
                                0.00001,
                                1.5e-5,
                                1e-300,
                                1.5e-300,
                                1e100,
                                1e-100,
                                1.7976931348623157e308,
                                2.2250738585072014e-308,
                                tiny,
                                3 * tiny,
                                1e-310,
                                4.9406564584124654e-320,
                                0.30000000000000004,
                                1.0 / 3,
                                2.0 / 3,
                                1e22,
                                9.999999999999999e22,
                                999999999999999.9,
                                99999999999999.99,
                                0.1 + 0.2,
                                123.456,
                                -98765.4321,
                                std::ldexp(1.0, 60),
                                std::ldexp(1.0, -60),
                                5e-324,
                                1e308,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity()};
  std::mt19937_64 random(20261211);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> scale(-320, 308);
  for (int i = 0; i < 3000; ++i) values.push_back(unit(random) * std::pow(10.0, scale(random)));
  // Numbers of few digits, as data usually holds: their 15-digit text is short.
  for (int i = 0; i < 1000; ++i) values.push_back(static_cast<double>(random() % 2000000) / 1000.0 - 1000.0);
  // Whole numbers of up to 16 digits over powers of ten, around where scaling them back to whole
  // numbers stops being exact.
  for (int i = 0; i < 2000; ++i)
    values.push_back(static_cast<double>(random() % 10000000000000000) / std::pow(10.0, random() % 18));
  // Bit patterns of every kind, subnormals included.
  for (int i = 0; i < 2000; ++i) {
    std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isnan(value)) values.push_back(value);
  }
  return values;
}

TEST_F(RealTextTest, MatchesSqlitesTextOnTheServersFile) {
  const std::vector<double> values = samples();
  {
    Database db = open(server().dataFile("default.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_EQ(sqlite3_exec(db.get(), "CREATE TABLE reals (id INTEGER PRIMARY KEY, r REAL, d DOUBLE, i)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
    Statement insert = prepare(db.get(), "INSERT INTO reals VALUES (?, ?, ?, ?)");
    ASSERT_TRUE(insert);
    for (std::size_t k = 0; k < values.size(); ++k) {
      sqlite3_bind_int64(insert.get(), 1, static_cast<sqlite3_int64>(k));
      sqlite3_bind_double(insert.get(), 2, values[k]);
      // Whole numbers in a DOUBLE column are kept as integers and read back as REAL ("3.0").
      sqlite3_bind_int64(insert.get(), 3, static_cast<sqlite3_int64>(k) - 500);
      sqlite3_bind_double(insert.get(), 4, values[k]);
      ASSERT_EQ(sqlite3_step(insert.get()), SQLITE_DONE);
      sqlite3_reset(insert.get());
    }
    ASSERT_EQ(sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  auto client = login();
  const Cursor cursor = client->query("SELECT r, d, i, r * 3 FROM reals ORDER BY id");
  ASSERT_TRUE(cursor.ok) << cursor.error;
  ASSERT_EQ(cursor.rows.size(), values.size());

  Database db = open(server().dataFile("default.db"), SQLITE_OPEN_READONLY);
  Statement select = prepare(db.get(), "SELECT r, d, i, r * 3 FROM reals ORDER BY id");
  ASSERT_TRUE(select);
  std::size_t row = 0, checked = 0;
  for (; sqlite3_step(select.get()) == SQLITE_ROW; ++row) {
    for (int column = 0; column < 4; ++column) {
      const auto& cell = cursor.rows[row][static_cast<std::size_t>(column)];
      if (sqlite3_column_type(select.get(), column) != SQLITE_FLOAT) continue;
      ASSERT_TRUE(cell.has_value());
      ++checked;
      char bits[32];
      std::snprintf(bits, sizeof bits, "%a", sqlite3_column_double(select.get(), column));
      ASSERT_EQ(*cell, expectedText(select.get(), column)) << "row " << row << " column " << column << " " << bits;
    }
  }
  EXPECT_EQ(row, values.size());
  EXPECT_GT(checked, 3 * values.size());
}

}  // namespace
}  // namespace wiretest
