// Wide diagnostics on a connection opened with the narrow SQLDriverConnect. The Driver Manager then
// reads the driver's narrow SQLGetDiagRec and widens its UTF-8 in the application's locale, so an
// application mixing the two runs in a UTF-8 locale; the driver's own wide functions decode UTF-8
// whatever the locale.
#include <sql.h>
#include <sqlext.h>

#include <clocale>
#include <string>

#include "tests/integration/DriverEntryPoints.h"
#include "tests/integration/OdbcProgram.h"

namespace {

using integrationtest::OdbcProgram;

// A server error whose message names the table as it was written.
const char* const missingTableQuery = "select * from nosuch\xC3\xA9_table";
const std::u16string missingTable = u"nosuch\u00E9_table";

SQLCHAR* text(const char* sql) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)); }

std::u16string upToNul(const SQLWCHAR* text) {
  std::u16string units;
  for (; *text != 0; ++text) units.push_back(static_cast<char16_t>(*text));
  return units;
}

// Record 1 of the handle as SQLGetDiagRecW answers it, by the function given (the Driver
// Manager's or the driver's own): its text up to the terminator, which names the table.
template <typename GetDiagRecW>
std::u16string expectWideRecordNamesTheTable(SQLSMALLINT type, SQLHANDLE handle,
                                             GetDiagRecW getDiagRecW) {
  SQLWCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLWCHAR message[512] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(getDiagRecW(type, handle, 1, state, &native, message, 512, &length), SQL_SUCCESS);
  EXPECT_EQ(upToNul(state), u"HY000");
  const std::u16string record = upToNul(message);
  EXPECT_NE(record.find(u"no such table: " + missingTable), std::u16string::npos)
      << std::string(record.begin(), record.end());
  return record;
}

// The application's locale is UTF-8 from before it connects: the Driver Manager settles its
// conversion when the connection opens.
class Utf8LocaleProgram : public OdbcProgram {
 protected:
  void SetUp() override {
    previous_ = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
    OdbcProgram::SetUp();
  }

  void TearDown() override {
    OdbcProgram::TearDown();
    std::setlocale(LC_ALL, previous_.c_str());
  }

 private:
  std::string previous_;
};

TEST_F(Utf8LocaleProgram, WideDiagnosticsAfterANarrowConnectDecodeTheServersText) {
  SQLHSTMT stmt = statement();
  ASSERT_EQ(SQLExecDirect(stmt, text(missingTableQuery), SQL_NTS), SQL_ERROR);
  expectWideRecordNamesTheTable(SQL_HANDLE_STMT, stmt, SQLGetDiagRecW);
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

// The driver's own entry points, without a Driver Manager, in the C locale the test runs in.
TEST_F(OdbcProgram, TheDriversWideDiagnosticsDecodeUtf8InAnyLocale) {
  ASSERT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
  integrationtest::DriverEntryPoints driver(port());
  ASSERT_TRUE(driver.connected());
  const auto allocHandle = driver.entry(&SQLAllocHandle, "SQLAllocHandle");
  const auto execDirect = driver.entry(&SQLExecDirect, "SQLExecDirect");
  const auto getDiagRecW = driver.entry(&SQLGetDiagRecW, "SQLGetDiagRecW");
  const auto getDiagFieldW = driver.entry(&SQLGetDiagFieldW, "SQLGetDiagFieldW");
  const auto freeHandle = driver.entry(&SQLFreeHandle, "SQLFreeHandle");
  ASSERT_FALSE(HasFailure());
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ASSERT_EQ(allocHandle(SQL_HANDLE_STMT, driver.dbc(), &stmt), SQL_SUCCESS);
  ASSERT_EQ(execDirect(stmt, text(missingTableQuery), SQL_NTS), SQL_ERROR);
  expectWideRecordNamesTheTable(SQL_HANDLE_STMT, stmt, getDiagRecW);
  SQLWCHAR field[512] = {};
  SQLSMALLINT bytes = 0;
  ASSERT_EQ(getDiagFieldW(SQL_HANDLE_STMT, stmt, 1, SQL_DIAG_MESSAGE_TEXT, field, sizeof field,
                          &bytes),
            SQL_SUCCESS);
  EXPECT_EQ(upToNul(field), u"no such table: " + missingTable);
  EXPECT_EQ(bytes, static_cast<SQLSMALLINT>(2 * upToNul(field).size()));
  freeHandle(SQL_HANDLE_STMT, stmt);
}

}  // namespace
