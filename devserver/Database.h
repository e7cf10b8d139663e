#pragma once
// One SQLite database as a session uses it: opened in WAL mode with a busy timeout and the
// server's extra functions.
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace devserver {

class Database {
 public:
  // Opens the file; `create` allows a new one. Null with a message on failure.
  static std::unique_ptr<Database> open(const std::string& path, bool create, std::string& error);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  bool inTransaction() const;

  // Runs a text of one or more statements and discards any rows.
  bool execute(const char* sql, std::string& error);
  // Prepares the first statement at `sql`; `statement` stays null when only blanks remain.
  bool prepare(const char* sql, sqlite3_stmt*& statement, const char*& tail, std::string& error);
  // Steps a statement to its end, discarding rows; it is reset afterwards either way.
  bool stepToEnd(sqlite3_stmt* statement, std::string& error);

 private:
  explicit Database(sqlite3* db) : db_(db) {}
  sqlite3* db_;
};

}  // namespace devserver
