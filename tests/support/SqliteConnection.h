#pragma once
// The scripted connection with SQLite behind it: each final text runs on the connection's own
// in-memory database, and a statement that returns rows hands them to the statement as a result
// (column names as SQLite reports them, values as text, BLOBs as their bytes, NULL as absent).
// A failing text posts "HY000" with SQLite's code and message. Linux tests only.
//
// Header-only: the test support library is linked into test programs that have no driver core.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "tests/support/ScriptedConnection.h"

namespace testsupport {

class SqliteConnection : public ScriptedConnection {
 public:
  explicit SqliteConnection(Environment* environment) : ScriptedConnection(environment) {
    sqlite3_open(":memory:", &database_);
  }
  ~SqliteConnection() override { sqlite3_close(database_); }

  SQLRETURN run(ScriptedStatement& statement, const std::string& text) override {
    texts.push_back(text);
    sqlite3_stmt* prepared = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(database_, text.c_str(), static_cast<int>(text.size()), &prepared,
                                &tail);
    std::vector<std::string> columns;
    std::vector<std::vector<std::optional<std::string>>> rows;
    if (rc == SQLITE_OK && prepared != nullptr) {
      const int count = sqlite3_column_count(prepared);
      for (int c = 0; c < count; ++c) columns.emplace_back(sqlite3_column_name(prepared, c));
      while ((rc = sqlite3_step(prepared)) == SQLITE_ROW) {
        std::vector<std::optional<std::string>>& row = rows.emplace_back();
        for (int c = 0; c < count; ++c) {
          if (sqlite3_column_type(prepared, c) == SQLITE_NULL) {
            row.emplace_back();
            continue;
          }
          const auto* bytes = static_cast<const char*>(sqlite3_column_blob(prepared, c));
          row.emplace_back(
              std::string(bytes == nullptr ? "" : bytes,
                          static_cast<std::size_t>(sqlite3_column_bytes(prepared, c))));
        }
      }
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    sqlite3_finalize(prepared);
    if (rc != SQLITE_OK) {
      statement.diagnostics().post("HY000", rc, sqlite3_errmsg(database_), SQL_NO_COLUMN_NUMBER,
                                   SQL_NO_ROW_NUMBER);
      return SQL_ERROR;
    }
    if (!columns.empty()) statement.deliver(columns, rows);
    return SQL_SUCCESS;
  }

 private:
  sqlite3* database_ = nullptr;
};

}  // namespace testsupport
