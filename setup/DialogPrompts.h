#pragma once
// SQLDriverConnect's prompts answered by the setup dialogs: the wizard in prompt mode for the
// data-source settings, the login dialog for the credentials. Registered with the back end where
// dialogs exist (Windows).
#include "backend/ConnectionPrompts.h"

class DialogPrompts : public ConnectionPrompts {
 public:
  // The wizard's list comes back once as "KEY=value;" entries, braced where a value needs it.
  DialogOutcome editDataSource(SQLHWND window, const std::string& displayName,
                               const std::string& dsn, const std::string& connectionString,
                               SQLUSMALLINT completion, std::string& attributes) override;
  DialogOutcome askLogin(SQLHWND window, const std::string& connectionString, std::string& user,
                         std::string& password) override;
};
