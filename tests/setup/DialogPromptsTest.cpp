// SQLDriverConnect's prompts answered by the wizard and the login dialog.
#include "setup/DialogPrompts.h"

#include <gtest/gtest.h>

#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"

namespace {

TEST(DialogPrompts, TheWizardsListComesBackAsBracedEntries) {
  FakeDialogSystem system;
  system.onOpen(IDD_WIZARD, [](FakeDialog& d) {
    d.click(IDC_WIZARD_NEXT);
    // Prompt mode starts on the connection page, filled from the connection string.
    EXPECT_EQ(d.text(IDC_CONN_HOST), u"db");
    EXPECT_EQ(d.text(IDC_CONN_PORT), u"4431");
    d.click(IDC_WIZARD_NEXT);
    d.type(IDC_DB_NAME, u"x;SERVER=other");
    d.click(IDC_WIZARD_FINISH);
    d.click(IDC_WIZARD_NEXT);
  });
  DialogPrompts prompts;
  std::string attributes;
  ASSERT_EQ(prompts.editDataSource(reinterpret_cast<SQLHWND>(9), "Karvell ODBC", "",
                                   "SERVER=db;PORT=4431;UID=ann", SQL_DRIVER_PROMPT, attributes),
            DialogOutcome::confirmed);
  EXPECT_EQ(attributes,
            "Description=;Database={x;SERVER=other};Server=db;Port=4431;Encryption=;"
            "IncludeViews=;AutoDetectEncoding=;MultiByteEncoding=;QueryLog_On=;QueryLogTime=;"
            "QueryLogFile=;");
  EXPECT_EQ(system.parents[0], reinterpret_cast<void*>(9));

  system.onOpen(IDD_WIZARD, [](FakeDialog& d) { d.click(IDC_WIZARD_CANCEL); });
  EXPECT_EQ(prompts.editDataSource(nullptr, "Karvell ODBC", "", "SERVER=db", SQL_DRIVER_PROMPT,
                                   attributes),
            DialogOutcome::cancelled);
  system.failToShow = true;
  EXPECT_EQ(prompts.editDataSource(nullptr, "Karvell ODBC", "", "SERVER=db", SQL_DRIVER_PROMPT,
                                   attributes),
            DialogOutcome::failed);
}

TEST(DialogPrompts, LoginAnswersWhetherTheUserConfirmed) {
  FakeDialogSystem system;
  system.onOpen(IDD_LOGIN, [](FakeDialog& d) {
    d.type(IDC_LOGIN_UID, u"ann");
    d.type(IDC_LOGIN_PWD, u"pw");
    d.click(commandOk);
  });
  system.onOpen(IDD_LOGIN, [](FakeDialog& d) { d.click(commandCancel); });
  DialogPrompts prompts;
  std::string user;
  std::string password;
  ASSERT_EQ(prompts.askLogin(nullptr, "DSN=x", user, password), DialogOutcome::confirmed);
  EXPECT_EQ(user, "ann");
  EXPECT_EQ(password, "pw");
  EXPECT_EQ(prompts.askLogin(nullptr, "DSN=x", user, password), DialogOutcome::cancelled);
  EXPECT_EQ(user, "ann");
}

}  // namespace
