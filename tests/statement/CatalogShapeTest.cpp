#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/ScriptedConnection.h"

namespace {

// A column as ODBC's reference lists it: "NAME TYPE NULLABILITY" with V(ARCHAR), S(MALLINT),
// I(NTEGER) and N(ULLABLE) or NN (NO NULLS).
struct ShapeCase {
  const char* function;
  std::function<SQLRETURN(Statement&)> call;
  std::vector<std::string> columns;
  // The names under ODBC 2, which has only these columns.
  std::vector<std::string> odbc2Names;
  // Fills one row with a value in every cell, as the back end appends rows.
  std::function<SQLRETURN(Statement&)> appendRow;
};

void PrintTo(const ShapeCase& shape, std::ostream* out) { *out << shape.function; }

// SQL_OV_ODBC3_80, which not every header set defines.
constexpr SQLUINTEGER kOdbc38 = 380;

const std::string s = "x";
const SQLSMALLINT n = 7;
const SQLINTEGER i = 8;

const ShapeCase shapeCases[] = {
    {"SQLColumnPrivileges",
     [](Statement& st) {
       return st.columnPrivileges(nullptr, 0, nullptr, 0, "t", SQL_NTS, "c", 1);
     },
     {"TABLE_CAT V N", "TABLE_SCHEM V N", "TABLE_NAME V NN", "COLUMN_NAME V NN", "GRANTOR V N",
      "GRANTEE V NN", "PRIVILEGE V NN", "IS_GRANTABLE V N"},
     {"TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME", "COLUMN_NAME", "GRANTOR", "GRANTEE",
      "PRIVILEGE", "IS_GRANTABLE"},
     [](Statement& st) { return st.addColumnPrivilegesRow(s, s, s, s, s, s, s, s); }},
    {"SQLColumns",
     [](Statement& st) { return st.columns("", 0, "", SQL_NTS, "t", SQL_NTS, nullptr, 0); },
     {"TABLE_CAT V N", "TABLE_SCHEM V N", "TABLE_NAME V NN", "COLUMN_NAME V NN", "DATA_TYPE S NN",
      "TYPE_NAME V NN", "COLUMN_SIZE I N", "BUFFER_LENGTH I N", "DECIMAL_DIGITS S N",
      "NUM_PREC_RADIX S N", "NULLABLE S NN", "REMARKS V N", "COLUMN_DEF V N", "SQL_DATA_TYPE S NN",
      "SQL_DATETIME_SUB S N", "CHAR_OCTET_LENGTH I N", "ORDINAL_POSITION I NN", "IS_NULLABLE V N"},
     {"TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME", "COLUMN_NAME", "DATA_TYPE", "TYPE_NAME",
      "PRECISION", "LENGTH", "SCALE", "RADIX", "NULLABLE", "REMARKS"},
     [](Statement& st) {
       return st.addColumnsRow(s, s, s, s, n, s, i, i, n, n, n, s, s, n, n, i, i, s);
     }},
    {"SQLForeignKeys",
     [](Statement& st) {
       return st.foreignKeys(nullptr, 0, nullptr, 0, "p", SQL_NTS, nullptr, 0, nullptr, 0, "f",
                             SQL_NTS);
     },
     {"PKTABLE_CAT V N", "PKTABLE_SCHEM V N", "PKTABLE_NAME V NN", "PKCOLUMN_NAME V NN",
      "FKTABLE_CAT V N", "FKTABLE_SCHEM V N", "FKTABLE_NAME V NN", "FKCOLUMN_NAME V NN",
      "KEY_SEQ S NN", "UPDATE_RULE S N", "DELETE_RULE S N", "FK_NAME V N", "PK_NAME V N",
      "DEFERRABILITY S N"},
     {"PKTABLE_QUALIFIER", "PKTABLE_OWNER", "PKTABLE_NAME", "PKCOLUMN_NAME", "FKTABLE_QUALIFIER",
      "FKTABLE_OWNER", "FKTABLE_NAME", "FKCOLUMN_NAME", "KEY_SEQ", "UPDATE_RULE", "DELETE_RULE",
      "FK_NAME", "PK_NAME"},
     nullptr},
    {"SQLPrimaryKeys",
     [](Statement& st) { return st.primaryKeys(nullptr, 0, nullptr, 0, "t", SQL_NTS); },
     {"TABLE_CAT V N", "TABLE_SCHEM V N", "TABLE_NAME V NN", "COLUMN_NAME V NN", "KEY_SEQ S NN",
      "PK_NAME V N"},
     {"TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME", "COLUMN_NAME", "KEY_SEQ", "PK_NAME"},
     [](Statement& st) { return st.addPrimaryKeysRow(s, s, s, s, n, s); }},
    {"SQLProcedureColumns",
     [](Statement& st) {
       return st.procedureColumns(nullptr, 0, nullptr, 0, "%", SQL_NTS, "%", SQL_NTS);
     },
     {"PROCEDURE_CAT V N", "PROCEDURE_SCHEM V N", "PROCEDURE_NAME V NN", "COLUMN_NAME V NN",
      "COLUMN_TYPE S NN", "DATA_TYPE S NN", "TYPE_NAME V NN", "COLUMN_SIZE I N",
      "BUFFER_LENGTH I N", "DECIMAL_DIGITS S N", "NUM_PREC_RADIX S N", "NULLABLE S NN",
      "REMARKS V N", "COLUMN_DEF V N", "SQL_DATA_TYPE S NN", "SQL_DATETIME_SUB S N",
      "CHAR_OCTET_LENGTH I N", "ORDINAL_POSITION I NN", "IS_NULLABLE V N"},
     {"PROCEDURE_QUALIFIER", "PROCEDURE_OWNER", "PROCEDURE_NAME", "COLUMN_NAME", "COLUMN_TYPE",
      "DATA_TYPE", "TYPE_NAME", "PRECISION", "LENGTH", "SCALE", "RADIX", "NULLABLE", "REMARKS"},
     nullptr},
    {"SQLProcedures",
     [](Statement& st) { return st.procedures(nullptr, 0, nullptr, 0, "%", SQL_NTS); },
     {"PROCEDURE_CAT V N", "PROCEDURE_SCHEM V N", "PROCEDURE_NAME V NN", "NUM_INPUT_PARAMS S N",
      "NUM_OUTPUT_PARAMS S N", "NUM_RESULT_SETS S N", "REMARKS V N", "PROCEDURE_TYPE S N"},
     {"PROCEDURE_QUALIFIER", "PROCEDURE_OWNER", "PROCEDURE_NAME", "NUM_INPUT_PARAMS",
      "NUM_OUTPUT_PARAMS", "NUM_RESULT_SETS", "REMARKS", "PROCEDURE_TYPE"},
     nullptr},
    {"SQLSpecialColumns",
     [](Statement& st) {
       return st.specialColumns(SQL_BEST_ROWID, nullptr, 0, nullptr, 0, "t", SQL_NTS,
                                SQL_SCOPE_SESSION, SQL_NULLABLE);
     },
     {"SCOPE S N", "COLUMN_NAME V NN", "DATA_TYPE S NN", "TYPE_NAME V NN", "COLUMN_SIZE I N",
      "BUFFER_LENGTH I N", "DECIMAL_DIGITS S N", "PSEUDO_COLUMN S N"},
     {"SCOPE", "COLUMN_NAME", "DATA_TYPE", "TYPE_NAME", "PRECISION", "LENGTH", "SCALE",
      "PSEUDO_COLUMN"},
     [](Statement& st) { return st.addSpecialColumnsRow(n, s, n, s, i, i, n, n); }},
    {"SQLStatistics",
     [](Statement& st) {
       return st.statistics(nullptr, 0, nullptr, 0, "t", SQL_NTS, SQL_INDEX_ALL, SQL_QUICK);
     },
     {"TABLE_CAT V N", "TABLE_SCHEM V N", "TABLE_NAME V NN", "NON_UNIQUE S N",
      "INDEX_QUALIFIER V N", "INDEX_NAME V N", "TYPE S NN", "ORDINAL_POSITION S N",
      "COLUMN_NAME V N", "ASC_OR_DESC V N", "CARDINALITY I N", "PAGES I N", "FILTER_CONDITION V N"},
     {"TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME", "NON_UNIQUE", "INDEX_QUALIFIER", "INDEX_NAME",
      "TYPE", "SEQ_IN_INDEX", "COLUMN_NAME", "COLLATION", "CARDINALITY", "PAGES",
      "FILTER_CONDITION"},
     [](Statement& st) { return st.addStatisticsRow(s, s, s, n, s, s, n, n, s, s, i, i, s); }},
    {"SQLTablePrivileges",
     [](Statement& st) { return st.tablePrivileges(nullptr, 0, nullptr, 0, "t", SQL_NTS); },
     {"TABLE_CAT V N", "TABLE_SCHEM V N", "TABLE_NAME V NN", "GRANTOR V N", "GRANTEE V NN",
      "PRIVILEGE V NN", "IS_GRANTABLE V N"},
     {"TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME", "GRANTOR", "GRANTEE", "PRIVILEGE",
      "IS_GRANTABLE"},
     [](Statement& st) { return st.addTablePrivilegesRow(s, s, s, s, s, s, s); }},
    {"SQLTables",
     [](Statement& st) {
       return st.tables(nullptr, 0, nullptr, 0, "%", SQL_NTS, "TABLE", SQL_NTS);
     },
     {"TABLE_CAT V N", "TABLE_SCHEM V N", "TABLE_NAME V N", "TABLE_TYPE V N", "REMARKS V N"},
     {"TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME", "TABLE_TYPE", "REMARKS"},
     [](Statement& st) { return st.addTablesRow(s, s, s, s, s); }},
    {"SQLGetTypeInfo",
     [](Statement& st) { return st.getTypeInfo(SQL_ALL_TYPES); },
     {"TYPE_NAME V NN", "DATA_TYPE S NN", "COLUMN_SIZE I N", "LITERAL_PREFIX V N",
      "LITERAL_SUFFIX V N", "CREATE_PARAMS V N", "NULLABLE S NN", "CASE_SENSITIVE S NN",
      "SEARCHABLE S NN", "UNSIGNED_ATTRIBUTE S N", "FIXED_PREC_SCALE S NN", "AUTO_UNIQUE_VALUE S N",
      "LOCAL_TYPE_NAME V N", "MINIMUM_SCALE S N", "MAXIMUM_SCALE S N", "SQL_DATA_TYPE S NN",
      "SQL_DATETIME_SUB S N", "NUM_PREC_RADIX I N", "INTERVAL_PRECISION S N"},
     // SQLGetTypeInfo has its ODBC 3 names and columns under every version.
     {},
     [](Statement& st) {
       return st.addTypeInfoRow(s, n, i, s, s, s, n, n, n, n, n, n, s, n, n, n, n, i, n);
     }},
};

class CatalogShapeTest : public ::testing::TestWithParam<ShapeCase> {
 protected:
  // A new statement under an environment of the ODBC version.
  std::unique_ptr<Statement> statementUnder(SQLUINTEGER version) {
    EXPECT_EQ(environment_.setOdbcVersion(version), SQL_SUCCESS);
    return std::unique_ptr<Statement>(connection_.createStatement());
  }

