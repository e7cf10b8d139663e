#include "setup/About.h"
#include "setup/DialogSystem.h"
#include "setup/SetupDialog.h"
#include "setup/SetupPanes.h"
#include "setup/resource.h"

IntroductionPane::IntroductionPane(SetupDialog& owner)
    : SetupUserPane(owner, IDC_INTRO_TEXT,
                    {IDC_INTRO_TEXT, IDC_INTRO_ABOUT, IDC_INTRO_PROMPT_NOTE, IDC_INTRO_NEXT_HINT},
                    {IDC_INTRO_ABOUT}) {
  window().placeAfter(IDC_INTRO_ABOUT, 0);
  window().setFocus(IDC_WIZARD_NEXT);
  window().setDefaultButton(IDC_WIZARD_NEXT);
}

bool IntroductionPane::onCommand(int control, int) {
  if (control != IDC_INTRO_ABOUT) return false;
  About about(window().handle());
  return true;
}
