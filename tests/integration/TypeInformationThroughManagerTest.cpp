// The type information through the unixODBC Driver Manager: the rows of every requested type
// under ODBC 2, 3 and 3.8; and it agrees with itself: a table created with every type name
// SQLGetTypeInfo lists reads back through SQLColumns with the type, size, digits, radix and
// octet length the row gives or ODBC defines, under ODBC 2, 3 and 3.8 and with the wide text
// types; the rowid SQLSpecialColumns names is one of the listed types; SQL_DRIVER_VER has ODBC's
// form.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/integration/CatalogManagerFixture.h"
#include "tests/support/TypeInformationRows.h"

namespace {

using namespace catalogtest;

// The rows the server offers to an ODBC 3 application (EveryListedTypeReadsBackWithItsType reads
// each back through SQLColumns).
const Rows& typeRows = testsupport::odbc3TypeRows();

// A row as an application of `version` reads it: ODBC 2 has the date and time codes 9, 10, 11.
Row typeRowUnder(SQLINTEGER version, std::size_t index) {
  Row row = typeRows[index];
  if (version == SQL_OV_ODBC2 && index >= 13) row[1] = std::to_string(std::stoi(row[1]) - 82);
  return row;
}

TEST_F(CatalogThroughManager, TypeInformationOfEveryType) {
  // Requested type and the rows it gives (indexes into typeRows).
  const struct {
    SQLSMALLINT type;
    std::vector<std::size_t> rows;
  } cases[] = {
      {SQL_ALL_TYPES, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {SQL_CHAR, {0}},
      {SQL_VARCHAR, {1}},
      {SQL_DECIMAL, {2}},
      {SQL_NUMERIC, {3}},
      {SQL_SMALLINT, {4}},
      {SQL_INTEGER, {5}},
      {SQL_REAL, {6}},
      {SQL_FLOAT, {7}},
      {SQL_DOUBLE, {8}},
      {SQL_BIT, {9}},
      {SQL_TINYINT, {10}},
      {SQL_BIGINT, {11}},
      {SQL_LONGVARBINARY, {12}},
      {SQL_TYPE_DATE, {13}},
      {SQL_DATE, {13}},
      {SQL_TYPE_TIME, {14}},
      {SQL_TIME, {14}},
      {SQL_TYPE_TIMESTAMP, {15}},
      {SQL_TIMESTAMP, {15}},
      // Types of the dispatch the server does not offer, and types nothing dispatches.
      {SQL_LONGVARCHAR, {}},
      {SQL_WCHAR, {}},
      {SQL_WVARCHAR, {}},
      {SQL_WLONGVARCHAR, {}},
      {SQL_BINARY, {}},
      {SQL_VARBINARY, {}},
      {SQL_INTERVAL_MONTH, {}},
      {SQL_INTERVAL_YEAR, {}},
      {SQL_INTERVAL_YEAR_TO_MONTH, {}},
      {SQL_INTERVAL_DAY, {}},
      {SQL_INTERVAL_HOUR, {}},
      {SQL_INTERVAL_MINUTE, {}},
      {SQL_INTERVAL_SECOND, {}},
      {SQL_INTERVAL_DAY_TO_HOUR, {}},
      {SQL_INTERVAL_DAY_TO_MINUTE, {}},
      {SQL_INTERVAL_DAY_TO_SECOND, {}},
      {SQL_INTERVAL_HOUR_TO_MINUTE, {}},
      {SQL_INTERVAL_HOUR_TO_SECOND, {}},
      {SQL_INTERVAL_MINUTE_TO_SECOND, {}},
      {SQL_GUID, {}},
  };
  for (SQLINTEGER version : versions) {
    Application karvell(version, ours());
    ASSERT_TRUE(karvell.connected());
    for (const auto& c : cases) {
      SCOPED_TRACE("version " + std::to_string(version) + " type " + std::to_string(c.type));
      ASSERT_EQ(SQLGetTypeInfo(karvell.closed(), c.type), SQL_SUCCESS) << karvell.stmtDiagnostic();
      SQLSMALLINT columns = 0;
      SQLNumResultCols(karvell.stmt(), &columns);
      EXPECT_EQ(columns, 19);
      Rows expected;
      for (std::size_t index : c.rows) expected.push_back(typeRowUnder(version, index));
      EXPECT_EQ(fetchAll(karvell.stmt()), expected);
    }
    // Numbers that name no SQL type are refused rather than answered with no rows (under ODBC 2
    // in that version's state).
    for (SQLSMALLINT unknown : {99, -99, 12345}) {
      SCOPED_TRACE("version " + std::to_string(version) + " type " + std::to_string(unknown));
      EXPECT_EQ(SQLGetTypeInfo(karvell.closed(), unknown), SQL_ERROR);
      EXPECT_EQ(karvell.stmtDiagnostic().substr(0, 5), version == SQL_OV_ODBC2 ? "S1004" : "HY004");
    }
  }
}

// Cells of an SQLGetTypeInfo row, and of an SQLColumns row, by index.
enum TypeInfoCell {
  typeName = 0,
  dataType = 1,
  columnSize = 2,
  createParams = 5,
  minimumScale = 13,
  maximumScale = 14,
  sqlDataType = 15,
  datetimeSub = 16,
  numPrecRadix = 17,
};
enum ColumnsCell {
  columnName = 3,
  columnType = 4,
  columnColumnSize = 6,
  columnBufferLength = 7,
  columnDecimalDigits = 8,
  columnRadix = 9,
  columnSqlDataType = 13,
  columnDatetimeSub = 14,
  columnCharOctetLength = 15,
};

// A declaration of the type with the parameters CREATE_PARAMS offers; "" when it offers none.
std::string withParameters(const Row& type) {
  if (type[createParams] == "length") return type[typeName] + "(3)";
  if (type[createParams] == "precision,scale") return type[typeName] + "(10,2)";
  return "";
}

// Long data has no size a declaration gives: its row tells the most COLUMN_SIZE can, a column
// what the driver describes long data by.
bool isLong(const Row& type) { return type[columnSize] == "2147483647"; }

// COLUMN_SIZE and DECIMAL_DIGITS of a column declared `withParameters(type)`: the length of a
// text, the precision and scale of a decimal, or the fraction digits of a date-time type up to
// the row's MAXIMUM_SCALE, each a digit and the point more in its size.
std::pair<std::string, std::string> sizeAndDigitsDeclared(const Row& type, const Row& bare) {
  if (type[createParams] == "precision,scale") return {"10", "2"};
  if (bare[columnDecimalDigits] == "NULL") return {"3", "NULL"};
  const int digits = std::min(3, std::stoi(type[maximumScale]));
  return {std::to_string(std::stoi(bare[columnColumnSize]) + (digits > 0 ? digits + 1 : 0)),
          std::to_string(digits)};
}

// ODBC's transfer octet length of a column (ODBC reference, appendix D): the bytes of the C
// type a value defaults to.
std::string transferOctets(const Row& column) {
  const int size = std::stoi(column[columnColumnSize]);
  switch (std::stoi(column[columnType])) {
    case SQL_CHAR:
    case SQL_VARCHAR:
      return std::to_string(size);
    case SQL_WCHAR:
    case SQL_WVARCHAR:
      return std::to_string(2 * size);
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return std::to_string(size + 2);  // the digits, a sign and a point as text
    case SQL_TINYINT:
    case SQL_BIT:
      return "1";
    case SQL_SMALLINT:
      return "2";
    case SQL_INTEGER:
    case SQL_REAL:
      return "4";
    case SQL_BIGINT:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return "8";
    case SQL_TYPE_DATE:
    case SQL_DATE:
    case SQL_TYPE_TIME:
    case SQL_TIME:
      return "6";
    default:  // the timestamps
      return "16";
  }
}

TEST_F(CatalogThroughManager, EveryListedTypeReadsBackWithItsType) {
  const struct {
    SQLINTEGER version;
    const char* settings;
  } cases[] = {
      {SQL_OV_ODBC2, ""},
      {SQL_OV_ODBC3, ""},
      {SQL_OV_ODBC3_80, ""},
      {SQL_OV_ODBC3, ";UnicodeTextTypes=YES"},
  };
  int table = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE("version " + std::to_string(c.version) + c.settings);
    Application karvell(c.version, ours() + c.settings);
    ASSERT_TRUE(karvell.connected());
    ASSERT_EQ(SQLGetTypeInfo(karvell.closed(), SQL_ALL_TYPES), SQL_SUCCESS)
        << karvell.stmtDiagnostic();
    const Rows types = fetchAll(karvell.stmt());
    ASSERT_EQ(types.size(), 16u);
    for (const Row& type : types) {
      SCOPED_TRACE(type[typeName]);
      EXPECT_GT(std::stoll(type[columnSize]), 0);
      // The row is also an answer for its own DATA_TYPE.
      const auto asked = static_cast<SQLSMALLINT>(std::stoi(type[dataType]));
      ASSERT_EQ(SQLGetTypeInfo(karvell.closed(), asked), SQL_SUCCESS);
      const Rows answer = fetchAll(karvell.stmt());
      EXPECT_NE(std::find(answer.begin(), answer.end(), type), answer.end());

      const std::string name = "typed" + std::to_string(++table);
      const std::string parameters = withParameters(type);
      karvell.run("create table " + name + " (bare " + type[typeName] +
                  (parameters.empty() ? "" : ", sized " + parameters) + ")");
      ASSERT_EQ(SQLColumns(karvell.closed(), nullptr, 0, nullptr, 0, text(name.c_str()), SQL_NTS,
                           nullptr, 0),
                SQL_SUCCESS)
          << karvell.stmtDiagnostic();
      const Rows columns = fetchAll(karvell.stmt());
      ASSERT_EQ(columns.size(), parameters.empty() ? 1u : 2u);
      for (const Row& column : columns) {
        SCOPED_TRACE(column[columnName]);
        EXPECT_EQ(column[columnType], type[dataType]);
        EXPECT_EQ(column[columnRadix], type[numPrecRadix]);
        if (!isLong(type)) {
          EXPECT_EQ(column[columnBufferLength], transferOctets(column));
          if (column.size() >= 18 && column[columnCharOctetLength] != "NULL") {
            EXPECT_EQ(column[columnCharOctetLength], column[columnBufferLength]);
          }
        }
        if (column.size() < 18) continue;  // ODBC 2 has no SQL_DATA_TYPE
        EXPECT_EQ(column[columnSqlDataType], type[sqlDataType]);
        EXPECT_EQ(column[columnDatetimeSub], type[datetimeSub]);
      }
      // A column declared bare has the row's size (where no declaration chooses one) and its
      // least scale, NULL where the type has no digits after the point.
      const Row& bare = columns[0];
      EXPECT_EQ(bare[columnDecimalDigits], type[minimumScale]);
      if (parameters.empty() && !isLong(type)) {
        EXPECT_EQ(bare[columnColumnSize], type[columnSize]);
      }
      if (!parameters.empty()) {
        const auto [size, digits] = sizeAndDigitsDeclared(type, bare);
        EXPECT_EQ(columns[1][columnColumnSize], size);
        EXPECT_EQ(columns[1][columnDecimalDigits], digits);
      }
    }

    // The rowid is one of the listed types.
    ASSERT_EQ(SQLSpecialColumns(karvell.closed(), SQL_BEST_ROWID, nullptr, 0, nullptr, 0, text("t"),
                                SQL_NTS, SQL_SCOPE_SESSION, SQL_NULLABLE),
              SQL_SUCCESS);
    const Rows rowid = fetchAll(karvell.stmt());
    ASSERT_EQ(rowid.size(), 1u);
    EXPECT_EQ(rowid[0][2], std::to_string(SQL_BIGINT));
    EXPECT_TRUE(std::any_of(types.begin(), types.end(), [&](const Row& type) {
      return type[typeName] == rowid[0][3] && type[dataType] == rowid[0][2] &&
             type[columnSize] == rowid[0][4];
    })) << rowid[0][3];
  }
}

// With the wide text types the character rows are listed under the wide types only.
TEST_F(CatalogThroughManager, WideTextTypesListTheCharacterRowsWide) {
  Application karvell(SQL_OV_ODBC3, ours() + ";UnicodeTextTypes=YES");
  ASSERT_TRUE(karvell.connected());
  const struct {
    SQLSMALLINT asked;
    const char* name;  // "" for no row
  } cases[] = {{SQL_CHAR, ""}, {SQL_VARCHAR, ""}, {SQL_WCHAR, "CHAR"}, {SQL_WVARCHAR, "VARCHAR"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    ASSERT_EQ(SQLGetTypeInfo(karvell.closed(), c.asked), SQL_SUCCESS);
    const Rows rows = fetchAll(karvell.stmt());
    if (*c.name == '\0') {
      EXPECT_TRUE(rows.empty());
      continue;
    }
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][typeName], c.name);
    EXPECT_EQ(rows[0][dataType], std::to_string(c.asked));
  }
}

TEST_F(CatalogThroughManager, DriverVersionHasOdbcsForm) {
  Application karvell(SQL_OV_ODBC3, ours());
  ASSERT_TRUE(karvell.connected());
  char version[32] = {};
  SQLSMALLINT length = 0;
  ASSERT_EQ(SQLGetInfo(karvell.dbc(), SQL_DRIVER_VER, version, sizeof version, &length),
            SQL_SUCCESS);
  EXPECT_TRUE(std::regex_match(version, std::regex("[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}"))) << version;
  EXPECT_EQ(length, 10);
}

}  // namespace
