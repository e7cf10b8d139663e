#pragma once
// Dialog 101: the driver's version and logo. Five clicks on the logo switch the driver's call
// trace on or off (the "TraceFile" preference; environments created afterwards follow it).
#include <string>

#include "setup/DialogSystem.h"

class About : public DialogHandler {
 public:
  explicit About(void* parentWindow);
  virtual ~About() = default;
  void onInitDialog(DialogWindow& window) override;
  bool onCommand(int control, int notification) override;

 private:
  void showTraceState();
  void switchTrace();

  DialogWindow* window_ = nullptr;
  unsigned clicks_ = 0;
  // "TraceFile" as read when the box opened and as written since: the installer may answer a
  // read of a value just written from its cache.
  std::string traceFile_;
};

// The logo for the system's look: 187 without a visual theme, 191 with one on Windows 6 and
// later, none (0) with one on older systems.
int aboutLogoBitmap(bool themeActive, unsigned osMajorVersion);

// Where switching the trace on writes it: the temporary folder's "karvellodbc.log".
std::string defaultTraceFile();
