// Names and patterns that would break out of their quotes, through every catalog function by way
// of the unixODBC Driver Manager, narrow and wide: each call answers the rows of the table so
// named (or none), the server receives the catalog queries alone with the quote character doubled
// inside its quotes, and every fixture table is still in the server's database file afterwards.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/AsciiWide.h"
#include "tests/support/DevServer.h"
#include "tests/support/TempOdbcIni.h"

namespace {

using Texts = std::vector<std::string>;
using Rows = std::vector<Texts>;

const char* const fixture[] = {
    "CREATE TABLE t(x, y, z, PRIMARY KEY(z, x))",
    "CREATE TABLE \"O'Brien\"(id INTEGER PRIMARY KEY, name TEXT)",
    "CREATE INDEX \"O'Brien \"\"names\"\"\" ON \"O'Brien\"(name)",
    "CREATE TABLE \"a\"\"b\"(r TEXT PRIMARY KEY, s)",
};
const Texts fixtureTables = {"t", "O'Brien", "a\"b"};

// What each function answers for a name, by the columns that tell its rows apart.
struct Case {
  std::string name;
  Texts tables;       // SQLTables: TABLE_NAME
  Texts columns;      // SQLColumns: COLUMN_NAME
  Texts statistics;   // SQLStatistics: INDEX_NAME "." COLUMN_NAME
  Texts primaryKeys;  // SQLPrimaryKeys: COLUMN_NAME
  bool exists;        // SQLSpecialColumns: the ROWID row
};

const Case cases[] = {
    {"O'Brien", {"O'Brien"}, {"id", "name"}, {"O'Brien \"names\".name"}, {"id"}, true},
    {"a\"b", {"a\"b"}, {"r", "s"}, {"sqlite_autoindex_a\"b_1.r"}, {"r"}, true},
    {"x\"); DROP TABLE t; --", {}, {}, {}, {}, false},
    {"' OR 1=1 --", {}, {}, {}, {}, false},
    {"%", {"O'Brien", "a\"b", "t", "sqlite_master"}, {}, {}, {}, false},
    {"_", {"t"}, {}, {}, {}, false},
    {"o'b%", {"O'Brien"}, {}, {}, {}, false},
};

enum class Function {
  tables,
  columns,
  statistics,
  primaryKeys,
  specialColumns,
  foreignKeys,
  tablePrivileges,
  columnPrivileges,
  procedures,
  procedureColumns,
};
const Function functions[] = {
    Function::tables,           Function::columns,          Function::statistics,
    Function::primaryKeys,      Function::specialColumns,   Function::foreignKeys,
    Function::tablePrivileges,  Function::columnPrivileges, Function::procedures,
    Function::procedureColumns,
};

// The narrow or the wide catalog functions.
template <typename Char>
struct Api {
  decltype(&SQLTables) tables;
  decltype(&SQLColumns) columns;
  decltype(&SQLStatistics) statistics;
  decltype(&SQLPrimaryKeys) primaryKeys;
  decltype(&SQLSpecialColumns) specialColumns;
  decltype(&SQLForeignKeys) foreignKeys;
  decltype(&SQLTablePrivileges) tablePrivileges;
  decltype(&SQLColumnPrivileges) columnPrivileges;
  decltype(&SQLProcedures) procedures;
  decltype(&SQLProcedureColumns) procedureColumns;
};
template <>
struct Api<SQLWCHAR> {
  decltype(&SQLTablesW) tables;
  decltype(&SQLColumnsW) columns;
  decltype(&SQLStatisticsW) statistics;
  decltype(&SQLPrimaryKeysW) primaryKeys;
  decltype(&SQLSpecialColumnsW) specialColumns;
  decltype(&SQLForeignKeysW) foreignKeys;
  decltype(&SQLTablePrivilegesW) tablePrivileges;
  decltype(&SQLColumnPrivilegesW) columnPrivileges;
  decltype(&SQLProceduresW) procedures;
  decltype(&SQLProcedureColumnsW) procedureColumns;
};
const Api<SQLCHAR> narrow = {
    SQLTables,      SQLColumns,         SQLStatistics,       SQLPrimaryKeys, SQLSpecialColumns,
    SQLForeignKeys, SQLTablePrivileges, SQLColumnPrivileges, SQLProcedures,  SQLProcedureColumns};
const Api<SQLWCHAR> wide = {SQLTablesW,          SQLColumnsW,          SQLStatisticsW,
                            SQLPrimaryKeysW,     SQLSpecialColumnsW,   SQLForeignKeysW,
                            SQLTablePrivilegesW, SQLColumnPrivilegesW, SQLProceduresW,
                            SQLProcedureColumnsW};

std::vector<SQLCHAR> units(const std::string& text, const Api<SQLCHAR>&) {
  std::vector<SQLCHAR> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}
std::vector<SQLWCHAR> units(const std::string& text, const Api<SQLWCHAR>&) {
  return testsupport::asciiWide(text.c_str());
}

// Calls the function with `name` in its table (or procedure) argument, the other names null.
template <typename Char>
SQLRETURN call(const Api<Char>& api, Function function, SQLHSTMT stmt, const std::string& name) {
  std::vector<Char> text = units(name, api);
  Char* n = text.data();
  switch (function) {
    case Function::tables:
      return api.tables(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS, nullptr, 0);
    case Function::columns:
      return api.columns(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS, nullptr, 0);
    case Function::statistics:
      return api.statistics(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS, SQL_INDEX_ALL, SQL_QUICK);
    case Function::primaryKeys:
      return api.primaryKeys(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS);
    case Function::specialColumns:
      return api.specialColumns(stmt, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, n, SQL_NTS,
                                SQL_SCOPE_SESSION, SQL_NULLABLE);
    case Function::foreignKeys:
      return api.foreignKeys(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS, nullptr, 0, nullptr, 0, n,
                             SQL_NTS);
    case Function::tablePrivileges:
      return api.tablePrivileges(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS);
    case Function::columnPrivileges:
      return api.columnPrivileges(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS, nullptr, 0);
    case Function::procedures:
      return api.procedures(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS);
    case Function::procedureColumns:
      return api.procedureColumns(stmt, nullptr, 0, nullptr, 0, n, SQL_NTS, nullptr, 0);
  }
  return SQL_ERROR;
}

std::string quoted(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    out += c;
    if (c == quote) out += quote;
  }
  return out + quote;
}

