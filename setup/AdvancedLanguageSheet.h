#pragma once
// Dialog 186: whether the driver detects the application's text encoding, and otherwise whether
// multi-byte text is UTF-8 or the system code page. OK hands the choice to the database pane.
#include "setup/DialogSystem.h"

class DatabasePane;

class AdvancedLanguageSheet : public DialogHandler {
 public:
  AdvancedLanguageSheet(void* parentWindow, DatabasePane& pane, bool autoDetectEncoding,
                        bool utf8Encoding);
  void onInitDialog(DialogWindow& window) override;
  bool onCommand(int control, int notification) override;

 private:
  void applyEnableRule();

  DatabasePane& pane_;
  bool autoDetectEncoding_;
  bool utf8Encoding_;
  DialogWindow* window_ = nullptr;
};
