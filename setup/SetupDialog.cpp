#include "setup/SetupDialog.h"

#include <filesystem>
#include <fstream>

#include "platform/OdbcInstaller.h"
#include "setup/DatabaseListing.h"
#include "setup/QuorinMsgBox.h"
#include "setup/SetupPanes.h"
#include "setup/SetupText.h"
#include "setup/TestSheet.h"
#include "setup/resource.h"

namespace {

// Captions the wizard sets when it opens: (control, string).
constexpr int wizardTexts[][2] = {
    {IDC_INTRO_ABOUT, IDS_ABOUT_BUTTON},
    {IDC_WIZARD_BACK, IDS_BACK},
    {IDC_WIZARD_NEXT, IDS_NEXT},
    {IDC_WIZARD_FINISH, IDS_FINISH},
    {IDC_WIZARD_CANCEL, IDS_CANCEL},
    {IDC_INTRO_TEXT, IDS_INTRO_TEXT},
    {IDC_INTRO_NEXT_HINT, IDS_INTRO_NEXT_HINT},
    {IDC_DSN_INTRO, IDS_DSN_INTRO},
    {IDC_DSN_QUESTION, IDS_DSN_QUESTION},
    {IDC_DSN_NAME_LABEL, IDS_NAME_LABEL},
    {IDC_DSN_DESCRIPTION_QUESTION, IDS_DESCRIPTION_QUESTION},
    {IDC_DSN_DESCRIPTION_LABEL, IDS_DESCRIPTION_LABEL},
    {IDC_CONN_HOST_LABEL, IDS_HOST_LABEL},
    {IDC_CONN_QUESTION, IDS_HOST_QUESTION},
    {IDC_CONN_HINT, IDS_HOST_HINT},
    {IDC_CONN_PORT_LABEL, IDS_PORT_LABEL},
    {IDC_CONN_ENCRYPTION_LABEL, IDS_ENCRYPTION_LABEL},
    {IDC_CONN_LIST_DATABASES, IDS_LIST_DATABASES},
    {IDC_CONN_UID_LABEL, IDS_UID_LABEL},
    {IDC_CONN_PWD_LABEL, IDS_PWD_LABEL},
    {IDC_DB_LABEL, IDS_DATABASE_LABEL},
    {IDC_DB_QUESTION, IDS_DATABASE_QUESTION},
    {IDC_DB_HINT, IDS_DATABASE_HINT},
    {IDC_DB_VIEWS, IDS_VIEWS},
    {IDC_DB_LOG_ON, IDS_LOG_ON},
    {IDC_DB_LOG_TIME_LABEL, IDS_LOG_TIME},
    {IDC_DB_ADVANCED, IDS_ADVANCED},
    {IDC_DB_BROWSE, IDS_BROWSE},
    {IDC_SUMMARY_TEXT, IDS_SUMMARY_TEXT},
    {IDC_DSN_64BIT_NOTE, IDS_64BIT_NOTE},
    {IDC_DSN_LAUNCH, IDS_LAUNCH},
    {IDC_INTRO_PROMPT_NOTE, IDS_PROMPT_NOTE},
};

// Every pane's controls start disabled; each pane enables its own.
constexpr int disabledControls[] = {
    IDC_INTRO_ABOUT, IDC_DSN_NAME,    IDC_DSN_DESCRIPTION, IDC_DSN_LAUNCH,  IDC_CONN_HOST,
    IDC_CONN_PORT,   IDC_CONN_ENCRYPTION, IDC_CONN_LIST_DATABASES, IDC_CONN_UID, IDC_CONN_PWD,
    IDC_DB_NAME,     IDC_DB_VIEWS,    IDC_DB_LOG_ON,       IDC_DB_LOG_FILE, IDC_DB_LOG_TIME,
    IDC_DB_ADVANCED, IDC_DB_BROWSE,   IDC_SUMMARY,
};

}  // namespace

