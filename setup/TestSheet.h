#pragma once
// Dialog 184: connects with the wizard's settings through the driver's own ODBC functions and
// reports the server's name and version, or every diagnostic.
#include <functional>
#include <string>
#include <vector>

#include "setup/DialogSystem.h"

struct ConnectionTestResult {
  enum class Kind { connected, cancelled, failed };
  Kind kind = Kind::failed;
  std::u16string dbmsName;
  std::u16string dbmsVersion;
  // Every message of the handle that failed, in record order.
  std::vector<std::u16string> diagnostics;
};

// Connects with the connection string (SQL_DRIVER_COMPLETE_REQUIRED, prompts owned by the
// window), reads the server's name and version, and disconnects.
ConnectionTestResult testConnectionWithDriver(void* window, const std::u16string& connectionString);

// The test the sheet runs: testConnectionWithDriver unless replaced.
using ConnectionTester = std::function<ConnectionTestResult(void* window,
                                                            const std::u16string& connectionString)>;
const ConnectionTester& connectionTester();
// Answers the tester before.
ConnectionTester setConnectionTester(ConnectionTester tester);

class TestSheet : public DialogHandler {
 public:
  // The list holds the settings to test as "key=value" entries, UID and PWD among them when
  // given. The test runs while the dialog opens.
  TestSheet(void* parentWindow, std::u16string attributeList);
  virtual ~TestSheet() = default;
  void onInitDialog(DialogWindow& window) override;
  bool onCommand(int control, int notification) override;

  const std::u16string& report() const { return report_; }

 private:
  void runTest();
  void append(const std::u16string& text);

  std::u16string attributeList_;
  void* parentWindow_;
  DialogWindow* window_ = nullptr;
  std::u16string report_;
};