  // "NAME TYPE NULLABILITY" of every result column, with the unsigned flag checked: set for
  // text columns only.
  static std::vector<std::string> describe(Statement& statement) {
    SQLSMALLINT count = 0;
    EXPECT_EQ(statement.numResultCols(&count), SQL_SUCCESS);
    std::vector<std::string> columns;
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
      char name[64] = {};
      SQLSMALLINT type = 0;
      SQLSMALLINT nullable = 0;
      EXPECT_EQ(statement.describeCol(column, name, sizeof name, nullptr, &type, nullptr, nullptr,
                                      &nullable),
                SQL_SUCCESS);
      SQLLEN isUnsigned = -1;
      EXPECT_EQ(statement.colAttribute(column, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned),
                SQL_SUCCESS);
      EXPECT_EQ(isUnsigned, type == SQL_VARCHAR ? SQL_TRUE : SQL_FALSE) << name;
      const char* typeLetter = type == SQL_VARCHAR ? "V" : type == SQL_SMALLINT ? "S" : "I";
      columns.push_back(std::string(name) + " " + typeLetter + " " +
                        (nullable == SQL_NO_NULLS ? "NN" : "N"));
    }
    return columns;
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC catalog test", "Ferrow",
                           nullptr};
  testsupport::ScriptedConnection connection_{&environment_};
};

