// The connection test against the development server, through the driver's own functions.
#include <gtest/gtest.h>

#include "setup/SetupDialog.h"
#include "setup/TestSheet.h"
#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/DevServer.h"

#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

using setuptest::listOf;

namespace {

class ConnectionTest : public testsupport::DevServerTest {
 protected:
  std::string serverEntries() const {
    return "Server=127.0.0.1|Port=" + std::to_string(port()) + "|";
  }
};

std::string reportFor(const std::string& list) {
  FakeDialogSystem system;
  std::string shown;
  system.onOpen(IDD_TEST, [&shown](FakeDialog& d) {
    shown = utf8Text(d.text(IDC_TEST_REPORT));
    d.click(commandOk);
  });
  TestSheet sheet(nullptr, listOf(list));
  return shown;
}

TEST_F(ConnectionTest, SuccessNamesTheServerAndItsVersion) {
  const std::string shown = reportFor(serverEntries() + "UID=karvell|PWD=karvell|");
  EXPECT_EQ(shown.rfind("Attempting to connect to database  on host 127.0.0.1...\r\n\r\n"
                        "Database version: Karvell ",
                        0),
            0u)
      << shown;
  EXPECT_NE(shown.find("\r\n\r\nTest completed successfully.\r\n"), std::string::npos) << shown;
}

TEST_F(ConnectionTest, ARefusedLoginListsTheMessagesThenTestFailed) {
  const std::string shown = reportFor(serverEntries() + "UID=karvell|PWD=wrong|");
  EXPECT_NE(shown.find("]["), std::string::npos) << shown;
  EXPECT_EQ(shown.size() - shown.rfind("\r\n\r\nTest failed.\r\n"), 18u) << shown;
}

TEST(ConnectionTestClosedPort, Fails) {
  const std::string shown = reportFor("Server=127.0.0.1|Port=1|UID=karvell|PWD=karvell|");
  EXPECT_NE(shown.find("][Karvell"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\r\n\r\nTest failed.\r\n"), std::string::npos) << shown;
}

#ifndef _WIN32
// The test uses what the wizard shows, not what the DSN stored: here the DSN's port is wrong
// and the user has just corrected it.
TEST_F(ConnectionTest, TheWizardsValuesNotTheStoredDsn) {
  testsupport::TempOdbcIni ini;
  ini.writeUserIni("[StalePort]\nDriver=Karvell ODBC\nServer=127.0.0.1\nPort=1\n");
  FakeDialogSystem system;
  std::string shown;
  const std::u16string port = utf16Text(std::to_string(this->port()));
  system.onOpen(IDD_WIZARD, [&port](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_CONN_PORT, port);
    d.click(IDC_CONN_LIST_DATABASES);
    d.type(IDC_CONN_UID, u"karvell");
    d.type(IDC_CONN_PWD, u"karvell");
    d.click(IDC_CONN_LIST_DATABASES);
    d.click(IDC_WIZARD_FINISH);
    d.click(IDC_WIZARD_FINISH);
    d.click(IDC_WIZARD_CANCEL);
  });
  system.onOpen(IDD_TEST, [&shown](FakeDialog& d) {
    shown = utf8Text(d.text(IDC_TEST_REPORT));
    d.click(commandOk);
  });
  DialogOutcome outcome;
  runSetupDialog(nullptr, u"Karvell ODBC", u"StalePort", u"", SetupDialog::configureMode, outcome);
  EXPECT_NE(shown.find("Test completed successfully."), std::string::npos) << shown;
}
#endif

}  // namespace
