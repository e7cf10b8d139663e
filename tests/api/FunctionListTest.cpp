// SQLGetFunctions answers true exactly for the functions the module exports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "backend/DriverFactories.h"
#include "core/ConnectionProxy.h"
#include "core/ConstantNames.h"
#include "tests/api/ApiFixture.h"

namespace apitest {
namespace {

// The ODBC functions of the export list, as SQL_API_ names ("SQLFetch" is "SQL_API_SQLFETCH").
std::set<std::string> exportedFunctionIds() {
  const char* source = std::getenv("KARVOD_SOURCE_DIR");
  std::ifstream list(std::string(source == nullptr ? "." : source) + "/api/exports.txt");
  std::set<std::string> names;
  for (std::string line; std::getline(list, line);) {
    if (line.rfind("SQL", 0) != 0) continue;
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    names.insert("SQL_API_" + line);
  }
  return names;
}

using FunctionList = ApiTest;

TEST_F(FunctionList, SupportedFunctionsAreTheExports) {
  const std::set<std::string> exported = exportedFunctionIds();
  ASSERT_GT(exported.size(), 60u) << "the export list was not read";
  SQLHDBC server = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &server), SQL_SUCCESS);
  auto* proxy = static_cast<ConnectionProxy*>(server);
  proxy->attachConnection(createConnection(proxy->environment()));

  SQLUSMALLINT bitmap[SQL_API_ODBC3_ALL_FUNCTIONS_SIZE] = {};
  ASSERT_EQ(SQLGetFunctions(server, SQL_API_ODBC3_ALL_FUNCTIONS, bitmap), SQL_SUCCESS);
  SQLUSMALLINT odbc2[100] = {};
  ASSERT_EQ(SQLGetFunctions(server, SQL_API_ALL_FUNCTIONS, odbc2), SQL_SUCCESS);
  for (const ConstantNameEntry& row : constants::functionIds) {
    const auto id = static_cast<SQLUSMALLINT>(row.value);
    const bool supported = SQL_FUNC_EXISTS(bitmap, id) == SQL_TRUE;
    EXPECT_EQ(supported, exported.count(row.name) != 0) << row.name;
    SQLUSMALLINT single = 7;
    ASSERT_EQ(SQLGetFunctions(server, id, &single), SQL_SUCCESS);
    EXPECT_EQ(single, supported ? SQL_TRUE : SQL_FALSE) << row.name;
    if (id < 100) {
      EXPECT_EQ(odbc2[id], single) << row.name;
    }
  }
  SQLFreeHandle(SQL_HANDLE_DBC, server);
}

}  // namespace
}  // namespace apitest
