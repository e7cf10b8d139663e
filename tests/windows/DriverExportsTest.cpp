// karvod64.dll as a Windows Driver Manager uses it: loaded by LoadLibrary, its functions found by
// GetProcAddress, connected to the development server through SQLDriverConnectW.
#include <string>

#include "tests/windows/LoadedDriver.h"

namespace {

using windowstest::utf16;
using windowstest::wide;
using DriverExports = windowstest::LoadedDriverTest;

TEST_F(DriverExports, ConnectsQueriesAndFetchesThroughTheExports) {
  auto allocHandle =
      find<SQLRETURN(SQL_API*)(SQLSMALLINT, SQLHANDLE, SQLHANDLE*)>("SQLAllocHandle");
  auto setEnvAttr =
      find<SQLRETURN(SQL_API*)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER)>("SQLSetEnvAttr");
  auto driverConnect =
      find<SQLRETURN(SQL_API*)(SQLHDBC, SQLHWND, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                               SQLSMALLINT*, SQLUSMALLINT)>("SQLDriverConnectW");
  auto execDirect = find<SQLRETURN(SQL_API*)(SQLHSTMT, SQLWCHAR*, SQLINTEGER)>("SQLExecDirectW");
  auto bindCol =
      find<SQLRETURN(SQL_API*)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*)>(
          "SQLBindCol");
  auto fetch = find<SQLRETURN(SQL_API*)(SQLHSTMT)>("SQLFetch");
  auto getData =
      find<SQLRETURN(SQL_API*)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*)>(
          "SQLGetData");
  auto getDiagRec =
      find<SQLRETURN(SQL_API*)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLWCHAR*, SQLINTEGER*,
                               SQLWCHAR*, SQLSMALLINT, SQLSMALLINT*)>("SQLGetDiagRecW");
  auto freeStmt = find<SQLRETURN(SQL_API*)(SQLHSTMT, SQLUSMALLINT)>("SQLFreeStmt");
  auto disconnect = find<SQLRETURN(SQL_API*)(SQLHDBC)>("SQLDisconnect");
  auto freeHandle = find<SQLRETURN(SQL_API*)(SQLSMALLINT, SQLHANDLE)>("SQLFreeHandle");
  ASSERT_FALSE(HasFailure());

  SQLHANDLE env = nullptr;
  SQLHANDLE dbc = nullptr;
  SQLHANDLE stmt = nullptr;
  ASSERT_EQ(allocHandle(SQL_HANDLE_ENV, nullptr, &env), SQL_SUCCESS);
  ASSERT_EQ(setEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
            SQL_SUCCESS);
  ASSERT_EQ(allocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
  std::u16string in =
      utf16("SERVER=127.0.0.1;PORT=" + std::to_string(port()) + ";UID=karvell;PWD=karvell");
  SQLWCHAR out[512];
  SQLSMALLINT outLength = 0;
  const SQLRETURN connected =
      driverConnect(dbc, nullptr, wide(in), SQL_NTS, out, 512, &outLength, SQL_DRIVER_NOPROMPT);
  ASSERT_TRUE(SQL_SUCCEEDED(connected)) << connected;
  ASSERT_EQ(allocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_SUCCESS);

  std::u16string create = u"create table w (id integer, v text)";
  ASSERT_TRUE(SQL_SUCCEEDED(execDirect(stmt, wide(create), SQL_NTS)));
  std::u16string insert = u"insert into w values (1, 'caf\u00e9 \u20ac \U0001F600')";
  ASSERT_TRUE(SQL_SUCCEEDED(execDirect(stmt, wide(insert), SQL_NTS)));
  freeStmt(stmt, SQL_CLOSE);

  std::u16string select = u"select id, v from w";
  ASSERT_TRUE(SQL_SUCCEEDED(execDirect(stmt, wide(select), SQL_NTS)));
  SQLINTEGER id = 0;
  SQLLEN idIndicator = 0;
  ASSERT_EQ(bindCol(stmt, 1, SQL_C_SLONG, &id, 0, &idIndicator), SQL_SUCCESS);
  ASSERT_EQ(fetch(stmt), SQL_SUCCESS);
  EXPECT_EQ(id, 1);
  SQLWCHAR text[32] = {};
  SQLLEN textLength = 0;
  ASSERT_EQ(getData(stmt, 2, SQL_C_WCHAR, text, sizeof text, &textLength), SQL_SUCCESS);
  EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(text)), u"caf\u00e9 \u20ac \U0001F600");
  EXPECT_EQ(fetch(stmt), SQL_NO_DATA);
  freeStmt(stmt, SQL_CLOSE);

  std::u16string missing = u"select * from missing_table";
  EXPECT_EQ(execDirect(stmt, wide(missing), SQL_NTS), SQL_ERROR);
  SQLWCHAR state[6] = {};
  SQLWCHAR message[256] = {};
  SQLINTEGER native = 0;
  SQLSMALLINT messageLength = 0;
  ASSERT_EQ(getDiagRec(SQL_HANDLE_STMT, stmt, 1, state, &native, message, 256, &messageLength),
            SQL_SUCCESS);
  const std::u16string messageText(reinterpret_cast<char16_t*>(message));
  EXPECT_NE(messageText.find(u"no such table: missing_table"), std::u16string::npos);

  EXPECT_EQ(freeHandle(SQL_HANDLE_STMT, stmt), SQL_SUCCESS);
  EXPECT_EQ(disconnect(dbc), SQL_SUCCESS);
  EXPECT_EQ(freeHandle(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
  EXPECT_EQ(freeHandle(SQL_HANDLE_ENV, env), SQL_SUCCESS);
}

}  // namespace
