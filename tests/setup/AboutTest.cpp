// The About box: five clicks on the logo switch the driver's trace.
#include "setup/About.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/DriverPreferences.h"
#include "platform/ModuleInfo.h"
#include "platform/OsVersion.h"
#include "setup/resource.h"
#include "tests/setup/FakeDialogs.h"
#include "tests/setup/SetupTestSupport.h"

#ifndef _WIN32
#include "tests/support/TempOdbcIni.h"
#endif

namespace {

std::string traceFile() { return DriverPreferences("karvellodbc", "Karvell ODBC").getTraceFile(); }

#ifndef _WIN32
// What odbcinst.ini holds: unixODBC may answer a read of a value just written from its cache.
std::string storedTraceFile(const testsupport::TempOdbcIni& ini) {
  const std::string text = ini.readDriverIni();
  const std::size_t key = text.find("TraceFile");
  if (key == std::string::npos) return "";
  std::size_t value = text.find('=', key) + 1;
  while (value < text.size() && text[value] == ' ') ++value;
  return text.substr(value, text.find('\n', value) - value);
}
#else
std::string storedTraceFile() { return traceFile(); }
#endif

void clickLogo(unsigned times) {
  FakeDialogSystem system;
  system.onOpen(IDD_ABOUT, [times](FakeDialog& d) {
    for (unsigned i = 0; i < times; ++i) d.click(IDC_LOGO);
    d.click(commandOk);
  });
  About about(nullptr);
}

TEST(About, ShowsTheVersionTextsAndTraceState) {
#ifndef _WIN32
  testsupport::TempOdbcIni ini;
#endif
  FakeDialogSystem system;
  system.onOpen(IDD_ABOUT, [](FakeDialog& d) {
    EXPECT_EQ(d.title(), u"About Karvell ODBC Driver");
    EXPECT_EQ(utf8Text(d.text(IDC_ABOUT_VERSION)), platform::driverVersionText());
    EXPECT_EQ(d.text(IDC_ABOUT_PRODUCT), u"Karvell ODBC Driver");
    EXPECT_EQ(d.text(IDC_ABOUT_MAKER), u"Ferrow - www.ferrow.example");
    EXPECT_FALSE(d.text(IDC_ABOUT_NOTICE1).empty());
    EXPECT_FALSE(d.text(IDC_ABOUT_NOTICE2).empty());
    EXPECT_EQ(d.text(IDC_ABOUT_LOG_LABEL), u"Log File:");
    EXPECT_EQ(d.centred(), 1);
    EXPECT_EQ(d.control(IDC_LOGO).bitmap,
              aboutLogoBitmap(platform::visualThemeActive(), platform::osMajorVersion()));
    EXPECT_EQ(d.visible(IDC_ABOUT_LOG_PATH), !traceFile().empty());
    d.click(commandOk);
  });
  About about(nullptr);
}

TEST(About, FiveClicksSwitchTheTraceOnAndFiveMoreOff) {
#ifndef _WIN32
  testsupport::TempOdbcIni ini;
#endif
  const std::string before = traceFile();
  DriverPreferences("karvellodbc", "Karvell ODBC").setTraceFile("");
  const std::string path = defaultTraceFile();
  std::filesystem::remove(std::filesystem::u8path(path));

#ifndef _WIN32
  auto stored = [&ini] { return storedTraceFile(ini); };
#else
  auto stored = [] { return storedTraceFile(); };
#endif
  clickLogo(4);
  EXPECT_EQ(stored(), "");

  // Within one showing: five clicks switch the trace on, five more off again.
  FakeDialogSystem system;
  system.onOpen(IDD_ABOUT, [&path, &stored](FakeDialog& d) {
    EXPECT_FALSE(d.visible(IDC_ABOUT_LOG_PATH));
    for (int i = 0; i < 5; ++i) d.click(IDC_LOGO);
    EXPECT_TRUE(d.visible(IDC_ABOUT_LOG_PATH));
    EXPECT_TRUE(d.visible(IDC_ABOUT_LOG_LABEL));
    EXPECT_EQ(utf8Text(d.text(IDC_ABOUT_LOG_PATH)), path);
    EXPECT_EQ(stored(), path);
    for (int i = 0; i < 4; ++i) d.click(IDC_LOGO);
    EXPECT_EQ(stored(), path);
    d.click(IDC_LOGO);
    EXPECT_FALSE(d.visible(IDC_ABOUT_LOG_PATH));
    EXPECT_EQ(stored(), "");
    d.click(commandOk);
  });
  { About about(nullptr); }
  std::stringstream lines;
  lines << std::ifstream(std::filesystem::u8path(path)).rdbuf();
  EXPECT_EQ(lines.str(), "// OS: " + platform::osVersionText() + "\n// Driver: " +
                             platform::driverVersionText() + "\n");

  clickLogo(5);
  EXPECT_EQ(stored(), path);
  // Clicks count afresh for each showing: 3 + 2 switch nothing.
  clickLogo(3);
  clickLogo(2);
  EXPECT_EQ(stored(), path);
  std::filesystem::remove(std::filesystem::u8path(path));
  DriverPreferences("karvellodbc", "Karvell ODBC").setTraceFile(before);
}

#ifndef _WIN32
TEST(About, TextsFollowTheLanguage) {
  testsupport::TempOdbcIni ini;
  setuptest::ScopedLanguage german("de_DE.UTF-8");
  FakeDialogSystem system;
  system.onOpen(IDD_ABOUT, [](FakeDialog& d) {
    EXPECT_EQ(d.title(), u"Info über den Karvell-ODBC-Treiber");
    EXPECT_EQ(d.text(IDC_ABOUT_VERSION_LABEL), u"Version:");
    EXPECT_EQ(d.text(IDC_ABOUT_LOG_LABEL), u"Protokolldatei:");
    d.click(commandOk);
  });
  About about(nullptr);
}
#endif

TEST(About, LogoFollowsTheSystemsLook) {
  EXPECT_EQ(aboutLogoBitmap(false, 10), IDB_LOGO_CLASSIC);
  EXPECT_EQ(aboutLogoBitmap(false, 5), IDB_LOGO_CLASSIC);
  EXPECT_EQ(aboutLogoBitmap(true, 6), IDB_LOGO_THEMED);
  EXPECT_EQ(aboutLogoBitmap(true, 5), 0);
}

}  // namespace
