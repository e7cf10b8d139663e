// SQLite reads the server's dialect, so it tells whether a parameter literal is what the
// application bound: each literal, read in a SELECT, must give the type and value that
// sqlite3_bind_* gives the bound value, and each final text must be one statement with the
// columns and values of its template when SQLite binds the same values to the template itself.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/SqlTextScanner.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"

namespace {

// One column of a result row as SQLite holds it.
struct Cell {
  int type;
  std::string bytes;  // text or blob bytes; integers in decimal
  double real;

  bool operator==(const Cell& other) const {
    if (type != other.type) return false;
    // SQLite's own reading of a decimal literal may be off by one unit in the last place.
    if (type == SQLITE_FLOAT) {
      return real == other.real || std::nextafter(real, other.real) == other.real;
    }
    return bytes == other.bytes;
  }
};

std::ostream& operator<<(std::ostream& out, const Cell& cell) {
  out << "type " << cell.type << " ";
  if (cell.type == SQLITE_FLOAT) return out << cell.real;
  for (unsigned char c : cell.bytes) {
    if (c >= 0x20 && c < 0x7f) {
      out << c;
    } else {
      out << "\\x" << std::hex << static_cast<int>(c) << std::dec;
    }
  }
  return out;
}

// A value bound to both sides: to the statement as (C type, SQL type, bytes, length word) and to
// SQLite with its own binder.
struct Bound {
  SQLSMALLINT cType;
  SQLSMALLINT sqlType;
  std::string bytes;
  SQLLEN lengthWord;
  std::function<int(sqlite3_stmt*, int)> bindSqlite;
};

Bound text(const std::string& value) {
  // The server's strings end at a NUL; what SQLite is given is what the literal can carry.
  const std::string visible = value.substr(0, value.find('\0'));
  return {SQL_C_CHAR, SQL_VARCHAR, value, static_cast<SQLLEN>(value.size()),
          [visible](sqlite3_stmt* s, int i) {
            return sqlite3_bind_text(s, i, visible.data(), static_cast<int>(visible.size()),
                                     SQLITE_TRANSIENT);
          }};
}

Bound wideText(const std::u16string& value, const std::string& asUtf8) {
  return {SQL_C_WCHAR, SQL_WVARCHAR,
          std::string(reinterpret_cast<const char*>(value.data()), value.size() * 2),
          static_cast<SQLLEN>(value.size() * 2), [asUtf8](sqlite3_stmt* s, int i) {
            return sqlite3_bind_text(s, i, asUtf8.data(), static_cast<int>(asUtf8.size()),
                                     SQLITE_TRANSIENT);
          }};
}

// Valid UTF-16, which SQLite converts itself.
Bound wideText(const std::u16string& value) {
  return {SQL_C_WCHAR, SQL_WVARCHAR,
          std::string(reinterpret_cast<const char*>(value.data()), value.size() * 2),
          static_cast<SQLLEN>(value.size() * 2), [value](sqlite3_stmt* s, int i) {
            return sqlite3_bind_text16(s, i, value.data(), static_cast<int>(value.size() * 2),
                                       SQLITE_TRANSIENT);
          }};
}

Bound blob(const std::string& value) {
  return {SQL_C_BINARY, SQL_VARBINARY, value, static_cast<SQLLEN>(value.size()),
          [value](sqlite3_stmt* s, int i) {
            return sqlite3_bind_blob(s, i, value.data(), static_cast<int>(value.size()),
                                     SQLITE_TRANSIENT);
          }};
}

template <typename Integer>
Bound integer(SQLSMALLINT cType, SQLSMALLINT sqlType, Integer value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(&bytes[0], &value, sizeof value);
  return {cType, sqlType, bytes, 0, [value](sqlite3_stmt* s, int i) {
            if constexpr (std::is_unsigned_v<Integer>) {
              if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                const std::string digits = std::to_string(value);
                return sqlite3_bind_text(s, i, digits.data(), static_cast<int>(digits.size()),
                                         SQLITE_TRANSIENT);
              }
            }
            return sqlite3_bind_int64(s, i, static_cast<sqlite3_int64>(value));
          }};
}

