#include "setup/SetupPanes.h"

#include "setup/DialogSystem.h"
#include "setup/SetupDialog.h"
#include "setup/resource.h"

SetupUserPane::SetupUserPane(SetupDialog& owner, int anchor, std::initializer_list<int> controls,
                             std::initializer_list<int> enabled)
    : owner_(owner),
      window_(owner.window()),
      offset_(owner.pageLeft() - owner.window().controlLeft(anchor)),
      controls_(controls),
      enabled_(enabled) {
  for (int control : controls_) window_.moveControl(control, offset_);
  for (int control : enabled_) window_.setEnabled(control, true);
}

SetupUserPane::~SetupUserPane() {
  for (int control : controls_) window_.moveControl(control, -offset_);
  for (int control : enabled_) window_.setEnabled(control, false);
}

bool SetupUserPane::onCommand(int, int) { return false; }

void SetupUserPane::saveValues() {}

void SetupUserPane::setTabOrder(std::initializer_list<int> controls) {
  int previous = 0;
  for (int control : controls) {
    if (previous != 0) window_.placeAfter(control, previous);
    previous = control;
  }
  for (int control : {IDC_WIZARD_BACK, IDC_WIZARD_NEXT, IDC_WIZARD_FINISH, IDC_WIZARD_CANCEL}) {
    window_.placeAfter(control, previous);
    previous = control;
  }
}

void SetupUserPane::setPageButtonsEnabled(bool enabled) {
  window_.setEnabled(IDC_WIZARD_NEXT, enabled);
  window_.setEnabled(IDC_WIZARD_FINISH, enabled);
}

bool isValidDsnName(const std::u16string& name) {
  if (name.empty() || name.size() > 32) return false;
  return name.find_first_of(u"[]{}(),;?*=!@\\") == std::u16string::npos;
}
