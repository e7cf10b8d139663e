#include <cstdlib>

#include "platform/TempFolder.h"
#include "setup/AdvancedLanguageSheet.h"
#include "setup/DialogSystem.h"
#include "setup/SetupDialog.h"
#include "setup/SetupPanes.h"
#include "setup/SetupText.h"
#include "setup/resource.h"

DatabasePane::DatabasePane(SetupDialog& owner, const DataSourceSettings& settings)
    : SetupUserPane(owner, IDC_DB_QUESTION,
                    {IDC_DB_QUESTION, IDC_DB_LABEL, IDC_DB_NAME, IDC_DB_HINT, IDC_DB_ADVANCED,
                     IDC_DB_VIEWS, IDC_DB_LOG_ON, IDC_DB_LOG_FILE, IDC_DB_BROWSE,
                     IDC_DB_LOG_TIME_LABEL, IDC_DB_LOG_TIME},
                    {IDC_DB_NAME, IDC_DB_VIEWS, IDC_DB_LOG_ON, IDC_DB_LOG_FILE, IDC_DB_LOG_TIME,
                     IDC_DB_ADVANCED, IDC_DB_BROWSE}),
      autoDetectEncoding_(settings.autoDetectEncoding),
      utf8Encoding_(settings.utf8Encoding) {
  DialogWindow& w = window();
  w.clearCombo(IDC_DB_NAME);
  const std::u16string database = utf16Text(settings.database);
  w.setText(IDC_DB_NAME, database);
  w.setChecked(IDC_DB_VIEWS, settings.includeViews);
  w.setChecked(IDC_DB_LOG_ON, settings.queryLogOn);
  w.setText(IDC_DB_LOG_FILE, utf16Text(settings.queryLogFile));
  w.setText(IDC_DB_LOG_TIME, decimalText(settings.queryLogTime));
  for (const std::string& name : settings.databaseNames) {
    w.addComboItem(IDC_DB_NAME, utf16Text(name));
  }
  // The combo is sorted: the item to select is found by its text, not by its place in the list.
  const int count = w.comboCount(IDC_DB_NAME);
  int selection = database.empty() && count > 0 ? 0 : -1;
  for (int position = 0; position < count && !database.empty(); ++position) {
    if (w.comboItem(IDC_DB_NAME, position) == database) selection = position;
  }
  if (selection >= 0) w.selectComboItem(IDC_DB_NAME, selection);
  w.setTextLimit(IDC_DB_NAME, 255);
  w.setTextLimit(IDC_DB_LOG_FILE, 1024);
  w.setTextLimit(IDC_DB_LOG_TIME, 255);
  w.setFocus(IDC_DB_NAME);
  setTabOrder({IDC_DB_NAME, IDC_DB_ADVANCED, IDC_DB_VIEWS, IDC_DB_LOG_ON, IDC_DB_LOG_FILE,
               IDC_DB_BROWSE, IDC_DB_LOG_TIME});
  applyLogRule();
}

bool DatabasePane::onCommand(int control, int notification) {
  switch (control) {
    case IDC_DB_NAME:
      if (notification == notifyComboEditUpdate) applyButtonRule();
      return true;
    case IDC_DB_ADVANCED: {
      AdvancedLanguageSheet sheet(window().handle(), *this, autoDetectEncoding_, utf8Encoding_);
      return true;
    }
    case IDC_DB_LOG_ON:
      applyLogRule();
      return true;
    case IDC_DB_LOG_FILE:
      if (notification == notifyEditChange) applyButtonRule();
      return true;
    case IDC_DB_BROWSE:
      return browse();
    default:
      return false;
  }
}

void DatabasePane::saveValues() {
  DialogWindow& w = window();
  const std::string time = utf8Text(w.text(IDC_DB_LOG_TIME));
  owner_.setDatabaseValues(w.text(IDC_DB_NAME), w.isChecked(IDC_DB_VIEWS),
                           w.isChecked(IDC_DB_LOG_ON),
                           static_cast<unsigned>(std::strtoul(time.c_str(), nullptr, 10)),
                           w.text(IDC_DB_LOG_FILE), autoDetectEncoding_, utf8Encoding_);
}

void DatabasePane::setEncodingOptions(bool autoDetectEncoding, bool utf8Encoding) {
  autoDetectEncoding_ = autoDetectEncoding;
  utf8Encoding_ = utf8Encoding;
}

void DatabasePane::applyLogRule() {
  DialogWindow& w = window();
  const bool on = w.isChecked(IDC_DB_LOG_ON);
  for (int control : {IDC_DB_LOG_FILE, IDC_DB_BROWSE, IDC_DB_LOG_TIME_LABEL, IDC_DB_LOG_TIME}) {
    w.setEnabled(control, on);
  }
  if (on && w.text(IDC_DB_LOG_FILE).empty()) {
    w.setText(IDC_DB_LOG_FILE, utf16Text(platform::temporaryFolder()) + u"Query.log");
  }
  applyButtonRule();
}

void DatabasePane::applyButtonRule() {
  DialogWindow& w = window();
  setPageButtonsEnabled(!w.text(IDC_DB_NAME).empty() &&
                        (!w.isChecked(IDC_DB_LOG_ON) || !w.text(IDC_DB_LOG_FILE).empty()));
}

bool DatabasePane::browse() {
  std::u16string path = window().text(IDC_DB_LOG_FILE);
  if (!window().chooseSaveFile(localizedText(IDS_LOG_BROWSE_TITLE),
                               {{localizedText(IDS_LOG_FILTER), u"*.log"},
                                {localizedText(IDS_ALL_FILTER), u"*.*"}},
                               path)) {
    return false;
  }
  window().setText(IDC_DB_LOG_FILE, path);
  return true;
}
