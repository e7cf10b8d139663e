// The time limits on Windows: a login the server holds back and a query the server never answers
// end when the application's limit says, through the module's exports against the Linux
// development server.
#include <chrono>
#include <future>

#include "tests/windows/LoadedDriver.h"

namespace {

using windowstest::ConnectedDriverTest;
using windowstest::utf16;
using windowstest::wide;
using Clock = std::chrono::steady_clock;

// Waits for the call, but not for ever: a call still running long past its limit fails the test
// and is freed by stopping the server, which closes the connection under it.
template <typename Call>
SQLRETURN boundedCall(Call call, testsupport::DevServer& server, double& seconds) {
  const auto start = Clock::now();
  auto running = std::async(std::launch::async, call);
  if (running.wait_for(std::chrono::seconds(8)) != std::future_status::ready) {
    ADD_FAILURE() << "the call still ran after 8 s";
    server.stop();
  }
  const SQLRETURN rc = running.get();
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return rc;
}

class LoginTimeLimit : public ConnectedDriverTest {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--login-delay", "10"}; }
  bool connectsAtSetUp() const override { return false; }
};

TEST_F(LoginTimeLimit, ALoginHeldBackEndsAtTheLimitWithHYT00) {
  ASSERT_EQ(odbc.SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(2), 0),
            SQL_SUCCESS);
  double seconds = 0;
  const SQLRETURN rc = boundedCall([this] { return connect(); }, server(), seconds);
  EXPECT_EQ(rc, SQL_ERROR);
  EXPECT_EQ(firstState(dbc, SQL_HANDLE_DBC), "HYT00");
  EXPECT_LE(seconds, 3.0);
}

using QueryTimeLimit = ConnectedDriverTest;

TEST_F(QueryTimeLimit, AStalledQueryEndsAtTheLimitWithHYT00AndTheConnectionIsDead) {
  ASSERT_EQ(odbc.SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0),
            SQL_SUCCESS);
  double seconds = 0;
  const SQLRETURN rc = boundedCall(
      [this] {
        std::u16string stall = utf16("@@fault stall");
        return odbc.SQLExecDirectW(stmt, wide(stall), SQL_NTS);
      },
      server(), seconds);
  EXPECT_EQ(rc, SQL_ERROR);
  EXPECT_EQ(firstState(stmt), "HYT00");
  EXPECT_LE(seconds, 2.0);

  std::u16string later = utf16("SELECT 1");
  const auto start = Clock::now();
  EXPECT_EQ(odbc.SQLExecDirectW(stmt, wide(later), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(firstState(stmt), "08S01");
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500)) << "answered without the server";
  SQLUINTEGER dead = SQL_CD_FALSE;
  EXPECT_EQ(odbc.SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_TRUE));
  EXPECT_EQ(odbc.SQLDisconnect(dbc), SQL_SUCCESS);
}

}  // namespace
