#include "setup/QuorinMsgBox.h"

#include "setup/DialogSystem.h"

QuorinMsgBox::QuorinMsgBox(const std::u16string& text, const std::u16string& title) {
  if (DialogSystem* system = dialogSystem()) system->showMessage(text, title);
}

void QuorinMsgBox::show(const std::u16string& text, const std::u16string& title, unsigned) {
  QuorinMsgBox box(text, title);
}

bool QuorinMsgBox::onCommand(int, int) { return true; }
