#pragma once
// The fixtures of the programs that position in results and add rows through them: the texts the
// server logs, the diagnostic records with their row numbers, and the table rows are added to.
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "tests/integration/OdbcProgram.h"

namespace integrationtest {


inline SQLPOINTER attribute(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

// "\xNN" of the server's SQL log back to its byte.
inline std::string unescape(const std::string& logged) {
  std::string text;
  for (std::size_t i = 0; i < logged.size(); ++i) {
    if (logged.compare(i, 2, "\\x") == 0 && i + 3 < logged.size()) {
      text += static_cast<char>(std::stoi(logged.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      text += logged[i];
    }
  }
  return text;
}

// A diagnostic record, compared by its state and row number.
struct Record {
  std::string state;
  std::string message;
  SQLLEN row;
  bool operator==(const Record& other) const { return state == other.state && row == other.row; }
};

inline std::ostream& operator<<(std::ostream& out, const Record& record) {
  return out << record.state << " row " << record.row << " " << record.message;
}

// Every diagnostic record of the statement with its row number.
inline std::vector<Record> records(SQLHSTMT stmt) {
  std::vector<Record> all;
  for (SQLSMALLINT number = 1;; ++number) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[512] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_STMT, stmt, number, state, &native, message,
                                     sizeof message, &length))) {
      return all;
    }
    SQLLEN row = 0;
    SQLGetDiagField(SQL_HANDLE_STMT, stmt, number, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
    all.push_back({reinterpret_cast<char*>(state), reinterpret_cast<char*>(message), row});
  }
}

class PositionedProgram : public OdbcProgram {
 protected:
  std::vector<std::string> serverArgs() const override { return {"--sql-log", "sql.log"}; }

  // The texts the server received since the last call.
  std::vector<std::string> newTexts() {
    std::ifstream log(server().dataFile("sql.log"));
    std::vector<std::string> texts;
    std::size_t number = 0;
    for (std::string line; std::getline(log, line); ++number) {
      if (number < textsSeen_) continue;
      // "session command text"
      const std::size_t command = line.find(' ');
      texts.push_back(unescape(line.substr(line.find(' ', command + 1) + 1)));
    }
    textsSeen_ = number;
    return texts;
  }

  void setAttribute(SQLHSTMT stmt, SQLINTEGER name, SQLULEN value) {
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetStmtAttr(stmt, name, attribute(value), 0)))
        << name << ": " << state(SQL_HANDLE_STMT, stmt);
  }

  // A static (optionally lock-concurrency) cursor.
  void makeStatic(SQLHSTMT stmt, bool lock) {
    setAttribute(stmt, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC);
    if (lock) setAttribute(stmt, SQL_ATTR_CONCURRENCY, SQL_CONCUR_LOCK);
  }

 private:
  std::size_t textsSeen_ = 0;
};

// The table rows are changed in, with its three rows below the ids the cases add and one above.

class PeopleProgram : public PositionedProgram {
 protected:
  void SetUp() override {
    PositionedProgram::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    createPeople();
  }

  void createPeople() {
    exec("drop table if exists people");
    exec("create table people (id integer primary key, name text, note text default 'dflt')");
    exec("insert into people (id, name) values (1, 'a'), (2, 'b'), (3, 'c'), (90, 'z')");
    newTexts();
  }

  // The rows the cases added, as SQLite stored them.
  std::vector<std::string> addedRows() {
    std::vector<std::string> rows;
    const std::string text =
        storedRows("select id, name, note from people where id not in (1, 2, 3, 90) order by id");
    for (std::size_t begin = 0, end; (end = text.find('\n', begin)) != std::string::npos;
         begin = end + 1) {
      rows.push_back(text.substr(begin, end - begin));
    }
    return rows;
  }
};

}  // namespace integrationtest
