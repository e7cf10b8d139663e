// SQLDriverConnect's prompts through the driver's own functions against the development server:
// the wizard and the login dialog (scripted) complete a connection string that connects again as
// it stands, and a connect without a window shows no dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/ConnectionPrompts.h"
#include "platform/Odbc.h"
#include "setup/DialogPrompts.h"
#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"
#include "tests/support/DevServer.h"

#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

class PromptedConnect : public testsupport::DevServerTest {
 protected:
  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    // The dialogs that the Windows library registers for itself, here on every system.
    previous_ = connectionPrompts();
    setConnectionPrompts(&prompts_);
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env), SQL_SUCCESS);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  }

  void TearDown() override {
    if (env != SQL_NULL_HENV) {
      setConnectionPrompts(previous_);
      SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    DevServerTest::TearDown();
  }

  std::string server() const {
    return "SERVER=127.0.0.1;PORT=" + std::to_string(port()) + ";";
  }

  // Connects a new handle with the string; answers the return code and the completed string,
  // or the first diagnostic's message in `failure`.
  SQLRETURN connect(const std::string& in, SQLHWND window, SQLUSMALLINT completion,
                    std::string& out, std::string& failure) {
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLCHAR completed[1024] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLDriverConnect(
        dbc, window, reinterpret_cast<SQLCHAR*>(const_cast<char*>(in.c_str())), SQL_NTS,
        completed, sizeof completed, &length, completion);
    out = reinterpret_cast<char*>(completed);
    SQLCHAR state[6] = {};
    SQLCHAR message[512] = {};
    failure.clear();
    if (!SQL_SUCCEEDED(rc) &&
        SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_DBC, dbc, 1, state, nullptr, message,
                                    sizeof message, nullptr))) {
      failure = std::string(reinterpret_cast<char*>(state)) + " " +
                reinterpret_cast<char*>(message);
    }
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    return rc;
  }

  // The completed string, given back without prompting, connects.
  void expectConnectsAgain(const std::string& out) {
    std::string again;
    std::string failure;
    EXPECT_EQ(connect(out, nullptr, SQL_DRIVER_NOPROMPT, again, failure), SQL_SUCCESS) << failure;
  }

#ifndef _WIN32
  testsupport::TempOdbcIni ini_;
#endif
  SQLHENV env = SQL_NULL_HENV;
  FakeDialogSystem dialogs;

 private:
  DialogPrompts prompts_;
  ConnectionPrompts* previous_ = nullptr;
};

const auto window = reinterpret_cast<SQLHWND>(9);

// The wizard in prompt mode: on to the connection page, then the database.
void chooseDatabase(FakeDialog& d) {
  d.click(IDC_WIZARD_NEXT);
  d.click(IDC_WIZARD_NEXT);
  d.type(IDC_DB_NAME, u"default");
  d.click(IDC_WIZARD_FINISH);
  d.click(IDC_WIZARD_NEXT);
}

void logIn(FakeDialog& d) {
  d.type(IDC_LOGIN_UID, u"karvell");
  d.type(IDC_LOGIN_PWD, u"karvell");
  d.click(commandOk);
}

TEST_F(PromptedConnect, TheWizardKeepsTheDriverAndTheApplicationsLogin) {
  dialogs.onOpen(IDD_WIZARD, chooseDatabase);
  std::string out;
  std::string failure;
  ASSERT_EQ(connect("DRIVER={Karvell ODBC};" + server() + "UID=karvell;PWD=karvell;", window,
                    SQL_DRIVER_PROMPT, out, failure),
            SQL_SUCCESS)
      << failure;
  EXPECT_EQ(dialogs.parents, std::vector<void*>{window}) << "the wizard alone, no login";
  EXPECT_EQ(out.rfind("DRIVER={Karvell ODBC};", 0), 0u) << out;
  EXPECT_NE(out.find("Database=default;"), std::string::npos) << out;
  EXPECT_NE(out.find("UID=karvell;PWD=karvell;"), std::string::npos) << out;
  expectConnectsAgain(out);
}

TEST_F(PromptedConnect, TheLoginDialogsAnswerJoinsTheString) {
  dialogs.onOpen(IDD_LOGIN, logIn);
  const std::string in = server() + "DATABASE=default;";
  std::string out;
  std::string failure;
  ASSERT_EQ(connect(in, window, SQL_DRIVER_COMPLETE, out, failure), SQL_SUCCESS) << failure;
  EXPECT_EQ(dialogs.parents, std::vector<void*>{window});
  EXPECT_EQ(out, "DRIVER={Karvell ODBC};" + in + "UID=karvell;PWD=karvell;");
  expectConnectsAgain(out);
}

// No window to own a dialog: nothing is shown, whatever the mode, and a missing login fails as
// it does without prompting.
TEST_F(PromptedConnect, ANullWindowShowsNothing) {
  dialogs.onOpen(IDD_WIZARD, chooseDatabase);
  dialogs.onOpen(IDD_LOGIN, logIn);
  for (const SQLUSMALLINT mode :
       {SQL_DRIVER_PROMPT, SQL_DRIVER_COMPLETE, SQL_DRIVER_COMPLETE_REQUIRED}) {
    std::string out;
    std::string failure;
    EXPECT_EQ(connect(server(), nullptr, mode, out, failure), SQL_ERROR) << mode;
    EXPECT_NE(failure.find("Missing username"), std::string::npos) << failure;
    EXPECT_EQ(connect(server() + "UID=karvell;PWD=karvell;", nullptr, mode, out, failure),
              SQL_SUCCESS)
        << failure;
  }
  EXPECT_TRUE(dialogs.events.empty());
}

}  // namespace
