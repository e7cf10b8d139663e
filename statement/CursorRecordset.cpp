#include "statement/CursorRecordset.h"

#include <algorithm>
#include <cstdlib>

#include "core/Connection.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"

CursorRecordset::CursorRecordset(Statement* statement)
    : Recordset(statement),
      internal_(statement->connection()->createStatement()),
      cursorName_(statement->cursorName()) {
  if (internal_ == nullptr) return;
  run("open " + cursorName_);
  SQLLEN count = -1;
  internal_->rowCount(&count);
  statement->setRowCount(count);
  next();
  run("close " + cursorName_);
  run("open " + cursorName_);
}

CursorRecordset::~CursorRecordset() {
  if (internal_ == nullptr) return;
  internal_->freeStmt(SQL_DROP);
  delete internal_;
}

SQLRETURN CursorRecordset::run(const std::string& text) {
  // Through the statement's own execution, so that its result and state are those of the text.
  // The previous text's result has been read: it ends before the next runs.
  internal_->freeStmt(SQL_CLOSE);
  return internal_->execDirect(text.c_str(), static_cast<SQLINTEGER>(text.size()));
}

SQLRETURN CursorRecordset::move(const std::string& direction) {
  if (internal_ == nullptr) return SQL_ERROR;
  const SQLRETURN rc = run("fetch " + direction + " from " + cursorName_);
  if (!SQL_SUCCEEDED(rc)) return rc;
  describeColumns();
  return internal_->fetch();
}

SQLRETURN CursorRecordset::next() { return move("next"); }

SQLRETURN CursorRecordset::previous() { return move("prior"); }

SQLRETURN CursorRecordset::relative(SQLLEN offset) {
  return move("relative " + std::to_string(offset));
}

SQLRETURN CursorRecordset::absolute(SQLLEN row) { return move("absolute " + std::to_string(row)); }

SQLRETURN CursorRecordset::first() { return move("first"); }

SQLRETURN CursorRecordset::last() { return move("last"); }

SQLRETURN CursorRecordset::describeColumns() {
  Descriptor& ird = *statement_->impRowDesc();
  if (ird.getCount() != 0) return SQL_SUCCESS;
  const Descriptor& source = *internal_->impRowDesc();
  const std::size_t entries = std::max<SQLULEN>(1, ird.getArraySize());
  for (SQLSMALLINT column = 1; column <= source.getCount(); ++column) {
    const DescriptorRecord& from = *source.getRecord(column);
    DescriptorRecord* added = ird.addRecord(from.getName(), from.getConciseType(),
                                            from.getNullable(), from.getUnsigned() == SQL_TRUE);
    if (added == nullptr) return SQL_ERROR;
    DescriptorRecord& to = *added;
    to.setLength(from.getLength());
    to.setPrecision(from.getPrecision());
    to.setIndicatorPtr(static_cast<SQLLEN*>(std::calloc(entries, sizeof(SQLLEN))));
    to.setOctetLengthPtr(static_cast<SQLLEN*>(std::calloc(entries, sizeof(SQLLEN))));
    to.setDataPtr(std::calloc(entries, sizeof(char*)));
    if (to.getIndicatorPtr() == nullptr || to.getOctetLengthPtr() == nullptr ||
        to.getDataPtr() == nullptr) {
      return SQL_ERROR;
    }
  }
  return SQL_SUCCESS;
}

SQLRETURN CursorRecordset::bindRow(SQLULEN rowIndex, SQLUINTEGER) {
  if (internal_ == nullptr) return SQL_ERROR;
  const Descriptor& source = *internal_->impRowDesc();
  const Descriptor& target = *statement_->impRowDesc();
  const SQLSMALLINT columns = std::min(source.getCount(), target.getCount());
  for (SQLSMALLINT column = 1; column <= columns; ++column) {
    const DescriptorRecord& from = *source.getRecord(column);
    const DescriptorRecord& to = *target.getRecord(column);
    const auto* values = static_cast<const char* const*>(from.getDataPtr());
    const SQLLEN* indicators = from.getIndicatorPtr();
    const SQLLEN* lengths = from.getOctetLengthPtr();
    // The internal statement fetches one row at a time, into its first element.
    const bool isNull = indicators != nullptr && indicators[0] == SQL_NULL_DATA;
    const char* value = isNull || values == nullptr ? nullptr : values[0];
    if (auto* data = static_cast<const char**>(to.getDataPtr())) data[rowIndex] = value;
    if (SQLLEN* octets = to.getOctetLengthPtr()) {
      octets[rowIndex] = isNull || lengths == nullptr ? 0 : lengths[0];
    }
    if (SQLLEN* nulls = to.getIndicatorPtr()) nulls[rowIndex] = isNull ? SQL_NULL_DATA : 0;
  }
  return SQL_SUCCESS;
}
