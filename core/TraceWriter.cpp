#include "core/TraceWriter.h"

TraceWriter::TraceWriter(platform::Mutex& mutex) : mutex_(mutex) {}

bool TraceWriter::open(const std::string& path) {
  platform::MutexLock lock(mutex_);
  stream_.open(path, std::ios::out | std::ios::app);
  return stream_.is_open();
}

void TraceWriter::writeLine(const std::string& line) {
  platform::MutexLock lock(mutex_);
  stream_ << line << std::endl;
}
