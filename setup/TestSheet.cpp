#include "setup/TestSheet.h"

#include "backend/ConnectionStringEntry.h"
#include "core/TextUtilities.h"
#include "setup/AttributeList.h"
#include "setup/SetupText.h"
#include "setup/TextWrap.h"
#include "setup/resource.h"

namespace {

constexpr int reportWidth = 474;

bool isKey(const std::string& key, const char* name) { return compareNoCase(key.c_str(), name) == 0; }

ConnectionTester& installedTester() {
  static ConnectionTester tester = testConnectionWithDriver;
  return tester;
}

}  // namespace

const ConnectionTester& connectionTester() { return installedTester(); }

ConnectionTester setConnectionTester(ConnectionTester tester) {
  ConnectionTester previous = std::move(installedTester());
  installedTester() = std::move(tester);
  return previous;
}

TestSheet::TestSheet(void* parentWindow, std::u16string attributeList)
    : attributeList_(std::move(attributeList)), parentWindow_(parentWindow) {
  if (DialogSystem* system = dialogSystem()) system->runModal(IDD_TEST, parentWindow, *this);
}

void TestSheet::onInitDialog(DialogWindow& window) {
  window_ = &window;
  window.setTitle(localizedText(IDS_TEST_TITLE));
  window.setText(commandOk, localizedText(IDS_OK));
  window.setText(IDC_TEST_LABEL, localizedText(IDS_TEST_LABEL));
  window.centerOnParent();
  runTest();
}

bool TestSheet::onCommand(int control, int) {
  if (control == commandOk || control == commandCancel) window_->close(control == commandOk);
  return true;
}

void TestSheet::runTest() {
  std::u16string server;
  std::u16string database;
  std::string connectionString;
  std::string userId;
  std::string password;
  for (const auto& entry : attributeEntries(attributeList_.c_str())) {
    const std::string key = utf8Text(entry.first);
    const std::string value = utf8Text(entry.second);
    if (isKey(key, "SERVER")) server = entry.second;
    if (isKey(key, "DATABASE")) database = entry.second;
    if (isKey(key, "UID")) {
      userId = value;
    } else if (isKey(key, "PWD")) {
      password = value;
    } else {
      connectionString += connectionStringEntry(key.c_str(), value) + ";";
    }
  }
  connectionString +=
      connectionStringEntry("UID", userId) + ";" + connectionStringEntry("PWD", password) + ";";
  append(formatText(localizedText(IDS_TEST_ATTEMPT), {database, server}) + u"\r\n\r\n");

  const ConnectionTestResult result =
      connectionTester()(parentWindow_, utf16Text(connectionString));
  switch (result.kind) {
    case ConnectionTestResult::Kind::connected:
      append(localizedText(IDS_TEST_VERSION) + u' ' + result.dbmsName + u' ' +
             result.dbmsVersion + u"\r\n\r\n");
      append(localizedText(IDS_TEST_SUCCESS));
      break;
    case ConnectionTestResult::Kind::cancelled:
      append(localizedText(IDS_TEST_CANCELLED));
      break;
    case ConnectionTestResult::Kind::failed:
      for (const std::u16string& message : result.diagnostics) append(message + u"\r\n");
      if (result.diagnostics.empty()) append(localizedText(IDS_CONNECT_PROBLEM) + u"\r\n");
      append(u"\r\n" + localizedText(IDS_TEST_FAILED));
      break;
  }
  append(u"\r\n");
}

void TestSheet::append(const std::u16string& text) {
  DialogWindow& window = *window_;
  report_ += wrapText(text, reportWidth, [&window](const std::u16string& line) {
    return window.textWidth(IDC_TEST_REPORT, line);
  });
  window.setText(IDC_TEST_REPORT, report_);
}
