#include "backend/SqlLiteral.h"

std::string doubleQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (const char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

std::string quotedLiteral(const std::string& text) { return "'" + doubleQuotes(text) + "'"; }