std::string pragma(const char* name, const std::string& argument) {
  return std::string("PRAGMA ") + name + "(" + quoted(argument, '"') + ")";
}

std::string tablesQuery(const std::string& pattern) {
  return "select tbl_name, upper(type) from sqlite_master where 1=1  and (0  or (type = 'table' "
         "and substr(lower(tbl_name), 1, 7) != 'sqlite_')  or substr(lower(tbl_name), 1, 7) = "
         "'sqlite_'  or type = 'view' )  and lower(tbl_name) like lower(" +
         quoted(pattern, '\'') + ")ORDER BY tbl_name ";
}

// Column `column` (1-based) of every row, or two columns joined by ".".
Texts column(const Rows& rows, std::size_t column, std::size_t second = 0) {
  Texts values;
  for (const Texts& row : rows)
    values.push_back(second == 0 ? row[column - 1] : row[column - 1] + "." + row[second - 1]);
  return values;
}

// The server's database file read beside the server.
class Oracle {
 public:
  explicit Oracle(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
  }
  ~Oracle() { sqlite3_close(db_); }
  Oracle(const Oracle&) = delete;
  Oracle& operator=(const Oracle&) = delete;

  // Column `column` (0-based) of every row of the query, NULL as "NULL".
  Texts query(const std::string& sql, int column) const {
    sqlite3_stmt* statement = nullptr;
    Texts values;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db_);
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
      const unsigned char* value = sqlite3_column_text(statement, column);
      values.emplace_back(value != nullptr ? reinterpret_cast<const char*>(value) : "NULL");
    }
    sqlite3_finalize(statement);
    return values;
  }

 private:
  sqlite3* db_ = nullptr;
};

