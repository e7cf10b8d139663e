// The driver installed as a user installs it: `cmake --install` into a prefix of the test's own,
// registered with unixODBC through the odbcinst.ini section it ships, a data source connected to
// by isql through the registered name, and the registration removed again. The tools read ini
// files of the test's own (ODBCSYSINI, ODBCINI), never the machine's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/DevServer.h"

namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

class Install : public testsupport::DevServerTest {
 protected:
  void SetUp() override {
    DevServerTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    char scratch[] = "/tmp/karvod-install-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    root = scratch;
    std::filesystem::create_directories(root / "etc");
    // The tools' environment: private ini files, and the sanitizer runtimes the driver was built
    // with (isql's own string handling trips the string checks; the driver does not need them).
    tools = "ODBCSYSINI=" + (root / "etc").string() +
            " ODBCINI=" + (root / "user-odbc.ini").string() + " ";
    const std::string preload = testsupport::sanitizerPreload(std::getenv("KARVOD_DRIVER"));
    if (!preload.empty()) {
      tools += "LD_PRELOAD=" + preload +
               " ASAN_OPTIONS=detect_leaks=0:replace_str=0:intercept_strlen=0:intercept_strchr=0"
               ":intercept_strndup=0 ";
    }
  }

  void TearDown() override {
    if (!root.empty()) std::filesystem::remove_all(root);
    DevServerTest::TearDown();
  }

  std::string run(const std::string& command, int& status) {
    return testsupport::commandOutput(command + " 2>&1", status);
  }

  std::filesystem::path root;
  std::string tools;
};

TEST_F(Install, InstalledRegisteredConnectedAndUnregistered) {
  const std::filesystem::path prefix = root / "prefix";
  int status = -1;
  std::string output = run(std::string(KARVOD_CMAKE_COMMAND) + " --install " +
                               std::getenv("KARVOD_BINARY_DIR") + " --prefix " + prefix.string(),
                           status);
  ASSERT_EQ(status, 0) << output;
  const std::filesystem::path section = prefix / "share/karvod/karvell-odbcinst.ini";
  ASSERT_TRUE(std::filesystem::exists(section)) << output;
  // The section names the library where it was installed, under the prefix's odbc folder.
  const std::string template_ = readFile(section);
  const std::string driverLine = "Driver      = " + prefix.string() + "/";
  const std::size_t at = template_.find(driverLine);
  ASSERT_NE(at, std::string::npos) << template_;
  const std::string driver = template_.substr(at + 14, template_.find('\n', at) - at - 14);
  EXPECT_EQ(std::filesystem::path(driver).parent_path().filename(), "odbc");
  EXPECT_TRUE(std::filesystem::exists(driver)) << driver;

  output = run(tools + "odbcinst -i -d -f " + section.string(), status);
  ASSERT_EQ(status, 0) << output;
  const std::filesystem::path odbcinst = root / "etc/odbcinst.ini";
  EXPECT_NE(readFile(odbcinst).find("[Karvell ODBC]"), std::string::npos);
  std::ofstream(root / "etc/odbc.ini") << "[installed]\nDriver = Karvell ODBC\nServer = 127.0.0.1\n"
                                       << "Port = " << port() << "\n";
  std::ofstream(root / "query.sql") << "select 6 * 7\n";
  output = run(
      tools + "isql -b -v -c '-d|' installed karvell karvell < " + (root / "query.sql").string(),
      status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("\n42\n"), std::string::npos) << output;

  output = run(tools + "odbcinst -u -d -n \"Karvell ODBC\"", status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(readFile(odbcinst).find("[Karvell ODBC]"), std::string::npos) << readFile(odbcinst);
  output =
      run(tools + "isql -b installed karvell karvell < " + (root / "query.sql").string(), status);
  EXPECT_NE(status, 0) << output;
}

}  // namespace
