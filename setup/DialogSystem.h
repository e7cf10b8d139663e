#pragma once
// The small window interface the setup logic runs on. The Windows build implements it over
// dialog boxes from the module's templates (setup/win32/); tests drive the logic through a
// recording fake; elsewhere there is none, and nothing is shown.
#include <string>
#include <utility>
#include <vector>

#include "backend/ConnectionPrompts.h"

// One open dialog and the operations the setup logic performs on it and its controls. Control
// positions are in the dialog's client coordinates, in pixels.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  // The native window, as owner of nested dialogs and boxes.
  virtual void* handle() const = 0;
  virtual void setTitle(const std::u16string& text) = 0;
  // Setting an edit's text notifies the dialog (EN_CHANGE) as Windows does.
  virtual void setText(int control, const std::u16string& text) = 0;
  virtual std::u16string text(int control) const = 0;
  virtual void setEnabled(int control, bool enabled) = 0;
  virtual void setVisible(int control, bool visible) = 0;
  virtual bool isChecked(int control) const = 0;
  virtual void setChecked(int control, bool checked) = 0;
  virtual void setTextLimit(int control, int units) = 0;
  virtual void setFocus(int control) = 0;
  virtual void setDefaultButton(int control) = 0;
  // Tab order: the control comes right after `previous` (0: first of all).
  virtual void placeAfter(int control, int previous) = 0;
  virtual int controlLeft(int control) const = 0;
  virtual int controlRight(int control) const = 0;
  // Moves the control horizontally by dx and shows it.
  virtual void moveControl(int control, int dx) = 0;
  // Narrows or widens the dialog so that its client area is `width` wide.
  virtual void setClientWidth(int width) = 0;
  // Centres the dialog on its parent's client area (centerOnParent).
  virtual void centerOnParent() = 0;

  // Combo boxes and drop-down lists; sorted ones keep their items in sorted order.
  virtual void clearCombo(int control) = 0;
  virtual void addComboItem(int control, const std::u16string& text) = 0;
  virtual int comboCount(int control) const = 0;
  virtual std::u16string comboItem(int control, int position) const = 0;
  virtual void selectComboItem(int control, int position) = 0;

  // Width in pixels of the text in the control's font.
  virtual int textWidth(int control, const std::u16string& text) const = 0;
  virtual void setBitmap(int control, int bitmap) = 0;
  // A save-file dialog owned by this dialog, starting at `path`; filters are (label, pattern)
  // pairs. True, with the chosen path, when the user chose one.
  virtual bool chooseSaveFile(const std::u16string& title,
                              const std::vector<std::pair<std::u16string, std::u16string>>& filters,
                              std::u16string& path) = 0;
  // Ends the modal run; `confirmed` decides what runModal answers.
  virtual void close(bool confirmed) = 0;
};

class DialogHandler {
 public:
  virtual void onInitDialog(DialogWindow& window) = 0;
  // True when the command was handled.
  virtual bool onCommand(int control, int notification) = 0;

 protected:
  ~DialogHandler() = default;
};

class DialogSystem {
 public:
  virtual ~DialogSystem() = default;
  // Runs dialog template `templateId` modally over `parent`, calling the handler for its
  // initialisation and its commands.
  virtual DialogOutcome runModal(int templateId, void* parent, DialogHandler& handler) = 0;
  // A warning box with an OK button, owned by the active window.
  virtual void showMessage(const std::u16string& text, const std::u16string& title) = 0;
  // OK and Cancel; true for OK.
  virtual bool confirm(void* parent, const std::u16string& text, const std::u16string& title) = 0;
  virtual bool startProgram(const std::u16string& path) = 0;
};

// The system the setup dialogs run on: the native one on Windows, none (null) elsewhere.
DialogSystem* dialogSystem();
// Replaces it (tests); answers the one before.
DialogSystem* setDialogSystem(DialogSystem* system);

// Notification codes the logic reacts to (the Windows values).
constexpr int notifyEditChange = 0x0300;   // EN_CHANGE
constexpr int notifyComboEditUpdate = 6;   // CBN_EDITUPDATE
constexpr int commandOk = 1;               // IDOK
constexpr int commandCancel = 2;           // IDCANCEL
