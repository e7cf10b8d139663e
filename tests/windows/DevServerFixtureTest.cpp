// The development-server fixture under Wine, where the server is a Unix process that the test
// program can neither wait for nor be the parent of: it must stop when the test program dies, and
// a server that cannot start must be reported without leaving anything behind.
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/DevServer.h"

namespace {

// Set for the child run of StopsWhenTheTestProgramDies: the file where it names its data directory.
constexpr char kChildReport[] = "KARVOD_FIXTURE_CHILD_REPORT";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits up to `limit` for the file; false when it does not appear.
bool appears(const std::filesystem::path& path, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!std::filesystem::exists(path)) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// The child: starts a server, names its data directory, and dies without running a destructor.
void runChild(const char* report) {
  testsupport::DevServer server;
  if (!server.running()) return;
  std::ofstream(report) << server.dataDir() << '\n';
  TerminateProcess(GetCurrentProcess(), 3);
}

TEST(DevServerFixture, StopsWhenTheTestProgramDies) {
  SKIP_WITHOUT_DEVSERVER();
  if (const char* report = std::getenv(kChildReport)) return runChild(report);

  char tempDir[MAX_PATH];
  ASSERT_NE(GetTempPathA(MAX_PATH, tempDir), 0u);
  const std::filesystem::path report =
      std::filesystem::path(tempDir) / ("karvod-fixture-" + std::to_string(GetCurrentProcessId()));
  char self[MAX_PATH];
  ASSERT_NE(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
  std::string commandLine =
      std::string("\"") + self + "\" --gtest_filter=DevServerFixture.StopsWhenTheTestProgramDies";
  SetEnvironmentVariableA(kChildReport, report.string().c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &child) != 0;
  SetEnvironmentVariableA(kChildReport, nullptr);
  ASSERT_TRUE(started) << GetLastError();
  const DWORD waited = WaitForSingleObject(child.hProcess, 60000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 1);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the child did not end";

  std::string dataDir = readFile(report);
  std::error_code ignored;
  std::filesystem::remove(report, ignored);
  ASSERT_FALSE(dataDir.empty()) << "the child started no server";
  dataDir.pop_back();
  // The shell writes the server's status once the server has ended; nothing else cleans up.
  const std::filesystem::path root = std::filesystem::path(dataDir).parent_path();
  EXPECT_TRUE(appears(root / "server.status", std::chrono::seconds(20)))
      << "the server outlived its test program";
  EXPECT_EQ(readFile(root / "server.status"), "0\n");
  EXPECT_FALSE(std::filesystem::exists(root / "alive"));
  std::filesystem::remove_all(root, ignored);
}

TEST(DevServerFixture, AServerThatCannotStartIsReportedAndLeavesNothingBehind) {
  SKIP_WITHOUT_DEVSERVER();
  std::string root;
  EXPECT_NONFATAL_FAILURE(
      {
        testsupport::DevServer server({"--no-such-option"});
        root = std::filesystem::path(server.dataDir()).parent_path().string();
        EXPECT_FALSE(server.running());
      },
      "before it listened");
  ASSERT_FALSE(root.empty());
  EXPECT_FALSE(std::filesystem::exists(root));
}

}  // namespace
