#pragma once
// The --sql-log file: one line per SQL text received, "SESSION COMMAND TEXT", so that tests read
// exactly what a client sent. Bytes below 0x20, 0x7F and the backslash are written as \xNN,
// which keeps every text on its one line.
#include <fstream>
#include <mutex>
#include <string>

namespace devserver {

class SqlLog {
 public:
  bool open(const std::string& path);
  void write(unsigned session, unsigned command, const std::string& sql);

 private:
  std::mutex mutex_;
  std::ofstream out_;
};

}  // namespace devserver