TEST_P(CatalogShapeTest, DeclaresTheColumnsOfEachOdbcVersion) {
  const ShapeCase& shape = GetParam();
  // An application of ODBC 3.8 gets what one of ODBC 3 gets.
  for (SQLUINTEGER version : {SQLUINTEGER{SQL_OV_ODBC3}, kOdbc38}) {
    SCOPED_TRACE(version);
    const std::unique_ptr<Statement> statement = statementUnder(version);
    ASSERT_EQ(shape.call(*statement), SQL_SUCCESS);
    EXPECT_EQ(describe(*statement), shape.columns);
  }
  const std::unique_ptr<Statement> statement = statementUnder(SQL_OV_ODBC2);
  ASSERT_EQ(shape.call(*statement), SQL_SUCCESS);
  std::vector<std::string> names = shape.odbc2Names;
  if (names.empty()) {
    for (const std::string& column : shape.columns)
      names.push_back(column.substr(0, column.find(' ')));
  }
  std::vector<std::string> described;
  for (const std::string& column : describe(*statement)) {
    described.push_back(column.substr(0, column.find(' ')));
  }
  EXPECT_EQ(described, names);
}

INSTANTIATE_TEST_SUITE_P(Functions, CatalogShapeTest, ::testing::ValuesIn(shapeCases),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) {
                           return std::string(info.param.function);
                         });

