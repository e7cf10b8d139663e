#include "devserver/SqlInterceptor.h"

#include <cctype>
#include <cstring>

namespace devserver {

namespace {

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// Upper-cased, white space runs as one space, no leading or trailing blanks, no final ";".
std::string normalized(const std::string& sql) {
  std::string text;
  for (char c : sql) {
    if (isSpace(c)) {
      if (!text.empty() && text.back() != ' ') text += ' ';
    } else {
      text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  if (!text.empty() && text.back() == ' ') text.pop_back();
  if (!text.empty() && text.back() == ';') text.pop_back();
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Index after `words` words of white-space separated text.
std::size_t afterWordIndex(const std::string& sql, int words) {
  std::size_t i = 0;
  for (int word = 0; word < words; ++word) {
    while (i < sql.size() && isSpace(sql[i])) ++i;
    while (i < sql.size() && !isSpace(sql[i])) ++i;
  }
  return i;
}

// The rest of the original text after `words` leading words, trimmed, without a final ";".
std::string afterWords(const std::string& sql, int words) {
  std::size_t i = afterWordIndex(sql, words);
  std::size_t end = sql.size();
  while (end > i && isSpace(sql[end - 1])) --end;
  if (end > i && sql[end - 1] == ';') --end;
  while (i < end && isSpace(sql[i])) ++i;
  while (end > i && isSpace(sql[end - 1])) --end;
  return sql.substr(i, end - i);
}

// The command's one string literal after `words` words.
InterceptedSql literalArgument(Intercepted kind, const std::string& sql, int words) {
  InterceptedSql result{kind, {}, {}};
  std::size_t i = afterWordIndex(sql, words);
  while (i < sql.size() && isSpace(sql[i])) ++i;
  bool closed = false;
  if (i < sql.size() && sql[i] == '\'') {
    for (++i; i < sql.size(); ++i) {
      if (sql[i] != '\'') {
        result.argument += sql[i];
      } else if (i + 1 < sql.size() && sql[i + 1] == '\'') {
        result.argument += sql[i++];
      } else {
        closed = true;
        ++i;
        break;
      }
    }
  }
  while (closed && i < sql.size() && (isSpace(sql[i]) || sql[i] == ';')) ++i;
  if (!closed || i != sql.size())
    result.error = "Syntax error: the command takes one string literal";
  return result;
}

// Skips a quoted text or a comment starting at sql[i]; answers the index after it, or i.
std::size_t skipQuotedOrComment(const std::string& sql, std::size_t i) {
  const char c = sql[i];
  if (c == '\'' || c == '"' || c == '`' || c == '[') {
    const char close = c == '[' ? ']' : c;
    for (std::size_t j = i + 1; j < sql.size(); ++j) {
      if (sql[j] != close) continue;
      if (close != ']' && j + 1 < sql.size() && sql[j + 1] == close) {
        ++j;  // a doubled quote stays inside
        continue;
      }
      return j + 1;
    }
    return sql.size();
  }
  if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
    const std::size_t end = sql.find('\n', i);
    return end == std::string::npos ? sql.size() : end + 1;
  }
  if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
    const std::size_t end = sql.find("*/", i + 2);
    return end == std::string::npos ? sql.size() : end + 2;
  }
  return i;
}

bool keywordAt(const std::string& sql, std::size_t i, const char* keyword) {
  const std::size_t length = std::strlen(keyword);
  if (i + length > sql.size()) return false;
  for (std::size_t k = 0; k < length; ++k)
    if (std::toupper(static_cast<unsigned char>(sql[i + k])) != keyword[k]) return false;
  return i + length == sql.size() || !isWordChar(sql[i + length]);
}

// Whether the text begins with the first word of a command intercepted: the others, every
// ordinary statement, are not normalized at all.
bool mayBeIntercepted(const std::string& sql) {
  std::size_t i = 0;
  while (i < sql.size() && isSpace(sql[i])) ++i;
  for (const char* word : {"SHOW", "PING", "SET", "COMMIT", "ROLLBACK", "PRAGMA", "USE", "@@"}) {
    const std::size_t length = std::strlen(word);
    std::size_t k = 0;
    while (k < length && i + k < sql.size() &&
           std::toupper(static_cast<unsigned char>(sql[i + k])) == word[k])
      ++k;
    if (k == length) return true;
  }
  return false;
}

}  // namespace

InterceptedSql intercept(const std::string& sql) {
  if (!mayBeIntercepted(sql)) return {};
  const std::string text = normalized(sql);
  struct Exact {
    const char* text;
    Intercepted kind;
  };
  static const Exact exact[] = {
      {"SHOW INFO", Intercepted::kShowInfo},
      {"PING", Intercepted::kPing},
      {"SET AUTOCOMMIT TO ON", Intercepted::kAutocommitOn},
      {"SET AUTOCOMMIT TO OFF", Intercepted::kAutocommitOff},
      {"COMMIT", Intercepted::kCommit},
      {"ROLLBACK", Intercepted::kRollback},
      {"SHOW DATABASES", Intercepted::kShowDatabases},
      {"PRAGMA DATABASE_LIST", Intercepted::kDatabaseList},
      {"SHOW TABLES", Intercepted::kShowTables},
      {"@@STATS", Intercepted::kStats},
  };
  for (const Exact& entry : exact)
    if (text == entry.text) return {entry.kind, {}, {}};
  if (text.rfind("SET CLIENT TYPE TO", 0) == 0)
    return literalArgument(Intercepted::kClientType, sql, 4);
  if (text.rfind("USE DATABASE ", 0) == 0)
    return literalArgument(Intercepted::kUseDatabase, sql, 2);
  if (text == "@@FAULT" || text.rfind("@@FAULT ", 0) == 0)
    return {Intercepted::kFault, afterWords(sql, 1), {}};
  return {};
}

std::string stripTypedLiteralKeywords(const std::string& sql) {
  static const char* const keywords[] = {"TIMESTAMP", "DATE", "TIME"};
  std::string out;
  out.reserve(sql.size());
  std::size_t i = 0;
  while (i < sql.size()) {
    const std::size_t skipped = skipQuotedOrComment(sql, i);
    if (skipped != i) {
      out.append(sql, i, skipped - i);
      i = skipped;
      continue;
    }
    if (i == 0 || !isWordChar(sql[i - 1])) {
      bool stripped = false;
      for (const char* keyword : keywords) {
        if (!keywordAt(sql, i, keyword)) continue;
        std::size_t j = i + std::strlen(keyword);
        while (j < sql.size() && isSpace(sql[j])) ++j;
        if (j < sql.size() && sql[j] == '\'') {
          i = j;  // the literal itself follows unchanged
          stripped = true;
        }
        break;
      }
      if (stripped) continue;
    }
    out += sql[i++];
  }
  return out;
}

std::string sqliteText(const std::string& sql) {
  const std::size_t start = sql.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  std::size_t first = start;
  while (first < sql.size() && isSpace(sql[first])) ++first;
  const std::string prefix = first < sql.size() && sql[first] == '(' ? "SELECT * FROM " : "";
  return stripTypedLiteralKeywords(prefix + sql.substr(start));
}

bool isBlankSql(const char* sql) {
  const std::string text = sql;
  std::size_t i = 0;
  while (i < text.size()) {
    if (isSpace(text[i]) || text[i] == ';') {
      ++i;
      continue;
    }
    const bool comment = text[i] == '-' || text[i] == '/';
    const std::size_t skipped = comment ? skipQuotedOrComment(text, i) : i;
    if (skipped == i) return false;
    i = skipped;
  }
  return true;
}

}  // namespace devserver
