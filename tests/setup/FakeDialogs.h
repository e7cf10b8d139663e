#pragma once
// A recording stand-in for the Windows dialogs. It behaves as Windows does where the setup logic
// depends on it: sorted combo boxes keep their items sorted, setting an edit's text notifies the
// dialog with EN_CHANGE (also while a pane is being built), a drop-down list's text is its
// selected item, and disabled controls ignore the user. Each opened dialog runs the next script
// queued for its template; a dialog without one is closed with Cancel.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "setup/DialogSystem.h"

class FakeDialog : public DialogWindow {
 public:
  struct Control {
    std::u16string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    int limit = 0;
    int left = 0;
    int right = 0;
    std::vector<std::u16string> items;
    int selection = -1;
    int bitmap = 0;
  };

  FakeDialog(int templateId, DialogHandler& handler, class FakeDialogSystem& system);

  // What a user does. Each answers false when the control is disabled and nothing happened.
  bool click(int control);
  bool type(int control, const std::u16string& text);
  bool pick(int control, const std::u16string& item);

  int templateId() const { return templateId_; }
  const std::u16string& title() const { return title_; }
  Control& control(int id) { return controls_[id]; }
  bool enabled(int id) { return controls_[id].enabled; }
  bool visible(int id) { return controls_[id].visible; }
  bool closed() const { return closed_; }
  bool confirmed() const { return confirmed_; }
  int clientWidth() const { return clientWidth_; }
  int centred() const { return centred_; }
  std::vector<int> tabOrderAfter(int control) const;

  void* handle() const override;
  void setTitle(const std::u16string& text) override { title_ = text; }
  void setText(int control, const std::u16string& text) override;
  std::u16string text(int control) const override;
  void setEnabled(int control, bool enabled) override { controls_[control].enabled = enabled; }
  void setVisible(int control, bool visible) override { controls_[control].visible = visible; }
  bool isChecked(int control) const override;
  void setChecked(int control, bool checked) override { controls_[control].checked = checked; }
  void setTextLimit(int control, int units) override { controls_[control].limit = units; }
  void setFocus(int control) override { focus_ = control; }
  void setDefaultButton(int control) override { defaultButton_ = control; }
  void placeAfter(int control, int previous) override;
  int controlLeft(int control) const override;
  int controlRight(int control) const override;
  void moveControl(int control, int dx) override;
  void setClientWidth(int width) override { clientWidth_ = width; }
  void centerOnParent() override { ++centred_; }
  void clearCombo(int control) override;
  void addComboItem(int control, const std::u16string& text) override;
  int comboCount(int control) const override;
  std::u16string comboItem(int control, int position) const override;
  void selectComboItem(int control, int position) override;
  int textWidth(int control, const std::u16string& text) const override;
  void setBitmap(int control, int bitmap) override { controls_[control].bitmap = bitmap; }
  bool chooseSaveFile(const std::u16string& title,
                      const std::vector<std::pair<std::u16string, std::u16string>>& filters,
                      std::u16string& path) override;
  void close(bool confirmed) override;

  int focus() const { return focus_; }
  int defaultButton() const { return defaultButton_; }

 private:
  const Control& find(int id) const;

  int templateId_;
  DialogHandler& handler_;
  FakeDialogSystem& system_;
  mutable std::map<int, Control> controls_;
  std::map<int, int> tabNext_;
  std::u16string title_;
  int clientWidth_ = 0;
  int centred_ = 0;
  int focus_ = 0;
  int defaultButton_ = 0;
  bool closed_ = false;
  bool confirmed_ = false;
};

class FakeDialogSystem : public DialogSystem {
 public:
  using Script = std::function<void(FakeDialog&)>;

  // Installs itself as the dialog system; the one before comes back when it goes.
  FakeDialogSystem();
  ~FakeDialogSystem() override;

  // The next dialog of this template runs the script (FIFO per template).
  void onOpen(int templateId, Script script) { scripts_[templateId].push_back(std::move(script)); }
  // runModal answers `failed` without opening anything.
  bool failToShow = false;
  // Answers of confirm(), in order; true (OK) when none is left.
  std::deque<bool> confirmAnswers;
  // What the save-file dialog chooses; empty: the user cancels it.
  std::u16string savePath;
  // Pixels per UTF-16 unit for textWidth.
  int unitWidth = 6;

  DialogOutcome runModal(int templateId, void* parent, DialogHandler& handler) override;
  void showMessage(const std::u16string& text, const std::u16string& title) override;
  bool confirm(void* parent, const std::u16string& text, const std::u16string& title) override;
  bool startProgram(const std::u16string& path) override;

  // Everything that was shown, in order: "open 102", "message: ...", "confirm: ...",
  // "start: ...".
  std::vector<std::string> events;
  std::vector<void*> parents;

 private:
  std::map<int, std::deque<Script>> scripts_;
  DialogSystem* previous_;
};
