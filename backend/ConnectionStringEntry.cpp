#include "backend/ConnectionStringEntry.h"

#include "core/TextUtilities.h"

std::string connectionStringEntry(const char* key, const std::string& value) {
  std::string entry = key;
  entry += '=';
  const bool braced = value.find(';') != std::string::npos ||
                      (!value.empty() && (value[0] == '{' || isAsciiSpace(value[0])));
  if (!braced) return entry + value;
  entry += '{';
  for (const char c : value) {
    entry += c;
    if (c == '}') entry += '}';
  }
  return entry + '}';
}