SetupDialog::SetupDialog(void* parentWindow, const std::u16string& driverName,
                         const std::u16string& dsnName, const std::u16string& attributes,
                         unsigned mode)
    : mode_(mode) {
  // The driver name is the installer's; the wizard has no use for it.
  static_cast<void>(driverName);
  platform::getConfigMode(savedConfigMode_);
  if (mode_ == configureMode) settings_.dsnName = utf8Text(dsnName);
  if (!settings_.dsnName.empty()) {
    readSettingsFromDsn(settings_, settings_.dsnName);
  } else {
    readSettingsFromString(settings_, utf8Text(attributes));
  }
  DialogSystem* system = dialogSystem();
  if (!system || system->runModal(IDD_WIZARD, parentWindow, *this) == DialogOutcome::failed) {
    outcome_ = DialogOutcome::failed;
  }
}

SetupDialog::~SetupDialog() = default;

void SetupDialog::onInitDialog(DialogWindow& window) {
  window_ = &window;
  window.setVisible(IDC_WIZARD_PLACEHOLDER, false);
  pageLeft_ = window.controlLeft(IDC_WIZARD_PLACEHOLDER);
  // Only the strip on the left and the page area stay in view; the template's other page
  // columns lie beyond the right edge.
  window.setClientWidth(window.controlRight(IDC_WIZARD_CANCEL) + window.controlLeft(IDC_LOGO));
  window.centerOnParent();
  window.setTitle(localizedText(IDS_WIZARD_TITLE));
  for (const auto& entry : wizardTexts) window.setText(entry[0], localizedText(entry[1]));
  for (int control : disabledControls) window.setEnabled(control, false);
  showPage(0);
}

void SetupDialog::showPage(int page) {
  if (page == currentPage_) return;
  currentPage_ = page;
  saveCurrentPane();
  DialogWindow& w = *window_;
  std::unique_ptr<SetupUserPane> pane;
  switch (page) {
    case 0:
      w.setEnabled(IDC_WIZARD_BACK, false);
      w.setVisible(IDC_WIZARD_FINISH, false);
      w.setEnabled(IDC_WIZARD_NEXT, true);
      pane = std::make_unique<IntroductionPane>(*this);
      break;
    case 1:
    case 2:
      w.setEnabled(IDC_WIZARD_BACK, true);
      w.setVisible(IDC_WIZARD_FINISH, true);
      if (page == 1) {
        pane = std::make_unique<DSNPane>(*this, utf16Text(settings_.dsnName),
                                         utf16Text(settings_.description));
      } else {
        pane = std::make_unique<ConnectionPane>(*this, utf16Text(settings_.server),
                                                settings_.port, settings_.encryption,
                                                settings_.listDatabases);
      }
      break;
    case 3:
      w.setEnabled(IDC_WIZARD_BACK, true);
      w.setText(IDC_WIZARD_NEXT, localizedText(IDS_NEXT));
      w.setText(IDC_WIZARD_FINISH, localizedText(IDS_FINISH));
      w.setEnabled(IDC_WIZARD_FINISH, true);
      w.setVisible(IDC_WIZARD_FINISH, true);
      pane = std::make_unique<DatabasePane>(*this, settings_);
      break;
    default:
      w.setEnabled(IDC_WIZARD_BACK, true);
      w.setText(IDC_WIZARD_NEXT, localizedText(IDS_DONE));
      w.setText(IDC_WIZARD_FINISH, localizedText(IDS_TEST));
      w.setVisible(IDC_WIZARD_FINISH, true);
      pane = std::make_unique<ConclusionPane>(*this);
      break;
  }
  currentPane_.swap(pane);
}

bool SetupDialog::onCommand(int control, int notification) {
  switch (control) {
    case commandCancel:
    case IDC_WIZARD_CANCEL:
      outcome_ = DialogOutcome::cancelled;
      endDialog(false);
      return true;
    case IDC_WIZARD_NEXT:
      next();
      return true;
    case IDC_WIZARD_BACK:
      back();
      return true;
    case IDC_WIZARD_FINISH:
      finish();
      return true;
    default:
      return currentPane_ && currentPane_->onCommand(control, notification);
  }
}

void SetupDialog::next() {
  saveCurrentPane();
  switch (currentPage_) {
    case 0:
      showPage(mode_ == promptMode ? 2 : 1);
      break;
    case 1:
      showPage(2);
      break;
    case 2:
      if (settings_.listDatabases) {
        listDatabases();
      } else {
        showPage(3);
      }
      break;
    case 3:
      checkQueryLog();
      break;
    default: {
      outcome_ = DialogOutcome::confirmed;
      platform::MutexLock lock(platform::configModeMutex());
      platform::setConfigMode(savedConfigMode_);
      endDialog(true);
      break;
    }
  }
}

