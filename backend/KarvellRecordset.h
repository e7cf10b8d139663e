#pragma once
// The forward-only row source over a query's server cursor: each row's fields go to the
// implementation row descriptor as pointers into the cursor's own data (all of it read when the
// query ran and valid until the cursor is freed), so a walk copies and allocates nothing.
//
// The statement owns the cursor and frees it; when it does, it detaches the row source first,
// which then has no more rows.
#include <vector>

#include "statement/Recordset.h"

struct KvlCursor;

class KarvellRecordset : public Recordset {
 public:
  // The statement's implementation row descriptor is described and has its row arrays. The
  // statement's SQL_ATTR_MAX_ROWS as it executed bounds the rows delivered.
  KarvellRecordset(Statement* statement, KvlCursor* cursor);

  // 0 on the next row, SQL_NO_DATA after the last one (at once for an empty result).
  SQLRETURN next() override;
  // Column 0 gets the 1-based row number as text when the statement used bookmarks as it ran.
  SQLRETURN bindRow(SQLULEN rowIndex, SQLUINTEGER retrieveData) override;
  // The cursor is about to be freed.
  void detach();

 private:
  // The arrays of one IRD record, looked up once rather than for every row.
  struct Target {
    const char** data;
    SQLLEN* lengths;
    SQLLEN* indicators;
  };
  static void bind(const Target& target, SQLULEN rowIndex, const char* value, SQLLEN length);

  KvlCursor* cursor_;
  bool bookmarks_;
  SQLULEN maxRows_;              // 0: every row
  std::vector<Target> targets_;  // record 0 (the bookmark) first
  char bookmark_[24] = {};
};
