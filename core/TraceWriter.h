#pragma once
// The call trace's file. Every handle made under one environment writes to it, from whichever
// thread calls in, so each line goes out whole under the environment's lock.
#include <fstream>
#include <string>

#include "platform/Mutex.h"

class TraceWriter {
 public:
  explicit TraceWriter(platform::Mutex& mutex);
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  // Opens the file for appending, without keeping other processes from it; false when it
  // cannot be opened.
  bool open(const std::string& path);
  // Writes the line and an end of line, and flushes, so that a crash loses nothing traced.
  void writeLine(const std::string& line);

 private:
  platform::Mutex& mutex_;
  std::ofstream stream_;
};
