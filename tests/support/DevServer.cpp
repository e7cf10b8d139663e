#include "tests/support/DevServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>
extern char** environ;
#endif

namespace testsupport {

namespace {

constexpr auto kStartLimit = std::chrono::seconds(30);
constexpr auto kStopLimit = std::chrono::seconds(10);
constexpr auto kPollStep = std::chrono::milliseconds(20);

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The port from a complete first line "port N", or 0 while there is none yet.
int portFromOutput(const std::string& output) {
  const auto end = output.find('\n');
  if (end == std::string::npos || output.compare(0, 5, "port ") != 0) return 0;
  return std::atoi(output.substr(5, end - 5).c_str());
}

}  // namespace

#ifdef _WIN32

namespace {

// Wraps an argument in single quotes for /bin/sh.
std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

// Quotes one argument for a Windows command line, the way Wine splits it again for a Unix program.
std::string windowsQuoted(const std::string& text) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

bool runUnix(const std::string& commandLine, bool wait) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return false;
  if (wait && info.hProcess) WaitForSingleObject(info.hProcess, 10000);
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  return true;
}

// Wine maps the Unix root to drive Z:.
std::string unixToWindows(const std::string& path) {
  std::string windows = "Z:" + path;
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

std::string makeRoot(std::string& serverRoot) {
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    serverRoot = "/tmp/karvod-devserver-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(GetTickCount()) + "-" + std::to_string(attempt);
    const std::string root = unixToWindows(serverRoot);
    if (CreateDirectoryA(root.c_str(), nullptr)) return root;
  }
  return {};
}

}  // namespace

// Under Wine the server runs as a child of /bin/sh, which records the server's Unix process id and,
// once the server has ended, its exit status in files beside the data directory.
struct DevServer::Process {
  std::string pidFile;
  std::string statusFile;
  bool started = false;

  bool start(const std::string& serverRoot, const std::vector<std::string>& argv) {
    std::string script;
    for (const auto& arg : argv) script += shellQuoted(arg) + " ";
    script += "> " + shellQuoted(serverRoot + "/server.out") + " 2> " +
              shellQuoted(serverRoot + "/server.log") + " & echo $! > " +
              shellQuoted(serverRoot + "/server.pid") + "; wait $!; echo $? > " +
              shellQuoted(serverRoot + "/server.status");
    pidFile = unixToWindows(serverRoot + "/server.pid");
    statusFile = unixToWindows(serverRoot + "/server.status");
    started = runUnix("/bin/sh -c " + windowsQuoted(script), false);
    return started;
  }

  bool ended(int& status) {
    const std::string text = readFile(statusFile);
    if (text.empty() || text.back() != '\n') return false;
    status = std::atoi(text.c_str());
    return true;
  }

  void signal(const char* name) {
    std::string pid;
    const auto limit = std::chrono::steady_clock::now() + kStopLimit;
    while ((pid = readFile(pidFile)).empty() || pid.back() != '\n') {
      if (std::chrono::steady_clock::now() > limit) return;
      std::this_thread::sleep_for(kPollStep);
    }
    pid.pop_back();
    runUnix(std::string("/bin/kill -") + name + " " + pid, true);
  }
  void terminate() { signal("TERM"); }
  void kill() { signal("KILL"); }
};

#else

namespace {

std::string makeRoot(std::string& serverRoot) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/karvod-devserver-XXXXXX";
  if (!mkdtemp(pattern.data())) return {};
  serverRoot = pattern;
  return pattern;
}

}  // namespace

struct DevServer::Process {
  pid_t pid = -1;
  bool started = false;

  bool start(const std::string& serverRoot, const std::vector<std::string>& args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = serverRoot + "/server.out";
    const std::string log = serverRoot + "/server.log";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started;
  }

  bool ended(int& status) {
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) != pid) return false;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
  }

  void terminate() { ::kill(pid, SIGTERM); }
  void kill() { ::kill(pid, SIGKILL); }
};

#endif

std::string DevServer::executable() {
  const char* value = std::getenv("KARVELL_DEVSERVER");
  return value ? value : "";
}

DevServer::DevServer(const std::vector<std::string>& extraArgs) : process_(new Process) {
  const std::string binary = executable();
  if (binary.empty()) {
    ADD_FAILURE() << "KARVELL_DEVSERVER names no server binary";
    return;
  }
  root_ = makeRoot(serverRoot_);
  if (root_.empty()) {
    ADD_FAILURE() << "cannot create a temporary directory for the server";
    return;
  }
  dataDir_ = (std::filesystem::path(root_) / "data").string();
  serverDataDir_ = serverRoot_ + "/data";
  std::filesystem::create_directory(dataDir_);

  std::vector<std::string> argv = {binary, "--port", "0", "--data-dir", serverDataDir_};
  argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
  if (!process_->start(serverRoot_, argv)) {
    ADD_FAILURE() << "cannot start " << binary;
    return;
  }
  const std::string outFile = (std::filesystem::path(root_) / "server.out").string();
  const auto limit = std::chrono::steady_clock::now() + kStartLimit;
  int status = 0;
  while ((port_ = portFromOutput(readFile(outFile))) == 0) {
    if (process_->ended(status)) {
      process_->started = false;
      ADD_FAILURE() << "the server ended with status " << status << " before it listened:\n"
                    << log();
      return;
    }
    if (std::chrono::steady_clock::now() > limit) {
      ADD_FAILURE() << "the server printed no port within 30 s:\n" << log();
      return;
    }
    std::this_thread::sleep_for(kPollStep);
  }
}

DevServer::~DevServer() {
  stop();
  if (::testing::Test::HasFailure() && !root_.empty())
    std::cerr << "--- development server log (" << serverRoot_ << ") ---\n" << log() << "---\n";
  if (!root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
}

bool DevServer::stop() {
  if (!process_->started) return false;
  process_->started = false;
  port_ = 0;
  process_->terminate();
  int status = -1;
  for (int pass = 0; pass < 2; ++pass) {
    const auto limit = std::chrono::steady_clock::now() + kStopLimit;
    while (std::chrono::steady_clock::now() < limit) {
      if (process_->ended(status)) return pass == 0 && status == 0;
      std::this_thread::sleep_for(kPollStep);
    }
    process_->kill();
  }
  return false;
}

std::string DevServer::dataFile(const std::string& name) const {
  return (std::filesystem::path(dataDir_) / name).string();
}

std::string DevServer::serverDataFile(const std::string& name) const {
  return serverDataDir_ + "/" + name;
}

std::string DevServer::log() const {
  return root_.empty() ? std::string() : readFile((std::filesystem::path(root_) / "server.log").string());
}

void DevServerTest::SetUp() {
  SKIP_WITHOUT_DEVSERVER();
  server_ = std::make_unique<DevServer>(serverArgs());
  ASSERT_TRUE(server_->running()) << "the development server did not start";
}

// A server that does not exit cleanly on SIGTERM (a sanitizer report, a hang) fails the test.
void DevServerTest::TearDown() {
  if (server_ && server_->running()) {
    EXPECT_TRUE(server_->stop()) << "the development server did not exit cleanly:\n"
                                 << server_->log();
  }
  server_.reset();
}

}  // namespace testsupport
