#include "setup/LoginDialog.h"

#include "core/AttributeString.h"
#include "setup/SetupText.h"
#include "setup/resource.h"

namespace {

// The edits take 255 characters; the values are kept whole.
constexpr int credentialLimit = 255;

}  // namespace

LoginDialog::LoginDialog(void* parentWindow, const std::string& connectionString,
                         const std::string& userId, const std::string& password)
    : dataSourceName_(connectionStringValue(connectionString, "DSN")),
      userId_(userId),
      password_(password) {
  DialogSystem* system = dialogSystem();
  if (!system || system->runModal(IDD_LOGIN, parentWindow, *this) == DialogOutcome::failed) {
    outcome_ = DialogOutcome::failed;
  }
}

void LoginDialog::onInitDialog(DialogWindow& window) {
  window_ = &window;
  window.setText(IDC_LOGIN_DSN, utf16Text(dataSourceName_));
  window.setText(IDC_LOGIN_UID, utf16Text(userId_));
  window.setText(IDC_LOGIN_PWD, utf16Text(password_));
  window.setTitle(localizedText(IDS_LOGIN_TITLE));
  window.setText(commandOk, localizedText(IDS_OK));
  window.setText(commandCancel, localizedText(IDS_CANCEL));
  window.setText(IDC_LOGIN_DSN_LABEL, localizedText(IDS_DSN_LABEL));
  window.setText(IDC_LOGIN_UID_LABEL, localizedText(IDS_UID_LABEL));
  window.setText(IDC_LOGIN_PWD_LABEL, localizedText(IDS_PWD_LABEL));
  window.centerOnParent();
  window.setTextLimit(IDC_LOGIN_UID, credentialLimit);
  window.setTextLimit(IDC_LOGIN_PWD, credentialLimit);
  window.setFocus(IDC_LOGIN_UID);
}

bool LoginDialog::onCommand(int control, int) {
  if (control == commandOk) {
    userId_ = utf8Text(window_->text(IDC_LOGIN_UID));
    password_ = utf8Text(window_->text(IDC_LOGIN_PWD));
    outcome_ = DialogOutcome::confirmed;
    window_->close(true);
  } else if (control == commandCancel) {
    outcome_ = DialogOutcome::cancelled;
    window_->close(false);
  }
  return true;
}

DialogOutcome runLoginDialog(void* parentWindow, const std::string& connectionString,
                             std::string& userId, std::string& password) {
  LoginDialog dialog(parentWindow, connectionString, userId, password);
  if (dialog.outcome() == DialogOutcome::confirmed) {
    userId = dialog.userId();
    password = dialog.password();
  }
  return dialog.outcome();
}
