// Fetching: moving the row source by the fetch orientation and building the rowset.
//
// Positions follow ODBC's SQLFetchScroll tables. The cursor stands before the start, after the
// end, or on a rowset; while it stands on a rowset the row source stands on the last row taken
// into it (rowsetRows_ rows), or one row beyond after the result ran out (rowsetRows_ counts that
// step too), so the rowset's first row lies rowsetRows_ - 1 rows back. Before the start the row
// source stands before its first row; positions before the start and after the end are
// otherwise never derived from it.
//
// A move answers SQL_SUCCESS on the first row of the new rowset, SQL_SUCCESS_WITH_INFO there
// with "01S06" posted (the rowset asked for began before the result and was moved to row 1),
// SQL_NO_DATA with beforeStart_ or afterEnd_ set, or SQL_ERROR when the row source cannot move
// that way.
#include <string>

#include "core/AppBuffer.h"
#include "core/TraceWriter.h"
#include "statement/Descriptor.h"
#include "statement/Recordset.h"
#include "statement/Statement.h"

namespace {

// The number of rows a negative offset counts back, without overflow at the lowest offset.
SQLULEN magnitude(SQLLEN offset) { return 0 - static_cast<SQLULEN>(offset); }

}  // namespace

SQLRETURN Statement::fetch() { return fetchScroll(SQL_FETCH_NEXT, 0); }

SQLRETURN Statement::fetchScroll(SQLSMALLINT orientation, SQLLEN offset) {
  diagnostics_.clear();
  if (recordset_ == nullptr || state_ < stateResultSet) return post("24000");
  if (orientation != SQL_FETCH_NEXT && cursorScrollable_ == SQL_NONSCROLLABLE) return post("HY106");
  SQLRETURN rc = SQL_SUCCESS;
  switch (orientation) {
    case SQL_FETCH_NEXT:
      rc = fetchNext();
      break;
    case SQL_FETCH_FIRST:
      rc = fetchFirst();
      break;
    case SQL_FETCH_LAST:
      rc = fetchLast();
      break;
    case SQL_FETCH_PRIOR:
      rc = fetchPrior();
      break;
    case SQL_FETCH_ABSOLUTE:
      rc = fetchAbsolute(offset);
      break;
    case SQL_FETCH_RELATIVE:
      rc = fetchRelative(offset);
      break;
    case SQL_FETCH_BOOKMARK:
      rc = fetchBookmark(offset);
      break;
    default:
      break;  // nothing to fetch
  }
  if (SQL_SUCCEEDED(rc)) state_ = stateFetched;
  return rc;
}

SQLRETURN Statement::extendedFetch(SQLUSMALLINT orientation, SQLLEN row, SQLULEN* rowCount,
                                   SQLUSMALLINT* rowStatus) {
  diagnostics_.clear();
  // The caller's pointers stand in for the statement's own for this call only. They go through
  // the descriptor's setters: the attribute path would clear what the fetch posted.
  SQLULEN* const ownRowsFetched = ird_->getRowsProcessedPtr();
  SQLUSMALLINT* const ownStatuses = ird_->getArrayStatusPtr();
  ird_->setRowsProcessedPtr(rowCount);
  ird_->setArrayStatusPtr(rowStatus);
  SQLRETURN rc;
  if (orientation == SQL_FETCH_BOOKMARK) {
    // The row argument is the bookmark itself.
    SQLPOINTER const ownBookmarkPtr = fetchBookmarkPtr_;
    SQLLEN bookmark = row;
    fetchBookmarkPtr_ = &bookmark;
    rc = fetchScroll(SQL_FETCH_BOOKMARK, 0);
    fetchBookmarkPtr_ = ownBookmarkPtr;
  } else {
    rc = fetchScroll(static_cast<SQLSMALLINT>(orientation), row);
  }
  ird_->setRowsProcessedPtr(ownRowsFetched);
  ird_->setArrayStatusPtr(ownStatuses);
  return rc;
}

