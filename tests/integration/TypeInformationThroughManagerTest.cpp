// The type information agrees with itself through the unixODBC Driver Manager: a table created
// with every type name SQLGetTypeInfo lists reads back through SQLColumns with the type the row
// gave, under ODBC 2, 3 and 3.8 and with the wide text types; the rowid SQLSpecialColumns names
// is one of the listed types; SQL_DRIVER_VER has ODBC's form.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <regex>
#include <string>

#include "tests/integration/CatalogManagerFixture.h"

namespace {

using namespace catalogtest;

// Cells of an SQLGetTypeInfo row, and of an SQLColumns row, by index.
enum TypeInfoCell {
  typeName = 0,
  dataType = 1,
  columnSize = 2,
  createParams = 5,
  sqlDataType = 15,
  datetimeSub = 16,
};
enum ColumnsCell { columnName = 3, columnType = 4, columnSqlDataType = 13, columnDatetimeSub = 14 };

// A declaration of the type with the parameters CREATE_PARAMS offers; "" when it offers none.
std::string withParameters(const Row& type) {
  if (type[createParams] == "length") return type[typeName] + "(3)";
  if (type[createParams] == "precision,scale") return type[typeName] + "(10,2)";
  return "";
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
        if (column.size() < 18) continue;  // ODBC 2 has no SQL_DATA_TYPE
        EXPECT_EQ(column[columnSqlDataType], type[sqlDataType]);
        EXPECT_EQ(column[columnDatetimeSub], type[datetimeSub]);
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
