#include "devserver/Database.h"

#include <sqlite3.h>

#include "devserver/SqlFunctions.h"

namespace devserver {

namespace {

constexpr int kBusyTimeoutMs = 10000;

}  // namespace

std::unique_ptr<Database> Database::open(const std::string& path, bool create, std::string& error) {
  sqlite3* db = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    error = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return nullptr;
  }
  std::unique_ptr<Database> database(new Database(db));
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (!database->execute("PRAGMA journal_mode=WAL", error)) return nullptr;
  if (!registerSqlFunctions(db)) {
    error = sqlite3_errmsg(db);
    return nullptr;
  }
  return database;
}

Database::~Database() { sqlite3_close_v2(db_); }

bool Database::inTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

bool Database::execute(const char* sql, std::string& error) {
  while (sql && *sql) {
    sqlite3_stmt* statement = nullptr;
    if (!prepare(sql, statement, sql, error)) return false;
    if (!statement) break;
    const bool ok = stepToEnd(statement, error);
    sqlite3_finalize(statement);
    if (!ok) return false;
  }
  return true;
}

bool Database::prepare(const char* sql, sqlite3_stmt*& statement, const char*& tail,
                       std::string& error) {
  statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &statement, &tail) != SQLITE_OK) {
    error = sqlite3_errmsg(db_);
    return false;
  }
  return true;
}

bool Database::stepToEnd(sqlite3_stmt* statement, std::string& error) {
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) error = sqlite3_errmsg(db_);
  sqlite3_reset(statement);
  return rc == SQLITE_DONE;
}

}  // namespace devserver
