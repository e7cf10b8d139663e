#pragma once
// The SQL texts the server answers itself instead of handing them to SQLite, and the rewriting of
// what does go to SQLite.
#include <string>

namespace devserver {

enum class Intercepted {
  kNone,           // for SQLite
  kShowInfo,       // SHOW INFO
  kPing,           // PING
  kAutocommitOn,   // SET AUTOCOMMIT TO ON
  kAutocommitOff,  // SET AUTOCOMMIT TO OFF
  kCommit,         // COMMIT
  kRollback,       // ROLLBACK
  kClientType,     // SET CLIENT TYPE TO '...'; the argument is the name
  kUseDatabase,    // USE DATABASE '...'; the argument is the name
  kShowDatabases,  // SHOW DATABASES
  kDatabaseList,   // PRAGMA database_list: the databases USE DATABASE takes, as a server lists them
  kShowTables,     // SHOW TABLES
  kFault,          // @@fault ...; the argument is the rest of the text
  kStats,          // @@stats
};

struct InterceptedSql {
  Intercepted kind = Intercepted::kNone;
  std::string argument;
  // A syntax error of the command's argument; the command is not run.
  std::string error;
};

// Matches case-insensitively with white space collapsed and a trailing ";" optional. SET CLIENT
// TYPE TO and USE DATABASE take one string literal ('' inside stands for one quote) followed by
// nothing but blanks and ";".
InterceptedSql intercept(const std::string& sql);

// Drops the keyword of typed literals outside quotes and comments (DATE '...', TIME '...',
// TIMESTAMP '...'), which SQLite does not know.
std::string stripTypedLiteralKeywords(const std::string& sql);

// The text as SQLite takes it: without a leading UTF-8 byte-order mark, a query that opens with
// "(" read from as a subquery (SQLite has no parenthesized statement), typed literals stripped.
std::string sqliteText(const std::string& sql);

// Whether the text holds nothing but white space, semicolons and comments.
bool isBlankSql(const char* sql);

}  // namespace devserver
