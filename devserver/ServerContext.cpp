#include "devserver/ServerContext.h"

#include <chrono>

namespace devserver {

ServerContext::ServerContext(const Options& options)
    : options_(options), accounts_(makeAccounts(options.users)) {}

bool ServerContext::sleep(double seconds) {
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
