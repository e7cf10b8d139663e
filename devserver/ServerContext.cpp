#include "devserver/ServerContext.h"

#include <chrono>

namespace devserver {

ServerContext::ServerContext(const Options& options)
    : options_(options),
      accounts_(makeAccounts(options.users)),
      faultFired_(options.faults.size(), false) {}

bool ServerContext::claimFault(FaultTrigger::Point point, const std::string& sql, FaultPlan& plan) {
  std::lock_guard<std::mutex> lock(faultMutex_);
  for (std::size_t i = 0; i < options_.faults.size(); ++i) {
    const FaultTrigger& trigger = options_.faults[i];
    if (faultFired_[i] || trigger.point != point ||
        sql.compare(0, trigger.prefix.size(), trigger.prefix) != 0)
      continue;
    faultFired_[i] = true;
    std::string unused;
    return planFault(trigger.knob, plan, unused);
  }
  return false;
}

bool ServerContext::sleep(double seconds) {
  // No pause at all, as every login asks for without --login-delay: no timed wait either.
  if (seconds <= 0) return !stopping();
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::duration<double>(seconds),
                         [this] { return stopping_; });
}

void ServerContext::requestStop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
}

bool ServerContext::stopping() {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

}  // namespace devserver
