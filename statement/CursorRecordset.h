#pragma once
// A row source over a named server cursor: the owning statement's query was declared as that
// cursor, and every move runs a FETCH text on an internal statement of the same connection,
// whose one-row result becomes the owning statement's current row.
//
// Moves answer what the internal statement's fetch answers; its diagnostics stay its own.
#include <string>

#include "platform/Odbc.h"
#include "statement/Recordset.h"

class CursorRecordset : public Recordset {
 public:
  // Opens the cursor, takes its row count and columns from a first fetch, then reopens it so
  // that it stands before its first row.
  explicit CursorRecordset(Statement* statement);
  // Drops the internal statement.
  ~CursorRecordset() override;

  SQLRETURN next() override;
  SQLRETURN previous() override;
  SQLRETURN relative(SQLLEN offset) override;
  SQLRETURN absolute(SQLLEN row) override;
  SQLRETURN first() override;
  SQLRETURN last() override;
  // Hands the internal statement's current row to element rowIndex of the owning statement's
  // row descriptor: the internal value pointers, lengths and NULLs. No bookmark column.
  SQLRETURN bindRow(SQLULEN rowIndex, SQLUINTEGER retrieveData) override;

  // Describes the cursor's columns into the owning statement's row descriptor, with row
  // buffers, unless it describes some already.
  SQLRETURN describeColumns();

 private:
  // Runs a text on the internal statement; its result replaces the one before.
  SQLRETURN run(const std::string& text);
  // Runs "fetch <direction> from <cursor>" and fetches its row.
  SQLRETURN move(const std::string& direction);

  Statement* internal_;
  std::string cursorName_;
};
