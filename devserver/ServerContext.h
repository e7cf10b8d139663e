#pragma once
// What every session shares: the options, the accounts, the trace and the server's own state.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "devserver/FaultPlan.h"
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

  // The fault of the first --fault-* option at this point (and matching the text) that has not
  // fired yet; it fires now. False when there is none.
  bool claimFault(FaultTrigger::Point point, const std::string& sql, FaultPlan& plan);

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
  std::mutex faultMutex_;
  std::vector<bool> faultFired_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace devserver
