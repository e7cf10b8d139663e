#include "setup/DialogSystem.h"
#include "setup/SetupDialog.h"
#include "setup/SetupPanes.h"
#include "setup/resource.h"

DSNPane::DSNPane(SetupDialog& owner, const std::u16string& name, const std::u16string& description)
    : SetupUserPane(owner, IDC_DSN_INTRO,
                    {IDC_DSN_INTRO, IDC_DSN_QUESTION, IDC_DSN_NAME_LABEL, IDC_DSN_NAME,
                     IDC_DSN_DESCRIPTION_QUESTION, IDC_DSN_DESCRIPTION_LABEL, IDC_DSN_DESCRIPTION,
                     IDC_DSN_64BIT_NOTE},
                    {IDC_DSN_NAME, IDC_DSN_DESCRIPTION}) {
  window().setVisible(IDC_DSN_64BIT_NOTE, true);
  window().setText(IDC_DSN_NAME, name);
  window().setText(IDC_DSN_DESCRIPTION, description);
  window().setTextLimit(IDC_DSN_NAME, 32);
  window().setTextLimit(IDC_DSN_DESCRIPTION, 255);
  window().setFocus(IDC_DSN_NAME);
  setTabOrder({IDC_DSN_NAME, IDC_DSN_DESCRIPTION});
  applyButtonRule();
}

bool DSNPane::onCommand(int control, int notification) {
  if (control == IDC_DSN_NAME && notification == notifyEditChange) {
    applyButtonRule();
    return true;
  }
  if (control == IDC_DSN_LAUNCH) {
    if (DialogSystem* system = dialogSystem()) {
      system->startProgram(u"c:\\windows\\sysWOW64\\odbcad32.exe");
    }
    return true;
  }
  return false;
}

void DSNPane::saveValues() {
  owner_.setDsnValues(window().text(IDC_DSN_NAME), window().text(IDC_DSN_DESCRIPTION));
}

void DSNPane::applyButtonRule() { setPageButtonsEnabled(isValidDsnName(window().text(IDC_DSN_NAME))); }
