#include "backend/QueryText.h"

#include <cstring>

#include "statement/SqlTextScanner.h"

bool isQueryText(const std::string& sql) {
  static constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
  const char* start = skipSpacesAndComments(sql.c_str());
  while (std::strncmp(start, byteOrderMark, 3) == 0) start = skipSpacesAndComments(start + 3);
  if (*start == '(') return true;
  for (const char* keyword : {"SELECT", "SHOW", "WITH", "VALUES", "EXPLAIN"})
    if (startsWithKeyword(start, keyword) != nullptr) return true;
  return startsWithKeyword(start, "PRAGMA") != nullptr && sql.find('=') == std::string::npos;
}
