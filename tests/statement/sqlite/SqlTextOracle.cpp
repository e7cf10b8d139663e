#include "tests/statement/sqlite/SqlTextOracle.h"

#include <cstdint>

#include "statement/Descriptor.h"
#include "statement/SqlTextScanner.h"

namespace sqltext {
namespace {

// The pieces texts are made of; letters and blanks stand for everything else.
const char* const pieces[] = {"'",  "\"", "`", "[", "]", "--", "/*", "*/",
                              "\r", "\n", "?", "a", "Z", "q",  " "};

// Values meant to leave their literal: quotes, line ends, comments, statement
// ends, backslashes.
const char* const hostileValues[] = {"x\n; DELETE FROM victim WHERE 1; --",
                                     "'",
                                     "''",
                                     "\\",
                                     "\\'",
                                     "'; SELECT 1; --",
                                     "\r",
                                     "\n",
                                     "\r\n",
                                     "--",
                                     "/*",
                                     "*/",
                                     ";",
                                     "\"",
                                     "`",
                                     "[",
                                     "]",
                                     "?",
                                     "",
                                     "a'b''c'''",
                                     "' || (SELECT 1) || '",
                                     "\\'; --\r\n;"};

const char* const valuePieces[] = {"'",  "\"", "`", "[", "]",  "--", "/*", "*/",
                                   "\r", "\n", "?", ";", "\\", "x",  " "};

enum class Inside { singleQuotes, doubleQuotes, backQuotes, brackets, lineComment, blockComment };

// The section's body: any piece, with its own quote doubled, and without what
// would end it early.
std::string body(Choices& choices, Inside inside) {
  std::string text;
  const unsigned count = choices.pick(8);
  for (unsigned k = 0; k < count; ++k) {
    const std::string piece = pieces[choices.pick(sizeof pieces / sizeof *pieces)];
    switch (inside) {
      case Inside::singleQuotes:
        text += piece == "'" ? "''" : piece;
        break;
      case Inside::doubleQuotes:
        text += piece == "\"" ? "\"\"" : piece;
        break;
      case Inside::backQuotes:
        text += piece == "`" ? "``" : piece;
        break;
      case Inside::brackets:
        if (piece != "]") text += piece;
        break;
      case Inside::lineComment:
        if (piece != "\n") text += piece;
        break;
      case Inside::blockComment:
        if ((text + piece).find("*/") == std::string::npos) text += piece;
        break;
    }
  }
  return text;
}

// Blanks, line ends and comments between two tokens; at least one unless
// `mayBeEmpty`.
std::string separator(Choices& choices, bool mayBeEmpty) {
  std::string text;
  const unsigned count = choices.pick(3) + (mayBeEmpty ? 0 : 1);
  for (unsigned k = 0; k < count; ++k) {
    switch (choices.pick(6)) {
      case 0:
        text += ' ';
        break;
      case 1:
        text += '\r';
        break;
      case 2:
        text += '\n';
        break;
      case 3:
        text += "\r\n";
        break;
      case 4:
        text += "--" + body(choices, Inside::lineComment) + "\n";
        break;
      default:
        text += "/*" + body(choices, Inside::blockComment) + "*/";
        break;
    }
  }
  return text;
}

std::string value(Choices& choices) {
  if (choices.pick(2) == 0)
    return hostileValues[choices.pick(sizeof hostileValues / sizeof *hostileValues)];
  std::string text;
  const unsigned count = choices.pick(10);
  for (unsigned k = 0; k < count; ++k)
    text += valuePieces[choices.pick(sizeof valuePieces / sizeof *valuePieces)];
  return text;
}

std::string marker(Choices& choices, GeneratedText& text) {
  text.values.push_back(value(choices));
  return "?";
}

std::string expression(Choices& choices, GeneratedText& text) {
  switch (choices.pick(4)) {
    case 0:
      return "'" + body(choices, Inside::singleQuotes) + "'";
    case 1: {
      std::string inner = "(" + separator(choices, true) + marker(choices, text);
      return inner + separator(choices, true) + ")";
    }
    default:
      return marker(choices, text);
  }
}

std::string name(Choices& choices) {
  switch (choices.pick(5)) {
    case 0:
      return "\"" + body(choices, Inside::doubleQuotes) + "\"";
    case 1:
      return "`" + body(choices, Inside::backQuotes) + "`";
    case 2:
      return "[" + body(choices, Inside::brackets) + "]";
    case 3:
      return "'" + body(choices, Inside::singleQuotes) + "'";
    default:
      return "zq" + std::string(choices.pick(3), 'a');  // no keyword starts with zq
  }
}

std::string item(Choices& choices, GeneratedText& text) {
  std::string sql = expression(choices, text);
  switch (choices.pick(3)) {
    case 0:
      return sql;
    case 1:
      return sql + separator(choices, false) + "AS" + separator(choices, false) + name(choices);
    default:
      return sql + separator(choices, true) + name(choices);
  }
}

// What may follow the statement: nothing, blanks and comments, a ";", or a
// comment left open.
std::string tail(Choices& choices) {
  switch (choices.pick(5)) {
    case 0:
      return std::string();
    case 1:
      return separator(choices, false);
    case 2:
      return ";" + separator(choices, true);
    case 3:
      return "--" + body(choices, Inside::lineComment);
    default:
      return "/* " + body(choices, Inside::blockComment);
  }
}

std::string rowText(sqlite3_stmt* statement) {
  std::string row;
  for (int c = 0; c < sqlite3_column_count(statement); ++c) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
    row += "[" + std::to_string(sqlite3_column_type(statement, c)) + ":" +
           std::string(bytes == nullptr ? "" : bytes,
                       static_cast<std::size_t>(sqlite3_column_bytes(statement, c))) +
           "]";
  }
  return row;
}

}  // namespace