template <typename Float>
Bound real(SQLSMALLINT cType, Float value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(&bytes[0], &value, sizeof value);
  return {cType, SQL_DOUBLE, bytes, 0, [value](sqlite3_stmt* s, int i) {
            return sqlite3_bind_double(s, i, static_cast<double>(value));
          }};
}

Bound null(SQLSMALLINT sqlType) {
  return {SQL_C_CHAR, sqlType, "x", SQL_NULL_DATA,
          [](sqlite3_stmt* s, int i) { return sqlite3_bind_null(s, i); }};
}

class ParameterLiteralSqliteTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK); }
  void TearDown() override { sqlite3_close(db_); }

  // The statement's final text for the template with the values bound, or "state ...".
  std::string finalText(const std::string& sqlTemplate, const std::vector<Bound>& values) {
    statement_.freeStmt(SQL_RESET_PARAMS);
    buffers_ = values;
    for (std::size_t k = 0; k < buffers_.size(); ++k) {
      Bound& value = buffers_[k];
      value.bytes.push_back('\0');  // room for the NUL-terminated reads of the table tests
      value.bytes.push_back('\0');
      EXPECT_EQ(statement_.bindParameter(static_cast<SQLUSMALLINT>(k + 1), SQL_PARAM_INPUT,
                                         value.cType, value.sqlType, 0, 0, &value.bytes[0],
                                         static_cast<SQLLEN>(value.bytes.size()),
                                         &value.lengthWord),
                SQL_SUCCESS);
    }
    std::string text;
    const SQLRETURN rc = statement_.substituteParameters(
        sqlTemplate, findAllOutsideQuotes(sqlTemplate, "?"), *statement_.appParamDesc(),
        *statement_.impParamDesc(), 0, text);
    if (rc != SQL_SUCCESS) return "state " + testsupport::takeState(statement_.diagnostics());
    return text;
  }

  // The one row the text gives, preparing it as exactly one statement and binding the values
  // (none for a final text).
  std::vector<Cell> run(const std::string& sql, const std::vector<Bound>& values) {
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    std::vector<Cell> row;
    const int prepared =
        sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, &tail);
    EXPECT_EQ(prepared, SQLITE_OK) << sqlite3_errmsg(db_) << " in " << sql;
    if (prepared != SQLITE_OK) return row;
    EXPECT_EQ(std::string(skipSpaces(std::string(tail, sql.data() + sql.size()).c_str())), "")
        << "a second statement in " << sql;
    EXPECT_EQ(sqlite3_bind_parameter_count(statement), static_cast<int>(values.size())) << sql;
    for (std::size_t k = 0; k < values.size(); ++k) {
      EXPECT_EQ(values[k].bindSqlite(statement, static_cast<int>(k + 1)), SQLITE_OK);
    }
    EXPECT_EQ(sqlite3_step(statement), SQLITE_ROW) << sqlite3_errmsg(db_) << " in " << sql;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      Cell cell{sqlite3_column_type(statement, c), "", sqlite3_column_double(statement, c)};
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
      cell.bytes.assign(bytes == nullptr ? "" : bytes,
                        static_cast<std::size_t>(sqlite3_column_bytes(statement, c)));
      row.push_back(cell);
    }
    sqlite3_finalize(statement);
    return row;
  }

  // The template run by SQLite with the values bound, and the final text run alone, agree.
  void expectSameRow(const std::string& sqlTemplate, const std::vector<Bound>& values) {
    const std::string text = finalText(sqlTemplate, values);
    SCOPED_TRACE(text);
    ASSERT_EQ(text.rfind("state ", 0), std::string::npos);
    EXPECT_EQ(run(text, {}), run(sqlTemplate, values));
  }

  sqlite3* db_ = nullptr;
  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC SQLite test", "Ferrow",
                           nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  Statement statement_{&connection_};
  std::vector<Bound> buffers_;
};

