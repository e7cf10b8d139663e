#include "platform/Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(Mutex, CallOnceRunsOnceAcrossThreads) {
  platform::OnceFlag flag;
  std::atomic<int> runs{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&] { platform::callOnce(flag, [&] { ++runs; }); });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(runs.load(), 1);
}

TEST(Mutex, IsReentrantOnOneThread) {
  platform::Mutex mutex;
  platform::MutexLock outer(mutex);
  platform::MutexLock inner(mutex);
  SUCCEED();
}