GeneratedText generateText(Choices& choices) {
  GeneratedText text;
  text.sql = "SELECT" + separator(choices, true) + item(choices, text);
  const unsigned more = choices.pick(4);
  for (unsigned k = 0; k < more; ++k) {
    text.sql += separator(choices, true) + "," + separator(choices, true) + item(choices, text);
  }
  text.sql += tail(choices);
  return text;
}

Oracle::Oracle() { sqlite3_open(":memory:", &db_); }

Oracle::~Oracle() { sqlite3_close(db_); }

bool Oracle::runOnce(const std::string& sql, const std::vector<std::string>& values,
                     std::vector<std::string>& row, std::string& error) {
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, &tail) !=
      SQLITE_OK) {
    error = std::string("SQLite refuses it: ") + sqlite3_errmsg(db_);
    return false;
  }
  const char* const end = sql.data() + sql.size();
  // Only blanks, comments and semicolons may follow: SQLite finds no statement
  // in them.
  while (tail != end) {
    sqlite3_stmt* next = nullptr;
    const char* after = nullptr;
    const int rc = sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &next, &after);
    if (rc != SQLITE_OK || next != nullptr) {
      sqlite3_finalize(next);
      sqlite3_finalize(statement);
      error = "a second statement follows: " + std::string(tail, end);
      return false;
    }
    tail = after;
  }
  const int count = sqlite3_bind_parameter_count(statement);
  if (count != static_cast<int>(values.size())) {
    sqlite3_finalize(statement);
    error = "SQLite counts " + std::to_string(count) + " markers, the generator placed " +
            std::to_string(values.size());
    return false;
  }
  for (std::size_t k = 0; k < values.size(); ++k) {
    sqlite3_bind_text(statement, static_cast<int>(k + 1), values[k].data(),
                      static_cast<int>(values[k].size()), SQLITE_TRANSIENT);
  }
  const int stepped = sqlite3_step(statement);
  if (stepped == SQLITE_ROW) row.push_back(rowText(statement));
  sqlite3_finalize(statement);
  if (stepped != SQLITE_ROW) error = std::string("no row: ") + sqlite3_errmsg(db_);
  return stepped == SQLITE_ROW;
}

std::string Oracle::substituted(const GeneratedText& text, std::string& error) {
  statement_.freeStmt(SQL_RESET_PARAMS);
  std::vector<std::string> buffers(text.values);
  std::vector<SQLLEN> lengths(buffers.size(), SQL_NTS);
  for (std::size_t k = 0; k < buffers.size(); ++k) {
    buffers[k].push_back('\0');
    statement_.bindParameter(static_cast<SQLUSMALLINT>(k + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                             SQL_VARCHAR, 0, 0, &buffers[k][0],
                             static_cast<SQLLEN>(buffers[k].size()), &lengths[k]);
  }
  std::string sql;
  if (statement_.substituteParameters(text.sql, findAllOutsideQuotes(text.sql, "?"),
                                      *statement_.appParamDesc(), *statement_.impParamDesc(), 0,
                                      sql) != SQL_SUCCESS) {
    error = "the values were not substituted";
  }
  statement_.diagnostics().clear();
  return sql;
}

std::string Oracle::check(const GeneratedText& text) {
  std::vector<std::string> bound;
  std::string error;
  if (!runOnce(text.sql, text.values, bound, error)) return "template " + error;
  const std::int32_t counted = countOutsideQuotes(text.sql, "?");
  if (counted != static_cast<std::int32_t>(text.values.size())) {
    return "the scanner counts " + std::to_string(counted) + " markers, SQLite " +
           std::to_string(text.values.size());
  }
  const std::string sql = substituted(text, error);
  if (!error.empty()) return error;
  std::vector<std::string> literal;
  if (!runOnce(sql, {}, literal, error)) return "substituted text " + error + " in " + sql;
  if (literal != bound) return "substituted text reads " + literal[0] + " for " + bound[0];
  return std::string();
}

}  // namespace sqltext
