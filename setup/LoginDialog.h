#pragma once
// Dialog 100: asks for the user id and password when a connection string names no user.
#include <string>

#include "setup/DialogSystem.h"

class LoginDialog : public DialogHandler {
 public:
  // Texts in UTF-8; the data source name is the connection string's "DSN" value.
  LoginDialog(void* parentWindow, const std::string& connectionString, const std::string& userId,
              const std::string& password);
  virtual ~LoginDialog() = default;
  void onInitDialog(DialogWindow& window) override;
  bool onCommand(int control, int notification) override;

  DialogOutcome outcome() const { return outcome_; }
  const std::string& userId() const { return userId_; }
  const std::string& password() const { return password_; }

 private:
  DialogWindow* window_ = nullptr;
  DialogOutcome outcome_ = DialogOutcome::cancelled;
  std::string dataSourceName_;
  std::string userId_;
  std::string password_;
};

// Shows the login over the parent. On confirmation the user id and password are replaced by what
// the user typed; otherwise they stay as they were.
DialogOutcome runLoginDialog(void* parentWindow, const std::string& connectionString,
                             std::string& userId, std::string& password);
