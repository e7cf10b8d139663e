#include "setup/DialogSystem.h"
#include "setup/SetupDialog.h"
#include "setup/SetupPanes.h"
#include "setup/TextWrap.h"
#include "setup/resource.h"

ConclusionPane::ConclusionPane(SetupDialog& owner)
    : SetupUserPane(owner, IDC_SUMMARY_TEXT, {IDC_SUMMARY_TEXT, IDC_SUMMARY}, {IDC_SUMMARY}) {
  DialogWindow& w = window();
  setTabOrder({IDC_SUMMARY});
  w.setText(IDC_SUMMARY, wrapText(buildSummary(owner.settings()), 400,
                                  [&w](const std::u16string& line) {
                                    return w.textWidth(IDC_SUMMARY, line);
                                  }));
  setPageButtonsEnabled(true);
}