SQLRETURN Statement::fetchRowset() {
  SQLUSMALLINT* const statuses = ird_->getArrayStatusPtr();
  const SQLULEN size = ard_->getArraySize();
  SQLULEN rows = 0;
  SQLULEN failed = 0;
  bool warned = false;
  bool ended = false;
  rowsetRows_ = 0;
  rowsetDelivered_ = 0;
  positionedRow_ = 0;
  ard_->findBoundRecords(retrieveData_, boundRecords_);
  while (rows < size) {
    ird_->resetNextBytes();
    if (fetchRowsetRow() == SQL_NO_DATA) {
      ended = true;
      break;
    }
    // A row that cannot be converted whole is reported in its status; the rowset goes on.
    const SQLUSMALLINT status = convertRowsetRow(rows, boundRecords_);
    if (status == SQL_ROW_ERROR) ++failed;
    if (status == SQL_ROW_SUCCESS_WITH_INFO) warned = true;
    if (statuses != nullptr) statuses[rows] = status;
    ++rows;
    ++pendingAdvance_;
    ++rowsFetched_;
  }
  if (rows == 0) return SQL_NO_DATA;
  rowsetDelivered_ = rows;
  // After the result ran out the row source stands one row beyond the rowset.
  rowsetRows_ = static_cast<SQLLEN>(ended ? rows + 1 : rows);
  if (ird_->getRowsProcessedPtr() != nullptr) *ird_->getRowsProcessedPtr() = rows;
  if (statuses != nullptr) {
    for (SQLULEN k = rows; k < size; ++k) statuses[k] = SQL_ROW_NOROW;
  }
  if (failed == rows) return SQL_ERROR;
  return failed > 0 || warned ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLUSMALLINT Statement::convertRowsetRow(SQLULEN index,
                                         const std::vector<Descriptor::BoundRecord>& bound) {
  switch (ard_->convertBoundRow(index, bound, *ird_, 0, maxLength_, diagnostics_)) {
    case SQL_ERROR:
      return SQL_ROW_ERROR;
    case SQL_SUCCESS_WITH_INFO:
      return SQL_ROW_SUCCESS_WITH_INFO;
    default:
      return SQL_ROW_SUCCESS;
  }
}

SQLRETURN Statement::fetchRowsetRow() {
  if (pendingAdvance_ != 0) {
    pendingAdvance_ = 0;
    if (!SQL_SUCCEEDED(recordset_->next())) return SQL_NO_DATA;
  }
  recordset_->bindRow(0, retrieveData_);
  return SQL_SUCCESS;
}

SQLRETURN Statement::fetchNext() { return fetchMoved(moveNext()); }

SQLRETURN Statement::fetchPrior() { return fetchMoved(movePrior()); }

SQLRETURN Statement::fetchFirst() { return fetchMoved(moveFirst()); }

SQLRETURN Statement::fetchLast() { return fetchMoved(moveLast()); }

SQLRETURN Statement::fetchRelative(SQLLEN offset) { return fetchMoved(moveRelative(offset)); }

SQLRETURN Statement::fetchAbsolute(SQLLEN offset) { return fetchMoved(moveAbsolute(offset)); }

SQLRETURN Statement::fetchBookmark(SQLLEN offset) {
  if (useBookmarks_ == SQL_UB_OFF || fetchBookmarkPtr_ == nullptr) return post("HY111");
  const auto bookmark = loadAppValue<SQLLEN>(fetchBookmarkPtr_);
  if (isTracing()) {
    traceStream().writeLine("// bookmark start: " + std::to_string(bookmark) +
                            "  offset: " + std::to_string(offset));
  }
  const SQLULEN target = static_cast<SQLULEN>(bookmark) + static_cast<SQLULEN>(offset);
  if (target == ~SQLULEN{0}) {
    if (isTracing()) traceStream().writeLine("// fetching last row");
    return fetchLast();
  }
  // A row's bookmark is its row number plus one.
  const auto row = static_cast<SQLLEN>(target - 1);
  return fetchMoved(row < 1 ? moveBeforeStart() : moveAbsolute(row));
}

SQLRETURN Statement::fetchMoved(SQLRETURN moved) {
  // The row source cannot move that way; nothing moved.
  if (moved == SQL_ERROR) return post("HY106");
  if (moved == SQL_NO_DATA) return SQL_NO_DATA;
  const SQLRETURN rc = fetchRowset();
  if (rc == SQL_NO_DATA) return noRowset(false);
  beforeStart_ = false;
  afterEnd_ = false;
  return rc == SQL_SUCCESS ? moved : rc;
}

SQLRETURN Statement::noRowset(bool beforeStart) {
  beforeStart_ = beforeStart;
  afterEnd_ = !beforeStart;
  rowsetRows_ = -1;
  return SQL_NO_DATA;
}

SQLRETURN Statement::moveNext() {
  if (afterEnd_) return SQL_NO_DATA;
  pendingAdvance_ = 0;
  const SQLRETURN rc = recordset_->next();
  return rc == SQL_NO_DATA ? noRowset(false) : rc;
}

SQLRETURN Statement::movePrior() {
  if (beforeStart_) return SQL_NO_DATA;
  if (afterEnd_) return moveToLastRowset(true);
  return moveBack(ard_->getArraySize());
}

SQLRETURN Statement::moveRelative(SQLLEN offset) {
  if (beforeStart_) return offset > 0 ? moveAbsolute(offset) : SQL_NO_DATA;
  if (afterEnd_) return offset < 0 ? moveAbsolute(offset) : SQL_NO_DATA;
  if (offset < 0) return moveBack(magnitude(offset));
  pendingAdvance_ = 0;
  // Counted from the rowset's first row.
  const SQLRETURN rc = recordset_->relative(offset - (rowsetRows_ - 1));
  return rc == SQL_NO_DATA ? noRowset(false) : rc;
}

SQLRETURN Statement::moveAbsolute(SQLLEN row) {
  if (row == 0) return moveBeforeStart();
  pendingAdvance_ = 0;
  if (row > 0) {
    const SQLRETURN rc = recordset_->absolute(row);
    return rc == SQL_NO_DATA ? noRowset(false) : rc;
  }
  // Counted back from the last row: row -1 is the last.
  SQLRETURN rc = recordset_->last();
  if (rc == SQL_SUCCESS) rc = recordset_->relative(row + 1);
  if (rc != SQL_NO_DATA) return rc;
  return magnitude(row) <= ard_->getArraySize() ? moveFirstEarly() : noRowset(true);
}

SQLRETURN Statement::moveFirst() {
  pendingAdvance_ = 0;
  const SQLRETURN rc = recordset_->first();
  return rc == SQL_NO_DATA ? noRowset(true) : rc;
}

SQLRETURN Statement::moveLast() { return moveToLastRowset(false); }

SQLRETURN Statement::moveBack(SQLULEN rows) {
  pendingAdvance_ = 0;
  // To the rowset's first row and one before it: there is none when the rowset began at row 1.
  SQLRETURN rc = recordset_->relative(1 - rowsetRows_);
  if (rc == SQL_SUCCESS) rc = recordset_->relative(-1);
  if (rc == SQL_NO_DATA) return noRowset(true);
  if (rc == SQL_SUCCESS && rows > 1) rc = recordset_->relative(-static_cast<SQLLEN>(rows - 1));
  if (rc != SQL_NO_DATA) return rc;
  return rows <= ard_->getArraySize() ? moveFirstEarly() : noRowset(true);
}

SQLRETURN Statement::moveBeforeStart() {
  pendingAdvance_ = 0;
  const SQLRETURN rc = recordset_->absolute(0);
  return rc == SQL_ERROR ? rc : noRowset(true);
}

SQLRETURN Statement::moveFirstEarly() {
  const SQLRETURN rc = recordset_->first();
  if (rc == SQL_NO_DATA) return noRowset(true);
  if (rc != SQL_SUCCESS) return rc;
  diagnostics_.post("01S06", 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN Statement::moveToLastRowset(bool shortRowsetWarns) {
  pendingAdvance_ = 0;
  SQLRETURN rc = recordset_->last();
  if (rc == SQL_NO_DATA) return noRowset(false);
  const SQLULEN size = ard_->getArraySize();
  if (rc != SQL_SUCCESS || size <= 1) return rc;
  rc = recordset_->relative(1 - static_cast<SQLLEN>(size));
  if (rc != SQL_NO_DATA) return rc;
  // Fewer rows than a rowset: the rowset begins at row 1.
  if (shortRowsetWarns) return moveFirstEarly();
  return recordset_->first();
}
