#pragma once
// Locks and one-time initialisation for state that application threads share.
#include <mutex>
#include <utility>

namespace platform {

// Recursive: a guarded section may write a trace line or post a diagnostic, and both take the
// lock of the same environment again on the same thread.
using Mutex = std::recursive_mutex;
using MutexLock = std::lock_guard<Mutex>;

using OnceFlag = std::once_flag;

template <typename Function>
void callOnce(OnceFlag& flag, Function&& function) {
  std::call_once(flag, std::forward<Function>(function));
}

}  // namespace platform
