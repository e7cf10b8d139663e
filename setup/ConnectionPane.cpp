#include "setup/DialogSystem.h"
#include "setup/SetupDialog.h"
#include "setup/SetupPanes.h"
#include "setup/SetupText.h"
#include "setup/resource.h"

namespace {

// The list's entries and the encryption level each stands for; the localized "None" is 0.
struct EncryptionChoice {
  const char16_t* text;
  unsigned level;
};
constexpr EncryptionChoice encryptionChoices[] = {
    {u"AES 128", 2}, {u"AES 192", 3}, {u"AES 256", 4}};

void selectItem(DialogWindow& window, int control, const std::u16string& text) {
  for (int position = 0; position < window.comboCount(control); ++position) {
    if (window.comboItem(control, position) == text) {
      window.selectComboItem(control, position);
      return;
    }
  }
}

}  // namespace

ConnectionPane::ConnectionPane(SetupDialog& owner, const std::u16string& server, int port,
                               unsigned encryption, bool listDatabases)
    : SetupUserPane(owner, IDC_CONN_QUESTION,
                    {IDC_CONN_QUESTION, IDC_CONN_HOST_LABEL, IDC_CONN_HOST, IDC_CONN_HINT,
                     IDC_CONN_PORT_LABEL, IDC_CONN_PORT, IDC_CONN_ENCRYPTION_LABEL,
                     IDC_CONN_ENCRYPTION, IDC_CONN_LIST_DATABASES, IDC_CONN_UID_LABEL,
                     IDC_CONN_UID, IDC_CONN_PWD_LABEL, IDC_CONN_PWD},
                    {IDC_CONN_HOST, IDC_CONN_PORT, IDC_CONN_ENCRYPTION, IDC_CONN_LIST_DATABASES,
                     IDC_CONN_UID, IDC_CONN_PWD}) {
  DialogWindow& w = window();
  w.setText(IDC_CONN_HOST, server);
  w.setText(IDC_CONN_PORT, decimalText(port));
  w.clearCombo(IDC_CONN_ENCRYPTION);
  for (const auto& choice : encryptionChoices) w.addComboItem(IDC_CONN_ENCRYPTION, choice.text);
  const std::u16string none = localizedText(IDS_ENCRYPTION_NONE);
  w.addComboItem(IDC_CONN_ENCRYPTION, none);
  // A value the driver does not know selects nothing, so that it is kept unless the user
  // picks an entry.
  if (encryption != 0 || owner.settings().otherEncryption.empty()) {
    std::u16string selected = none;
    for (const auto& choice : encryptionChoices) {
      if (choice.level == encryption) selected = choice.text;
    }
    selectItem(w, IDC_CONN_ENCRYPTION, selected);
  }
  w.setChecked(IDC_CONN_LIST_DATABASES, listDatabases);
  w.setTextLimit(IDC_CONN_HOST, 255);
  w.setTextLimit(IDC_CONN_PORT, 5);
  w.setText(IDC_CONN_UID, std::u16string());
  w.setText(IDC_CONN_PWD, std::u16string());
  w.setFocus(IDC_CONN_HOST);
  setTabOrder({IDC_CONN_HOST, IDC_CONN_PORT, IDC_CONN_ENCRYPTION, IDC_CONN_LIST_DATABASES,
               IDC_CONN_UID, IDC_CONN_PWD});
  applyUpdateRule();
}

bool ConnectionPane::onCommand(int control, int notification) {
  if (((control == IDC_CONN_HOST || control == IDC_CONN_PORT) &&
       notification == notifyEditChange) ||
      control == IDC_CONN_LIST_DATABASES) {
    applyUpdateRule();
    return true;
  }
  return false;
}

void ConnectionPane::saveValues() {
  DialogWindow& w = window();
  int port = owner_.settings().port;
  parsePortField(w.text(IDC_CONN_PORT), port);
  const std::u16string choice = w.text(IDC_CONN_ENCRYPTION);
  unsigned encryption = choice.empty() ? SetupDialog::keepEncryption : 0;
  for (const auto& entry : encryptionChoices) {
    if (choice == entry.text) encryption = entry.level;
  }
  owner_.setConnectionValues(w.text(IDC_CONN_HOST), port, encryption,
                             w.isChecked(IDC_CONN_LIST_DATABASES), w.text(IDC_CONN_UID),
                             w.text(IDC_CONN_PWD));
}

void ConnectionPane::applyUpdateRule() {
  DialogWindow& w = window();
  int port = 0;
  setPageButtonsEnabled(!w.text(IDC_CONN_HOST).empty() &&
                        parsePortField(w.text(IDC_CONN_PORT), port));
  const bool credentials = w.isChecked(IDC_CONN_LIST_DATABASES);
  for (int control : {IDC_CONN_UID_LABEL, IDC_CONN_UID, IDC_CONN_PWD_LABEL, IDC_CONN_PWD}) {
    w.setEnabled(control, credentials);
  }
}
