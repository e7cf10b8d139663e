#include "devserver/SqlLog.h"

namespace devserver {

bool SqlLog::open(const std::string& path) {
  out_.open(path, std::ios::out | std::ios::trunc);
  return out_.is_open();
}

void SqlLog::write(unsigned session, unsigned command, const std::string& sql) {
  if (!out_.is_open()) return;
  static const char digits[] = "0123456789ABCDEF";
  std::string line = std::to_string(session) + ' ' + std::to_string(command) + ' ';
  line.reserve(line.size() + sql.size() + 1);
  for (const char c : sql) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '\\') {
      line += "\\x";
      line += digits[byte >> 4];
      line += digits[byte & 15];
    } else {
      line += c;
    }
  }
  line += '\n';
  std::lock_guard<std::mutex> lock(mutex_);
  out_ << line;
  out_.flush();
}

}  // namespace devserver