TEST_F(ParameterLiteralSqliteTest, EachLiteralReadsBackAsTheBoundValue) {
  const std::vector<Bound> values = {
      integer(SQL_C_SLONG, SQL_INTEGER, SQLINTEGER{-5}),
      integer(SQL_C_ULONG, SQL_BIGINT, SQLUINTEGER{3000000000u}),
      integer(SQL_C_SBIGINT, SQL_BIGINT, std::numeric_limits<SQLBIGINT>::min()),
      integer(SQL_C_UBIGINT, SQL_NUMERIC, std::numeric_limits<SQLUBIGINT>::max()),
      integer(SQL_C_UBIGINT, SQL_BIGINT, SQLUBIGINT{9223372036854775807u}),
      integer(SQL_C_SSHORT, SQL_SMALLINT, SQLSMALLINT{-32768}),
      integer(SQL_C_UTINYINT, SQL_SMALLINT, static_cast<unsigned char>(255)),
      integer(SQL_C_STINYINT, SQL_TINYINT, static_cast<signed char>(-128)),
      real(SQL_C_DOUBLE, 1.5),
      real(SQL_C_DOUBLE, 1e-7),
      real(SQL_C_DOUBLE, 1e300),
      real(SQL_C_DOUBLE, -2.5e-300),
      real(SQL_C_DOUBLE, 3.0),
      real(SQL_C_DOUBLE, 0.1),
      real(SQL_C_DOUBLE, std::numeric_limits<double>::denorm_min()),
      real(SQL_C_DOUBLE, std::numeric_limits<double>::max()),
      real(SQL_C_DOUBLE, 211025082331737408.0),
      real(SQL_C_DOUBLE, -3191250410894721.0),
      real(SQL_C_FLOAT, 0.1f),
      real(SQL_C_FLOAT, 16777217.0f),
      text("plain"),
      text(""),
      blob("\x0a\xff"),
      blob(""),
      blob(std::string("\0\0", 2)),
      null(SQL_INTEGER),
      null(SQL_VARBINARY),
  };
  for (const Bound& value : values) {
    const std::string literal = finalText("?", {value});
    SCOPED_TRACE(literal);
    std::vector<Cell> read = run("SELECT " + literal, {});
    const std::vector<Cell> bound = run("SELECT ?", {value});
    if (value.cType == SQL_C_FLOAT && read.size() == 1 && bound.size() == 1) {
      // A float is exact when it reads back as the same float.
      read[0].real = static_cast<float>(read[0].real);
      EXPECT_EQ(read[0].real, static_cast<float>(bound[0].real));
      EXPECT_EQ(read[0].type, bound[0].type);
    } else {
      EXPECT_EQ(read, bound);
    }
    if (value.cType == SQL_C_DOUBLE || value.cType == SQL_C_FLOAT) {
      // The literal itself is exact; only SQLite's reading of it may be a unit off.
      double parsed = 0;
      std::from_chars(literal.data(), literal.data() + literal.size(), parsed);
      double bound = 0;
      if (value.cType == SQL_C_DOUBLE) {
        std::memcpy(&bound, value.bytes.data(), sizeof bound);
        EXPECT_EQ(parsed, bound);
      } else {
        float single = 0;
        std::memcpy(&single, value.bytes.data(), sizeof single);
        EXPECT_EQ(static_cast<float>(parsed), single);
      }
    }
  }
}

// Texts that try to leave their literal, each in every template.
const std::string kInjections[] = {
    "'", "''", "'; DROP TABLE t; --", "\\", "\\'", "C:\\dir\\", "?", "'?'", "--", "-- x\n",
    "/*", "*/", ";", "\n", "\r\n", std::string("a\0b' OR '1'='1", 14), "\xC3\xA9",
    "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xED\xA0\x80", "0 OR 1=1", "-5", "X'00'",
};

