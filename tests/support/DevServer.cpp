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
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
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

// Wine starts a Unix program without Windows handles: what CreateProcess leaves in the process
// information is stack garbage (closing it could close stdout), so it is not touched. The
// program's end is seen through the files it writes.
bool runUnix(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION ignored{};
  std::string line = commandLine;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &ignored) != 0;
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

// Under Wine the server runs under /bin/sh, which records the server's Unix process id and, once
// the server has ended, its exit status in files beside the data directory. Wine detaches Unix
// children, so the shell cannot watch its parent; instead the test program holds a FIFO open for
// writing from the moment it exists, and a watcher subshell that reads it ends the server when the
// test program dies and the FIFO closes. The watcher reads with the shell's own `read`, so that
// killing it once the server has ended leaves no reader behind, blocked for ever on a FIFO nobody
// opens again. Wine opens the FIFO for reading and writing without blocking, so holding it never
// waits for the watcher. The FIFO is gone before the status is written: Wine cannot delete one.
// The shell's own output goes nowhere: it must not keep the test's output pipe open.
struct DevServer::Process {
  std::string pidFile;
  std::string statusFile;
  std::string aliveFifo;
  HANDLE alive = INVALID_HANDLE_VALUE;
  bool started = false;

  ~Process() { release(); }

  bool start(const std::string& serverRoot, const std::vector<std::string>& argv) {
    const std::string fifo = shellQuoted(serverRoot + "/alive");
    std::string script = "exec </dev/null >/dev/null 2>&1; mkfifo " + fifo + "; ";
    for (const auto& arg : argv) script += shellQuoted(arg) + " ";
    script += "> " + shellQuoted(serverRoot + "/server.out") + " 2> " +
              shellQuoted(serverRoot + "/server.log") + " & server=$!; echo $server > " +
              shellQuoted(serverRoot + "/server.pid") + "; (read -r line < " + fifo +
              "; kill -TERM $server) & watcher=$!; wait $server; status=$?; kill $watcher; rm -f " +
              fifo + "; echo $status > " + shellQuoted(serverRoot + "/server.status");
    pidFile = unixToWindows(serverRoot + "/server.pid");
    statusFile = unixToWindows(serverRoot + "/server.status");
    aliveFifo = unixToWindows(serverRoot + "/alive");
    started = runUnix("/bin/sh -c " + windowsQuoted(script));
    return started;
  }

  // Opens the FIFO once the shell has made it; from then on the server lives only as long as this
  // process holds it. Called while waiting for the server to listen.
  void holdAlive() {
    if (alive == INVALID_HANDLE_VALUE)
      alive = CreateFileA(aliveFifo.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
  }

  // After the server has ended (the watcher is gone by then).
  void release() {
    if (alive != INVALID_HANDLE_VALUE) CloseHandle(alive);
    alive = INVALID_HANDLE_VALUE;
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
    runUnix(std::string("/bin/kill -") + name + " " + pid);
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

  // The server gets SIGTERM should the test program die without stopping it.
  bool start(const std::string& serverRoot, const std::vector<std::string>& args) {
    const std::string out = serverRoot + "/server.out";
    const std::string log = serverRoot + "/server.log";
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0) {
      // Only async-signal-safe calls between fork and exec.
      const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (outFd < 0 || logFd < 0 || dup2(outFd, 1) < 0 || dup2(logFd, 2) < 0 ||
          prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent)
        _exit(127);
      execv(argv[0], argv.data());
      _exit(127);
    }
    started = pid > 0;
    return started;
  }

  bool ended(int& status) {
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) != pid) return false;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
  }

  void holdAlive() {}
  void release() {}
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
  for (;;) {
    process_->holdAlive();
    if ((port_ = portFromOutput(readFile(outFile))) != 0) break;
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
  bool ended = false;
  bool killed = false;
  for (int pass = 0; pass < 2 && !ended; ++pass) {
    const auto limit = std::chrono::steady_clock::now() + kStopLimit;
    while (!(ended = process_->ended(status)) && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(kPollStep);
    if (!ended) {
      process_->kill();
      killed = true;
    }
  }
  const bool clean = ended && !killed && status == 0;
  process_->release();
  return clean;
}

std::string DevServer::dataFile(const std::string& name) const {
  return (std::filesystem::path(dataDir_) / name).string();
}

std::string DevServer::serverDataFile(const std::string& name) const {
  return serverDataDir_ + "/" + name;
}

std::string DevServer::log() const {
  return root_.empty() ? std::string()
                       : readFile((std::filesystem::path(root_) / "server.log").string());
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
