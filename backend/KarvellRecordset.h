#pragma once
// The forward-only row source over a query's server cursor: each row's fields go to the
// implementation row descriptor as pointers into the cursor's own data (all of it read when the
// query ran and valid until the cursor is freed), so a walk copies and allocates nothing.
//
// The statement owns the cursor and frees it; when it does, it detaches the row source first,
// which then has no more rows.
#include "statement/Recordset.h"

struct KvlCursor;

class KarvellRecordset : public Recordset {
 public:
  KarvellRecordset(Statement* statement, KvlCursor* cursor);

  // 0 on the next row, SQL_NO_DATA after the last one (at once for an empty result).
  SQLRETURN next() override;
  // Column 0 (a bound bookmark) gets the 1-based row number as text.
  SQLRETURN bindRow(SQLULEN rowIndex, SQLUINTEGER retrieveData) override;
  // The cursor is about to be freed.
  void detach();

 private:
  KvlCursor* cursor_;
  char bookmark_[24] = {};
};
