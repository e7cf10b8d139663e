#pragma once
// Development servers for the benchmarks: one per option list and data, started on first use with
// its data created, and kept with its logged-in connections until the program ends, so that the
// timed loops see nothing but requests.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "client/kvl.h"
#include "tests/support/DevServer.h"

namespace bench {

class BenchServer {
 public:
  // The server started with args, whose data the statements in setup create when it starts: one
  // server for each pair of args and setup. Null with the reason in error when it does not start
  // or a statement fails.
  static BenchServer* get(const std::vector<std::string>& args, const std::vector<std::string>& setup,
                          std::string& error);
  ~BenchServer();
  BenchServer(const BenchServer&) = delete;
  BenchServer& operator=(const BenchServer&) = delete;

  // The connection at an encryption level of kvl_connect, logged in on first use; null with the
  // reason in error.
  KvlConnection* connection(int encryption, std::string& error);
  int port() const { return server_.port(); }

 private:
  explicit BenchServer(const std::vector<std::string>& args);

  testsupport::DevServer server_;
  std::map<int, KvlConnection*> connections_;
};

}  // namespace bench
