// SQLSetPos and SQLBulkOperations: positioning within the rowset, refreshing it, and the row
// changes the server runs as text.
//
// The row source stands where the fetch left it (on the rowset's last row, or one beyond after
// the result ran out) whenever these operations return, so that the next fetch delivers what it
// would have without them. Added, updated and deleted rows run on a private statement of the
// connection: the application's statement keeps its result, its position and its counts.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/Connection.h"
#include "core/TextUtilities.h"
#include "statement/Descriptor.h"
#include "statement/Recordset.h"
#include "statement/SqlTextScanner.h"
#include "statement/Statement.h"

namespace {

constexpr const char* noTableMessage = "At least one bound column must be associated with a table";
constexpr const char* calculatedColumnMessage =
    "All columns must be from a table (not calculations)";
constexpr const char* deleteNoTableMessage = "Could not determine table from query";

bool isDataAtExecution(SQLLEN indicator) {
  return indicator == SQL_DATA_AT_EXEC || indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

// [A-Za-z_][A-Za-z0-9_]*: a name the server reads as it stands.
bool isPlainIdentifier(const std::string& name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
  }
  return true;
}

// A column name as one identifier of the text: plain names as they are, any other in double
// quotes with its own double quotes doubled.
void appendColumnName(std::string& text, const std::string& name) {
  if (isPlainIdentifier(name)) {
    text += name;
    return;
  }
  text += '"';
  for (char c : name) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

struct StatementDrop {
  void operator()(Statement* statement) const {
    statement->freeStmt(SQL_DROP);
    delete statement;
  }
};

}  // namespace

SQLRETURN Statement::setPos(SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lockType) {
  diagnostics_.clear();
  if (concurrency_ == SQL_CONCUR_READ_ONLY &&
      (operation == SQL_UPDATE || operation == SQL_DELETE || operation == SQL_ADD)) {
    return post("HY092");
  }
  const SQLUINTEGER attributes = cursorAttributes1();
  switch (operation) {
    case SQL_POSITION: {
      if ((attributes & SQL_CA1_POS_POSITION) == 0) {
        return post("HYC00", "Cursor does not support row positioning");
      }
      const SQLRETURN rc = checkRowsetRow(row, false);
      if (rc != SQL_SUCCESS) return rc;
      return bindRowsetRow(row - 1);
    }
    case SQL_REFRESH:
      if ((attributes & SQL_CA1_POS_REFRESH) == 0) {
        return post("HYC00", "Cursor does not support refreshing rows");
      }
      return refreshRows(row);
    case SQL_UPDATE:
      if ((attributes & SQL_CA1_POS_UPDATE) == 0) {
        return post("HYC00", "Cursor does not support updating rows");
      }
      return updateRow(row, lockType);
    case SQL_DELETE:
      if ((attributes & SQL_CA1_POS_DELETE) == 0) {
        return post("HYC00", "Cursor does not support deleting rows");
      }
      return deleteRow(row, lockType);
    case SQL_ADD:
      if ((attributes & SQL_CA1_BULK_ADD) == 0) {
        return post("HYC00", "Cursor does not support adding rows");
      }
      return insertRow(row, lockType);
    default:
      return SQL_SUCCESS;
  }
}

SQLRETURN Statement::bulkOperations(SQLUSMALLINT operation) {
  if (operation != SQL_ADD) return post("HYC00");
  // After a bulk operation the cursor position is undefined until the next fetch.
  rowsetDelivered_ = 0;
  positionedRow_ = 0;
  return insertRow(0, SQL_LOCK_NO_CHANGE);
}

SQLRETURN Statement::insertRow(SQLSETPOSIROW row, SQLUSMALLINT) {
  return changeRows(row, RowChange::add);
}

SQLRETURN Statement::updateRow(SQLSETPOSIROW row, SQLUSMALLINT) {
  return changeRows(row, RowChange::update);
}

SQLRETURN Statement::deleteRow(SQLSETPOSIROW row, SQLUSMALLINT) {
  return changeRows(row, RowChange::remove);
}

std::string Statement::tableNameFromQuery(const std::string& text) {
  const char* const begin = text.c_str();
  const char* from = findOutsideQuotes(begin, "from");
  // Only the word itself: "valid_from" and "fromage" are names.
  while (*from != '\0' &&
         ((from > begin && isIdentifierByte(from[-1])) || isIdentifierByte(from[4]))) {
    from = findOutsideQuotes(from + 4, "from");
  }
  if (*from == '\0') return std::string();
  const char* const start = skipSpaces(from + 4);
  const char* end = start;
  while (*end != '\0' && !isAsciiSpace(*end)) ++end;
  return std::string(start, end);
}

SQLRETURN Statement::checkRowsetRow(SQLSETPOSIROW row, bool everyRow) {
  if (recordset_ == nullptr || state_ != stateFetched || rowsetRows_ < 1) return post("24000");
  if (row > ard_->getArraySize()) return post("HY107");
  if ((row == 0 && !everyRow) || row > rowsetDelivered_ || rowsetDelivered_ == 0) {
    return post("HY109");
  }
  return SQL_SUCCESS;
}

SQLRETURN Statement::moveInRowset(SQLULEN from, SQLULEN to) {
  if (from == to) return SQL_SUCCESS;
  if (to == rowsetDelivered_) {
    // Beyond the last row: only a step forward from it stands there.
    const SQLRETURN rc = moveInRowset(from, to - 1);
    if (rc != SQL_SUCCESS) return rc;
    return recordset_->next() == SQL_ERROR ? SQL_ERROR : SQL_SUCCESS;
  }
  const SQLLEN offset = static_cast<SQLLEN>(to) - static_cast<SQLLEN>(from);
  return recordset_->relative(offset) == SQL_SUCCESS ? SQL_SUCCESS : SQL_ERROR;
}

SQLRETURN Statement::bindRowsetRow(SQLULEN index) {
  const auto standing = static_cast<SQLULEN>(rowsetRows_ - 1);
  if (moveInRowset(standing, index) != SQL_SUCCESS) {
    moveInRowset(index, standing);
    return post("HYC00", "Cursor does not support row positioning");
  }
  recordset_->bindRow(0, retrieveData_);
  ird_->resetNextBytes();
  positionedRow_ = index + 1;
  return moveInRowset(index, standing) == SQL_SUCCESS ? SQL_SUCCESS : post("HY000");
}

SQLRETURN Statement::refreshRows(SQLSETPOSIROW row) {
  SQLRETURN rc = checkRowsetRow(row, true);
  if (rc != SQL_SUCCESS) return rc;
  // The current row stays current when every row is refreshed.
  const SQLULEN current = positionedRow_ != 0 ? positionedRow_ : rowsetDelivered_;
  const SQLULEN first = row == 0 ? 0 : row - 1;
  const SQLULEN end = row == 0 ? std::min(rowsetDelivered_, ard_->getArraySize()) : row;
  SQLUSMALLINT* const statuses = ird_->getArrayStatusPtr();
  SQLULEN failed = 0;
  bool warned = false;
  ard_->findBoundRecords(retrieveData_, boundRecords_);
  for (SQLULEN index = first; index < end; ++index) {
    rc = bindRowsetRow(index);
    if (rc != SQL_SUCCESS) return rc;
    const SQLUSMALLINT status = convertRowsetRow(index, boundRecords_);
    if (status == SQL_ROW_ERROR) ++failed;
    if (status == SQL_ROW_SUCCESS_WITH_INFO) warned = true;
    if (statuses != nullptr) statuses[index] = status;
  }
  if (row == 0 && current != end) {
    rc = bindRowsetRow(current - 1);
    if (rc != SQL_SUCCESS) return rc;
  }
  if (row == 0) positionedRow_ = current == rowsetDelivered_ ? 0 : current;
  if (failed > 0 && failed == end - first) return SQL_ERROR;
  return failed > 0 || warned ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN Statement::changeRows(SQLSETPOSIROW row, RowChange change) {
  const bool adding = change == RowChange::add;
  if (adding && row > ard_->getArraySize()) return post("HY107");
  const std::string table = tableNameFromQuery(sqlText_);
  if (table.empty()) {
    return post("HY000", change == RowChange::remove ? deleteNoTableMessage : noTableMessage);
  }
  // The bound columns, in order; the bookmark record is no column.
  std::vector<SQLUSMALLINT> bound;
  if (change != RowChange::remove) {
    const SQLSMALLINT count = ard_->getCount();
    for (SQLSMALLINT number = 1; number <= count; ++number) {
      if (ard_->getRecord(number)->getDataPtr() == nullptr) continue;
      const DescriptorRecord* column = ird_->getRecord(number);
      if (column == nullptr || column->getName().empty()) {
        return post("HY000", calculatedColumnMessage);
      }
      bound.push_back(static_cast<SQLUSMALLINT>(number));
    }
    if (bound.empty()) return post("HY000", noTableMessage);
  }
  if (!adding && !serverCursorDeclared_) {
    return post("HYC00", change == RowChange::update ? "Cursor does not support updating rows"
                                                     : "Cursor does not support deleting rows");
  }
  if (!adding) {
    const SQLRETURN rc = checkRowsetRow(row, true);
    if (rc != SQL_SUCCESS) return rc;
  }

  // Every row of the rowset (the delivered ones for a change to the result), or the one row.
  const SQLULEN first = row == 0 ? 0 : row - 1;
  const SQLULEN end =
      row != 0 ? row
               : (adding ? ard_->getArraySize() : std::min(rowsetDelivered_, ard_->getArraySize()));
  const SQLUSMALLINT* const operations = ard_->getArrayStatusPtr();
  const auto ignored = [operations](SQLULEN index) {
    return operations != nullptr && operations[index] == SQL_ROW_IGNORE;
  };
  const auto indicator = [this](SQLUSMALLINT number, SQLULEN index) {
    const SQLLEN* element = ard_->lengthElementAddress(
        ard_->getRecord(static_cast<SQLSMALLINT>(number))->getIndicatorPtr(), index);
    return element == nullptr ? SQLLEN{0} : *element;
  };
  // Data at execution gathers one value per column, so it cannot serve a rowset; refused before
  // any row is sent.
  for (SQLULEN index = first; index < end; ++index) {
    if (ignored(index)) continue;
    for (SQLUSMALLINT number : bound) {
      if (isDataAtExecution(indicator(number, index))) return post("HYC00");
    }
  }

  std::unique_ptr<Statement, StatementDrop> runner(connection_->createStatement());
  if (runner == nullptr) return post("HYC00");

  // The text is built again only when a row leaves out other columns than the row before.
  std::vector<SQLUSMALLINT> columns;
  std::vector<SQLUSMALLINT> builtFor;
  std::string sqlTemplate;
  std::vector<std::size_t> markers;
  bool built = false;
  const auto appendMarker = [&] {
    markers.push_back(sqlTemplate.size());
    sqlTemplate += '?';
  };
  const auto build = [&] {
    sqlTemplate.clear();
    markers.clear();
    switch (change) {
      case RowChange::add:
        sqlTemplate = "insert into " + table;
        if (columns.empty()) {
          sqlTemplate += " default values";
          break;
        }
        sqlTemplate += " (";
        for (std::size_t k = 0; k < columns.size(); ++k) {
          if (k > 0) sqlTemplate += ", ";
          appendColumnName(sqlTemplate,
                           ird_->getRecord(static_cast<SQLSMALLINT>(columns[k]))->getName());
        }
        sqlTemplate += ") values (";
        for (std::size_t k = 0; k < columns.size(); ++k) {
          if (k > 0) sqlTemplate += ", ";
          appendMarker();
        }
        sqlTemplate += ")";
        break;
      case RowChange::update:
        sqlTemplate = "update " + table + " set ";
        for (std::size_t k = 0; k < columns.size(); ++k) {
          if (k > 0) sqlTemplate += ", ";
          appendColumnName(sqlTemplate,
                           ird_->getRecord(static_cast<SQLSMALLINT>(columns[k]))->getName());
          sqlTemplate += '=';
          appendMarker();
        }
        sqlTemplate += " where current of " + cursorName();
        break;
      case RowChange::remove:
        sqlTemplate = "delete from " + table + " where current of " + cursorName();
        break;
    }
    builtFor = columns;
    built = true;
  };

  const SQLUSMALLINT doneStatus =
      adding ? SQL_ROW_ADDED : (change == RowChange::update ? SQL_ROW_UPDATED : SQL_ROW_DELETED);
  SQLUSMALLINT* const statuses = ird_->getArrayStatusPtr();
  const bool severalRows = end - first > 1;
  const auto standing = static_cast<SQLULEN>(rowsetRows_ - 1);
  std::string finalText;
  SQLULEN attempted = 0;
  SQLULEN failed = 0;
  bool warned = false;
  for (SQLULEN index = first; index < end; ++index) {
    if (ignored(index)) continue;
    // A column marked SQL_COLUMN_IGNORE is left out of its row: the server's default applies.
    columns.clear();
    for (SQLUSMALLINT number : bound) {
      if (indicator(number, index) != SQL_COLUMN_IGNORE) columns.push_back(number);
    }
    // An update with nothing to set leaves its row as it is.
    if (change == RowChange::update && columns.empty()) continue;
    if (!built || columns != builtFor) build();
    ++attempted;
    runner->diagnostics().clear();
    SQLRETURN rc = runner->substituteRecords(sqlTemplate, markers, columns.data(), *ard_, *ird_,
                                             index, finalText);
    if (rc == SQL_SUCCESS) {
      // Where current of: the server cursor stands on the row while its text runs.
      if (!adding && moveInRowset(standing, index) != SQL_SUCCESS) {
        moveInRowset(index, standing);
        return post("HYC00", "Cursor does not support row positioning");
      }
      rc = runner->executeFinalizedQuery(markers.empty() ? sqlTemplate : finalText, index);
      if (!adding) moveInRowset(index, standing);
    }
    const bool succeeded = SQL_SUCCEEDED(rc);
    if (statuses != nullptr) statuses[index] = succeeded ? doneStatus : SQL_ROW_ERROR;
    if (!succeeded) {
      ++failed;
      if (severalRows) {
        diagnostics_.postLast("01S01", 0, "", SQL_NO_COLUMN_NUMBER, static_cast<SQLLEN>(index + 1));
      }
    }
    if (rc == SQL_SUCCESS_WITH_INFO) warned = true;
    diagnostics_.appendRecords(runner->diagnostics(), static_cast<SQLLEN>(index + 1));
  }
  if (attempted > 0 && failed == attempted) return SQL_ERROR;
  return failed > 0 || warned ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}
