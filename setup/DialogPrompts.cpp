#include "setup/DialogPrompts.h"

#include "setup/AttributeList.h"
#include "setup/LoginDialog.h"
#include "setup/SetupDialog.h"
#include "setup/SetupText.h"

DialogOutcome DialogPrompts::editDataSource(SQLHWND window, const std::string& displayName,
                                   const std::string& dsn, const std::string& connectionString,
                                   SQLUSMALLINT, std::string& attributes) {
  DialogOutcome outcome = DialogOutcome::failed;
  const std::u16string list =
      runSetupDialog(window, utf16Text(displayName), utf16Text(dsn), utf16Text(connectionString),
                     SetupDialog::promptMode, outcome);
  if (outcome == DialogOutcome::confirmed) attributes = attributesAsConnectionString(list.c_str());
  return outcome;
}

DialogOutcome DialogPrompts::askLogin(SQLHWND window, const std::string& connectionString,
                                      std::string& user, std::string& password) {
  return runLoginDialog(window, connectionString, user, password);
}
