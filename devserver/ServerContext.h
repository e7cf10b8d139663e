#pragma once
// What every session shares: the options, the accounts, the trace and the server's own state.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "devserver/LoginExchange.h"
#include "devserver/Options.h"
#include "devserver/SqlLog.h"
#include "devserver/Trace.h"

namespace devserver {

class ServerContext {
 public:
  explicit ServerContext(const Options& options);

  const Options& options() const { return options_; }
  const std::vector<Account>& accounts() const { return accounts_; }
  Trace& trace() { return trace_; }
  SqlLog& sqlLog() { return sqlLog_; }
  std::atomic<int>& openConnections() { return openConnections_; }

  // Waits the given time; false when the server began to stop meanwhile.
  bool sleep(double seconds);
  void requestStop();
  bool stopping();

 private:
  const Options& options_;
  std::vector<Account> accounts_;
  Trace trace_;
  SqlLog sqlLog_;
  std::atomic<int> openConnections_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace devserver
