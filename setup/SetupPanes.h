#pragma once
// The wizard's pages. Each pane owns a group of controls of dialog 102: created when its page is
// shown, it moves them into the page area, enables and fills them; when the page is left the
// wizard asks it to save its values, and its destructor moves them back and disables them.
#include <initializer_list>
#include <string>
#include <vector>

#include "setup/DataSourceSettings.h"

class DialogWindow;
class SetupDialog;

class SetupUserPane {
 public:
  virtual ~SetupUserPane();
  SetupUserPane(const SetupUserPane&) = delete;
  SetupUserPane& operator=(const SetupUserPane&) = delete;

  // True when handled.
  virtual bool onCommand(int control, int notification);
  virtual void saveValues();

 protected:
  SetupUserPane(SetupDialog& owner, int anchor, std::initializer_list<int> controls,
                std::initializer_list<int> enabled);

  DialogWindow& window() const { return window_; }
  // The controls in tab order, followed by the wizard's Back, Next, Finish and Cancel.
  void setTabOrder(std::initializer_list<int> controls);
  void setPageButtonsEnabled(bool enabled);

  SetupDialog& owner_;

 private:
  DialogWindow& window_;
  int offset_;
  std::vector<int> controls_;
  std::vector<int> enabled_;
};

class IntroductionPane : public SetupUserPane {
 public:
  explicit IntroductionPane(SetupDialog& owner);
  bool onCommand(int control, int notification) override;
};

class DSNPane : public SetupUserPane {
 public:
  DSNPane(SetupDialog& owner, const std::u16string& name, const std::u16string& description);
  bool onCommand(int control, int notification) override;
  void saveValues() override;

 private:
  void applyButtonRule();
};

class ConnectionPane : public SetupUserPane {
 public:
  ConnectionPane(SetupDialog& owner, const std::u16string& server, int port, unsigned encryption,
                 bool listDatabases);
  bool onCommand(int control, int notification) override;
  void saveValues() override;

 private:
  void applyUpdateRule();
};

class DatabasePane : public SetupUserPane {
 public:
  DatabasePane(SetupDialog& owner, const DataSourceSettings& settings);
  bool onCommand(int control, int notification) override;
  void saveValues() override;
  void setEncodingOptions(bool autoDetectEncoding, bool utf8Encoding);

 private:
  void applyLogRule();
  void applyButtonRule();
  bool browse();

  bool autoDetectEncoding_;
  bool utf8Encoding_;
};

class ConclusionPane : public SetupUserPane {
 public:
  explicit ConclusionPane(SetupDialog& owner);
};

// What SQLValidDSN accepts: 1 to 32 units, none of []{}(),;?*=!@\ .
bool isValidDsnName(const std::u16string& name);
