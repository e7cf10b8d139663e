#pragma once
// The development server as a test fixture: one karvell-devserver process on a free loopback port
// with a fresh data directory, stopped with SIGTERM when the object goes away.
//
// The server's output goes to files beside the data directory. On Windows (under Wine) the server
// is still the Linux binary, started through /bin/sh; its stdout could not reach a Windows pipe.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class DevServer {
 public:
  // Starts `$KARVELL_DEVSERVER --port 0 --data-dir <fresh dir> <extraArgs>` and waits for its
  // "port N" line. A failure is reported with ADD_FAILURE and leaves port() at 0. Should the test
  // program die first, the server is terminated too (on Linux when the creating thread ends, so
  // create servers on the test's own thread).
  explicit DevServer(const std::vector<std::string>& extraArgs = {});
  ~DevServer();
  DevServer(const DevServer&) = delete;
  DevServer& operator=(const DevServer&) = delete;

  // The server binary from KARVELL_DEVSERVER; empty when the build has none.
  static std::string executable();

  int port() const { return port_; }
  bool running() const { return port_ != 0; }
  // The data directory and a file in it as the test program names them (Z:\... under Wine).
  const std::string& dataDir() const { return dataDir_; }
  std::string dataFile(const std::string& name) const;
  // The same as the server sees them (always a Unix path), for server options such as --trace.
  const std::string& serverDataDir() const { return serverDataDir_; }
  std::string serverDataFile(const std::string& name) const;
  // Everything the server wrote to stderr so far.
  std::string log() const;

  // Stops the server (SIGTERM, then SIGKILL after 10 s) and answers whether it exited by itself
  // with status 0. Called by the destructor when a test has not done so.
  bool stop();

 private:
  struct Process;
  std::unique_ptr<Process> process_;
  std::string root_;        // the test program's name for the temporary directory
  std::string serverRoot_;  // the server's name for it
  std::string dataDir_;
  std::string serverDataDir_;
  int port_ = 0;
};

// A test whose body runs against one server; skipped when the build has no server binary, and
// failed when the server does not exit cleanly at the end (so sanitizer reports count).
// Override serverArgs() for options beyond the defaults.
class DevServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  virtual std::vector<std::string> serverArgs() const { return {}; }

  DevServer& server() { return *server_; }
  int port() const { return server_->port(); }

 private:
  std::unique_ptr<DevServer> server_;
};

}  // namespace testsupport

// For tests that start servers of their own instead of deriving from DevServerTest.
#define SKIP_WITHOUT_DEVSERVER()                                  \
  do {                                                            \
    if (::testsupport::DevServer::executable().empty())           \
      GTEST_SKIP() << "KARVELL_DEVSERVER names no server binary"; \
  } while (0)
