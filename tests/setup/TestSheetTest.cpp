// The connection test's report, and the wrapping of its lines.
#include "setup/TestSheet.h"

#include <gtest/gtest.h>

#include "setup/TextWrap.h"
#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"
#include "tests/setup/SetupTestSupport.h"

using setuptest::listOf;

namespace {

// A tester standing in for the driver while it lives; it remembers the connection string.
class ScopedTester {
 public:
  explicit ScopedTester(ConnectionTestResult result)
      : previous_(setConnectionTester([this, result](void* window, const std::u16string& text) {
          this->window = window;
          connectionString = utf8Text(text);
          return result;
        })) {}
  ~ScopedTester() { setConnectionTester(std::move(previous_)); }
  void* window = nullptr;
  std::string connectionString;

 private:
  ConnectionTester previous_;
};

std::string runSheet(FakeDialogSystem& system, const std::string& list) {
  std::string report;
  system.onOpen(IDD_TEST, [&report](FakeDialog& d) {
    EXPECT_EQ(d.title(), u"Test Connection");
    EXPECT_EQ(d.text(IDC_TEST_LABEL), u"Test Results:");
    report = utf8Text(d.text(IDC_TEST_REPORT));
    d.click(commandOk);
  });
  TestSheet sheet(reinterpret_cast<void*>(42), listOf(list));
  EXPECT_EQ(utf8Text(sheet.report()), report);
  return report;
}

TEST(TestSheet, SuccessNamesTheServer) {
  FakeDialogSystem system;
  ConnectionTestResult connected;
  connected.kind = ConnectionTestResult::Kind::connected;
  connected.dbmsName = u"Karvell";
  connected.dbmsVersion = u"3.1.4";
  ScopedTester tester(connected);
  EXPECT_EQ(runSheet(system, "Description=d|Database=shop|Server=db|"),
            "Attempting to connect to database shop on host db...\r\n\r\n"
            "Database version: Karvell 3.1.4\r\n\r\nTest completed successfully.\r\n");
  EXPECT_EQ(tester.window, reinterpret_cast<void*>(42));
}

TEST(TestSheet, ValuesAreBracedAndCredentialsComeLast) {
  FakeDialogSystem system;
  ScopedTester tester(ConnectionTestResult{});
  runSheet(system, "Database=x;SERVER=other|Server=db|PWD=p;w}|UID=ann|Port=4431|");
  EXPECT_EQ(tester.connectionString,
            "Database={x;SERVER=other};Server=db;Port=4431;UID=ann;PWD={p;w}}};");
}

TEST(TestSheet, FailureListsEveryMessageThenTestFailed) {
  FakeDialogSystem system;
  ConnectionTestResult refused;
  refused.diagnostics = {u"[Ferrow][Karvell ODBC] Login refused", u"[Ferrow][Karvell] second"};
  ScopedTester tester(refused);
  EXPECT_EQ(runSheet(system, "Server=db|"),
            "Attempting to connect to database  on host db...\r\n\r\n"
            "[Ferrow][Karvell ODBC] Login refused\r\n[Ferrow][Karvell] second\r\n\r\n"
            "Test failed.\r\n");
}

TEST(TestSheet, CancelledAndSilentFailures) {
  FakeDialogSystem system;
  ConnectionTestResult cancelled;
  cancelled.kind = ConnectionTestResult::Kind::cancelled;
  {
    ScopedTester tester(cancelled);
    EXPECT_EQ(runSheet(system, "Server=db|Database=x|"),
              "Attempting to connect to database x on host db...\r\n\r\nTest cancelled.\r\n");
  }
  ScopedTester tester(ConnectionTestResult{});
  EXPECT_EQ(runSheet(system, "Server=db|Database=x|"),
            "Attempting to connect to database x on host db...\r\n\r\n"
            "There was a problem connecting to the host.\r\n\r\nTest failed.\r\n");
}

TEST(TestSheet, LongDiagnosticsAreKeptWhole) {
  FakeDialogSystem system;
  system.unitWidth = 0;  // nothing needs wrapping
  ConnectionTestResult failed;
  failed.diagnostics = {std::u16string(3000, u'a'), std::u16string(3000, u'b')};
  ScopedTester tester(failed);
  const std::string report = runSheet(system, "Server=db|");
  EXPECT_NE(report.find(std::string(3000, 'a') + "\r\n" + std::string(3000, 'b') + "\r\n"),
            std::string::npos);
  EXPECT_NE(report.find("Test failed.\r\n"), std::string::npos);
}

// Ten pixels a unit.
int fixedWidth(const std::u16string& line) { return static_cast<int>(line.size()) * 10; }

TEST(WrapText, BreaksAtTheLastBlankOrBeforeWhatDoesNotFit) {
  struct Case {
    std::u16string text;
    int width;
    std::u16string wrapped;
  } cases[] = {
      {u"abcde", 50, u"abcde"},                              // exact fit
      {u"abc defg", 50, u"abc\r\ndefg"},                     // last blank
      {u"ab cd efgh", 60, u"ab cd\r\nefgh"},
      {u"abcdefgh", 50, u"abcde\r\nfgh"},                    // no blank
      {u"ab\ncdefgh", 50, u"ab\ncdefg\r\nh"},                // a line feed starts a new line
      {u"line\r\nnext", 50, u"line\r\nnext"},
      {u"abc", 5, u"a\r\nb\r\nc"},                           // wider than the line
      {u"a😀b", 10, u"a\r\n😀\r\nb"},                        // a pair stays whole
      {u"", 50, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wrapText(c.text, c.width, fixedWidth), c.wrapped) << utf8Text(c.text);
  }
}

}  // namespace