class CatalogInjection : public testsupport::DevServerTest {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--sql-log", "sql.log"}; }

  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    const char* driver = std::getenv("KARVOD_DRIVER");
    ASSERT_NE(driver, nullptr);
    ini.writeDriverIni("[Karvell ODBC]\nDriver = " + std::string(driver) + "\n");
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
    std::string in = "Driver={Karvell ODBC};Server=127.0.0.1;Port=" + std::to_string(port()) +
                     ";UID=karvell;PWD=karvell";
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]),
                                               SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    connected = true;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)));
    for (const char* sql : fixture) {
      ASSERT_TRUE(SQL_SUCCEEDED(
          SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS)))
          << sql;
      SQLFreeStmt(stmt, SQL_CLOSE);
    }
  }

  void TearDown() override {
    if (stmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    if (connected) SQLDisconnect(dbc);
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
    DevServerTest::TearDown();
  }

  // Every row of the statement's result as text ("NULL" for NULL); the cursor closed after.
  Rows fetchAll() {
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    Rows rows;
    while (SQLFetch(stmt) == SQL_SUCCESS) {
      Texts& row = rows.emplace_back();
      for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        char value[512] = {};
        SQLLEN length = 0;
        EXPECT_EQ(SQLGetData(stmt, c, SQL_C_CHAR, value, sizeof value, &length), SQL_SUCCESS);
        row.emplace_back(length == SQL_NULL_DATA ? "NULL" : value);
      }
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
    return rows;
  }

  // The texts the server has received, without session and command numbers.
  Texts sqlLog() {
    std::ifstream log(server().dataFile("sql.log"));
    Texts texts;
    for (std::string line; std::getline(log, line);)
      texts.push_back(line.substr(line.find(' ', line.find(' ') + 1) + 1));
    return texts;
  }

  // The texts the server should receive for the function on `name`: the index names come from
  // the database file, as the server reads them out.
  Texts expectedTexts(Function function, const std::string& name, const Oracle& oracle) {
    const Texts indexes = oracle.query(pragma("index_list", name), 1);
    const Texts origins = oracle.query(pragma("index_list", name), 3);
    switch (function) {
      case Function::tables:
      case Function::specialColumns:
        return {tablesQuery(name)};
      case Function::columns:
        return {pragma("table_info", name)};
      case Function::statistics: {
        Texts texts = {pragma("index_list", name)};
        for (const std::string& index : indexes) texts.push_back(pragma("index_info", index));
        return texts;
      }
      case Function::primaryKeys:
        for (std::size_t i = 0; i < indexes.size(); ++i) {
          if (origins[i] == "pk")
            return {pragma("index_list", name), pragma("index_info", indexes[i])};
        }
        return {pragma("index_list", name), pragma("table_info", name)};
      default:
        return {};
    }
  }

  template <typename Char>
  void runTable(const Api<Char>& api) {
    const Oracle oracle(server().dataFile("default.db"));
    for (const Case& c : cases) {
      for (const Function function : functions) {
        SCOPED_TRACE("name " + c.name + ", function " + std::to_string(static_cast<int>(function)));
        const std::size_t logged = sqlLog().size();
        ASSERT_EQ(call(api, function, stmt, c.name), SQL_SUCCESS);
        const Rows rows = fetchAll();
        const Texts log = sqlLog();
        EXPECT_EQ(Texts(log.begin() + static_cast<std::ptrdiff_t>(logged), log.end()),
                  expectedTexts(function, c.name, oracle));
        switch (function) {
          case Function::tables:
            EXPECT_EQ(column(rows, 3), c.tables);
            break;
          case Function::columns:
            EXPECT_EQ(column(rows, 4), c.columns);
            EXPECT_EQ(column(rows, 3), Texts(c.columns.size(), c.name));
            break;
          case Function::statistics:
            EXPECT_EQ(column(rows, 6, 9), c.statistics);
            break;
          case Function::primaryKeys:
            EXPECT_EQ(column(rows, 4), c.primaryKeys);
            break;
          case Function::specialColumns:
            EXPECT_EQ(rows, (c.exists ? Rows{{"2", "ROWID", "-5", "BIGINT", "19", "8", "0", "2"}}
                                      : Rows{}));
            break;
          case Function::tablePrivileges:
            // The server keeps no privileges: any name is granted everything.
            EXPECT_EQ(column(rows, 3), Texts(4, c.name));
            EXPECT_EQ(column(rows, 6), (Texts{"SELECT", "INSERT", "UPDATE", "DELETE"}));
            break;
          default:
            EXPECT_TRUE(rows.empty());
        }
      }
    }
    const Texts tables = oracle.query("SELECT name FROM sqlite_master WHERE type = 'table'", 0);
    for (const std::string& table : fixtureTables)
      EXPECT_NE(std::find(tables.begin(), tables.end(), table), tables.end()) << table;
  }

  testsupport::TempOdbcIni ini;
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  bool connected = false;
};

TEST_F(CatalogInjection, NarrowFunctions) { runTable(narrow); }

TEST_F(CatalogInjection, WideFunctions) { runTable(wide); }

}  // namespace