// The functions whose results the back end fills.
TEST_F(CatalogShapeTest, EachRowAppenderFillsEveryColumnItsShapeDeclares) {
  for (const ShapeCase& shape : shapeCases) {
    if (!shape.appendRow) continue;
    for (SQLUINTEGER version : {SQLUINTEGER{SQL_OV_ODBC2}, SQLUINTEGER{SQL_OV_ODBC3}, kOdbc38}) {
      SCOPED_TRACE(std::string(shape.function) + " " + std::to_string(version));
      const std::unique_ptr<Statement> statement = statementUnder(version);
      ASSERT_EQ(shape.call(*statement), SQL_SUCCESS);
      ASSERT_EQ(shape.appendRow(*statement), SQL_SUCCESS);
      ASSERT_EQ(statement->fetch(), SQL_SUCCESS);
      SQLSMALLINT count = 0;
      statement->numResultCols(&count);
      for (SQLUSMALLINT column = 1; column <= count; ++column) {
        char value[8] = {};
        SQLLEN length = 0;
        EXPECT_EQ(statement->getData(column, SQL_C_CHAR, value, sizeof value, &length),
                  SQL_SUCCESS);
        EXPECT_NE(length, SQL_NULL_DATA) << "column " << column;
      }
      EXPECT_EQ(statement->fetch(), SQL_NO_DATA);
    }
  }
}

}  // namespace
