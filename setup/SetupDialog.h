#pragma once
// The data source wizard: dialog 102 showing five panes in turn (introduction, name,
// connection, database, conclusion). It holds the settings while it runs and hands them back
// as an installer attribute list.
#include <memory>
#include <string>

#include "setup/DataSourceSettings.h"
#include "setup/DialogSystem.h"

class SetupUserPane;

class SetupDialog : public DialogHandler {
 public:
  enum Mode : unsigned { addMode = 0, configureMode = 1, promptMode = 2 };
  // setConnectionValues: leave the encryption as it is (the user picked no entry).
  static constexpr unsigned keepEncryption = ~0u;

  // Reads the settings (from the DSN in configure mode, else from the attributes up to their
  // first NUL) and runs the dialog modally over the parent.
  SetupDialog(void* parentWindow, const std::u16string& driverName, const std::u16string& dsnName,
              const std::u16string& attributes, unsigned mode);
  virtual ~SetupDialog();
  SetupDialog(const SetupDialog&) = delete;
  SetupDialog& operator=(const SetupDialog&) = delete;

  void onInitDialog(DialogWindow& window) override;
  bool onCommand(int control, int notification) override;

  // confirmed only after Done.
  DialogOutcome outcome() const { return outcome_; }
  const DataSourceSettings& settings() const { return settings_; }
  unsigned mode() const { return mode_; }
  int currentPage() const { return currentPage_; }
  DialogWindow& window() { return *window_; }
  // Left edge of the page area, where panes move their controls.
  int pageLeft() const { return pageLeft_; }

  void setDsnValues(const std::u16string& name, const std::u16string& description);
  void setConnectionValues(const std::u16string& server, int port, unsigned encryption,
                           bool listDatabases, const std::u16string& userId,
                           const std::u16string& password);
  void setDatabaseValues(const std::u16string& database, bool includeViews, bool queryLogOn,
                         unsigned queryLogTime, const std::u16string& queryLogFile,
                         bool autoDetectEncoding, bool utf8Encoding);

  std::u16string buildAttributeList(bool includeDsn, bool writeEmpty, bool includeDatabase) const;
  void showPage(int page);

 private:
  void next();
  void back();
  void finish();
  void saveCurrentPane();
  void endDialog(bool confirmed);
  void listDatabases();
  void checkQueryLog();
  void runTest();
  void showMessage(const std::u16string& text);

  DataSourceSettings settings_;
  DialogOutcome outcome_ = DialogOutcome::cancelled;
  int currentPage_ = -1;
  unsigned mode_;
  unsigned short savedConfigMode_ = 0;
  std::unique_ptr<SetupUserPane> currentPane_;
  DialogWindow* window_ = nullptr;
  int pageLeft_ = 0;
};

// Runs the wizard. The attribute list (DSN first, cleared settings listed empty) when the user
// finished with Done; otherwise empty, with the outcome saying whether the user cancelled or the
// wizard could not be shown.
std::u16string runSetupDialog(void* parentWindow, const std::u16string& driverName,
                              const std::u16string& dsnName, const std::u16string& attributes,
                              unsigned mode, DialogOutcome& outcome);
