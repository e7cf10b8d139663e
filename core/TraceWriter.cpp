#include "core/TraceWriter.h"

#include <map>
#include <utility>

struct TraceWriter::Declarations {
  platform::Mutex mutex;
  // Declared name -> its type and size.
  std::map<std::string, std::string> types;
};

std::shared_ptr<TraceWriter::Declarations> TraceWriter::declarationsFor(const std::string& path,
                                                                        bool emptyFile) {
  static platform::Mutex mutex;
  static std::map<std::string, std::shared_ptr<Declarations>> byPath;
  platform::MutexLock lock(mutex);
  std::shared_ptr<Declarations>& declarations = byPath[path];
  if (!declarations) declarations = std::make_shared<Declarations>();
  if (emptyFile) {
    platform::MutexLock declared(declarations->mutex);
    declarations->types.clear();
  }
  return declarations;
}

TraceWriter::TraceWriter(platform::Mutex& mutex)
    : mutex_(mutex), declarations_(std::make_shared<Declarations>()) {}

bool TraceWriter::open(const std::string& path) {
  bool emptyFile = false;
  {
    platform::MutexLock lock(mutex_);
    stream_.open(path, std::ios::out | std::ios::app);
    if (!stream_.is_open()) return false;
    stream_.seekp(0, std::ios::end);
    emptyFile = stream_.tellp() == 0;
  }
  // Not under the writer's lock: declare() takes the declarations' lock before the writer's.
  std::shared_ptr<Declarations> declarations = declarationsFor(path, emptyFile);
  platform::MutexLock lock(mutex_);
  declarations_ = std::move(declarations);
  return true;
}

void TraceWriter::writeLine(const std::string& line) {
  std::string safe;
  safe.reserve(line.size() + 1);
  for (const char c : line) {
    if (c == '\n') {
      safe += "\\n";
    } else if (c == '\r') {
      safe += "\\r";
    } else {
      safe += c;
    }
  }
  const bool joinsNext = (!safe.empty() && safe.back() == '\\') ||
                         (safe.size() >= 3 && safe.compare(safe.size() - 3, 3, "?\?/") == 0);
  if (joinsNext) safe += '.';
  platform::MutexLock lock(mutex_);
  stream_ << safe << std::endl;
}

std::string TraceWriter::declare(const std::string& cType, const std::string& name,
                                 const std::string& arraySize, const std::string& initialValue) {
  const std::string type = arraySize.empty() ? cType : cType + "[" + arraySize + "]";
  platform::MutexLock lock(declarations_->mutex);
  std::string candidate = name;
  for (int suffix = 2;; ++suffix) {
    const auto found = declarations_->types.find(candidate);
    if (found == declarations_->types.end()) break;
    if (found->second == type) return candidate;
    candidate = name + "_" + std::to_string(suffix);
  }
  // The replay names null pointers NULL, which the ODBC headers alone do not define.
  if (declarations_->types.empty()) writeLine("#include <stddef.h>");
  declarations_->types.emplace(candidate, type);
  std::string line = cType + " " + candidate;
  if (!arraySize.empty()) line += "[" + arraySize + "]";
  if (!initialValue.empty()) line += " = " + initialValue;
  writeLine(line + ";");
  return candidate;
}
