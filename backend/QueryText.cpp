#include "backend/QueryText.h"

#include <cctype>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "statement/SqlTextScanner.h"

namespace {

// The first word of the text, after blanks, comments and byte-order marks.
const char* statementStart(const std::string& sql) {
  static constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
  const char* start = skipSpacesAndComments(sql.c_str());
  while (std::strncmp(start, byteOrderMark, 3) == 0) start = skipSpacesAndComments(start + 3);
  return start;
}

bool startsWithAny(const char* start, std::initializer_list<const char*> keywords) {
  for (const char* keyword : keywords)
    if (startsWithKeyword(start, keyword) != nullptr) return true;
  return false;
}

}  // namespace

bool isQueryText(const std::string& sql) {
  const char* start = statementStart(sql);
  if (*start == '(' || startsWithAny(start, {"SELECT", "SHOW", "WITH", "VALUES", "EXPLAIN"}))
    return true;
  return startsWithKeyword(start, "PRAGMA") != nullptr && sql.find('=') == std::string::npos;
}

std::string describingQuery(const std::string& sql) {
  const char* start = statementStart(sql);
  if (*start != '(' && !startsWithAny(start, {"SELECT", "WITH", "VALUES"})) return "";
  std::string_view query(start);
  while (!query.empty() && (query.back() == ';' || std::isspace(static_cast<unsigned char>(query.back()))))
    query.remove_suffix(1);
  return "SELECT * FROM (\n" + std::string(query) + "\n) LIMIT 0";
}