void SetupDialog::back() {
  saveCurrentPane();
  showPage(currentPage_ == 2 && mode_ == promptMode ? 0 : currentPage_ - 1);
}

void SetupDialog::finish() {
  if (currentPage_ == 0) return;
  if (currentPage_ == 4) {
    runTest();
    return;
  }
  saveCurrentPane();
  showPage(4);
}

// The pane goes while its controls still exist.
void SetupDialog::endDialog(bool confirmed) {
  currentPane_.reset();
  window_->close(confirmed);
}

void SetupDialog::saveCurrentPane() {
  if (currentPane_) currentPane_->saveValues();
}

void SetupDialog::listDatabases() {
  std::string message;
  settings_.databaseNames.clear();
  const DatabaseLister& lister = databaseLister();
  if (lister && lister(settings_, settings_.databaseNames, message)) {
    showPage(3);
    return;
  }
  settings_.databaseNames.clear();
  showMessage(message.empty() ? localizedText(IDS_CONNECT_PROBLEM) : utf16Text(message));
}

void SetupDialog::checkQueryLog() {
  if (settings_.queryLogOn) {
    std::ofstream file(std::filesystem::u8path(settings_.queryLogFile),
                       std::ios::out | std::ios::app);
    if (!file.is_open()) {
      showMessage(localizedText(IDS_LOG_FILE_PROBLEM));
      return;
    }
  }
  showPage(4);
}

void SetupDialog::runTest() {
  // The test connects with exactly what the wizard shows: no DSN (whose stored values would
  // fill what the list omits), and the connection page's credentials.
  std::u16string list = buildAttributeList(false, false, true);
  list.pop_back();
  if (!settings_.userId.empty()) list += u"UID=" + utf16Text(settings_.userId) + u'\0';
  if (!settings_.password.empty()) list += u"PWD=" + utf16Text(settings_.password) + u'\0';
  list += u'\0';
  TestSheet sheet(window_->handle(), list);
}

void SetupDialog::showMessage(const std::u16string& text) {
  QuorinMsgBox::show(text, std::u16string(), 0);
}

void SetupDialog::setDsnValues(const std::u16string& name, const std::u16string& description) {
  settings_.dsnName = utf8Text(name.substr(0, 32));
  settings_.description = utf8Text(description);
  if (settings_.port == 0) settings_.port = defaultPort;
}

void SetupDialog::setConnectionValues(const std::u16string& server, int port, unsigned encryption,
                                      bool listDatabases, const std::u16string& userId,
                                      const std::u16string& password) {
  settings_.server = utf8Text(server);
  settings_.port = port;
  if (encryption != keepEncryption) {
    settings_.encryption = encryption;
    settings_.otherEncryption.clear();
  }
  settings_.listDatabases = listDatabases;
  settings_.userId = utf8Text(userId);
  settings_.password = utf8Text(password);
}

void SetupDialog::setDatabaseValues(const std::u16string& database, bool includeViews,
                                    bool queryLogOn, unsigned queryLogTime,
                                    const std::u16string& queryLogFile, bool autoDetectEncoding,
                                    bool utf8Encoding) {
  settings_.database = utf8Text(database);
  settings_.includeViews = includeViews;
  settings_.queryLogOn = queryLogOn;
  settings_.queryLogTime = queryLogTime;
  settings_.queryLogFile = utf8Text(queryLogFile);
  settings_.autoDetectEncoding = autoDetectEncoding;
  settings_.utf8Encoding = utf8Encoding;
}

std::u16string SetupDialog::buildAttributeList(bool includeDsn, bool writeEmpty,
                                               bool includeDatabase) const {
  return ::buildAttributeList(settings_, includeDsn, writeEmpty, includeDatabase);
}

std::u16string runSetupDialog(void* parentWindow, const std::u16string& driverName,
                              const std::u16string& dsnName, const std::u16string& attributes,
                              unsigned mode, DialogOutcome& outcome) {
  SetupDialog dialog(parentWindow, driverName, dsnName, attributes, mode);
  outcome = dialog.outcome();
  if (outcome != DialogOutcome::confirmed) return std::u16string();
  return dialog.buildAttributeList(true, true, true);
}