const char* const kTemplates[] = {
    "SELECT ?, '?'",
    "SELECT '?', ? /* ? */, \"?\"",
    "SELECT ? -- ?\n, 1",
    "SELECT ?||?",
    "SELECT 1 -?",
    "SELECT x'00', ?",
};

TEST_F(ParameterLiteralSqliteTest, InjectionsStayInsideTheirLiterals) {
  for (const char* sqlTemplate : kTemplates) {
    const std::size_t markers = findAllOutsideQuotes(sqlTemplate, "?").size();
    for (const std::string& value : kInjections) {
      SCOPED_TRACE(std::string(sqlTemplate) + " with " + value);
      std::vector<Bound> values(markers, text(value));
      if (std::string(sqlTemplate) == "SELECT 1 -?") {
        values = {integer(SQL_C_SLONG, SQL_INTEGER, SQLINTEGER{-5})};
      }
      // A text cannot carry data past a NUL: refused, neither cut nor let out of its literal.
      if (value.find('\0') != std::string::npos) {
        if (values[0].cType == SQL_C_CHAR) {
          EXPECT_EQ(finalText(sqlTemplate, values), "state 22018");
        }
        continue;
      }
      expectSameRow(sqlTemplate, values);
      // Wide text takes the same way.
      std::u16string wide;
      for (unsigned char c : value) wide.push_back(c < 0x80 ? c : u'\u00e9');
      std::string wideAsUtf8;
      for (char16_t c : wide.substr(0, wide.find(u'\0'))) {
        wideAsUtf8 += c == u'\u00e9' ? std::string("\xC3\xA9") : std::string(1, static_cast<char>(c));
      }
      expectSameRow("SELECT ?", {wideText(wide, wideAsUtf8)});
    }
  }
}

TEST_F(ParameterLiteralSqliteTest, TextThatIsNoNumberIsRefusedForANumber) {
  for (const std::string& injection : kInjections) {
    if (injection == "-5") continue;
    Bound value = text(injection);
    value.sqlType = SQL_INTEGER;
    EXPECT_EQ(finalText("SELECT ?", {value}), "state 22018") << injection;
  }
}

TEST_F(ParameterLiteralSqliteTest, RandomValuesReadBackAsBound) {
  std::mt19937_64 random(20261210);
  const auto randomBytes = [&random](bool withNul) {
    std::string bytes(random() % 40, '\0');
    for (char& c : bytes) {
      c = static_cast<char>(withNul ? random() % 256 : 1 + random() % 255);
    }
    return bytes;
  };
  for (int round = 0; round < 2000; ++round) {
    SCOPED_TRACE(round);
    std::uint64_t bits = random();
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    if (!std::isfinite(d)) d = static_cast<double>(bits);
    std::u16string wide(random() % 20, u'\0');
    for (std::size_t k = 0; k < wide.size(); ++k) {
      // Any code point but NUL and the surrogates; those above U+FFFF as a pair.
      char32_t c = 1 + static_cast<char32_t>(random() % 0x10FFFF);
      if (c >= 0xD800 && c <= 0xDFFF) c -= 0x800;
      if (c < 0x10000) {
        wide[k] = static_cast<char16_t>(c);
      } else {
        c -= 0x10000;
        wide[k] = static_cast<char16_t>(0xD800 + (c >> 10));
        wide.insert(wide.begin() + static_cast<std::ptrdiff_t>(++k),
                    static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      }
    }
    std::vector<Bound> values = {
        integer(SQL_C_SBIGINT, SQL_BIGINT, static_cast<SQLBIGINT>(random())),
        integer(SQL_C_UBIGINT, SQL_NUMERIC, static_cast<SQLUBIGINT>(random())),
        integer(SQL_C_SLONG, SQL_INTEGER, static_cast<SQLINTEGER>(random())),
        real(SQL_C_DOUBLE, d),
        text(randomBytes(false)),
        blob(randomBytes(true)),
        wideText(wide),
    };
    expectSameRow("SELECT ?, ?, ?, ?, ?, ?, ?", values);
  }
}

}  // namespace
