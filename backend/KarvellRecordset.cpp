#include "backend/KarvellRecordset.h"

#include <charconv>
#include <cstdint>

#include "client/kvl.h"
#include "statement/Descriptor.h"
#include "statement/DescriptorRecord.h"
#include "statement/Statement.h"

namespace {

void bindValue(const DescriptorRecord& record, SQLULEN rowIndex, const char* value,
               SQLLEN length) {
  if (auto* data = static_cast<const char**>(record.getDataPtr())) data[rowIndex] = value;
  if (SQLLEN* lengths = record.getOctetLengthPtr()) lengths[rowIndex] = value ? length : 0;
  if (SQLLEN* indicators = record.getIndicatorPtr())
    indicators[rowIndex] = value ? 0 : SQL_NULL_DATA;
}

}  // namespace

KarvellRecordset::KarvellRecordset(Statement* statement, KvlCursor* cursor)
    : Recordset(statement), cursor_(cursor) {}

SQLRETURN KarvellRecordset::next() {
  if (cursor_ == nullptr) return SQL_NO_DATA;
  // A fresh cursor stands on its first row.
  if (rowNumber_ > 0) kvl_cursor_seek(cursor_, KVL_SEEK_NEXT);
  if (kvl_cursor_is_eof(cursor_)) return SQL_NO_DATA;
  ++rowNumber_;
  return SQL_SUCCESS;
}

SQLRETURN KarvellRecordset::bindRow(SQLULEN rowIndex, SQLUINTEGER) {
  if (cursor_ == nullptr || rowNumber_ == 0) return SQL_SUCCESS;
  const Descriptor& ird = *statement_->impRowDesc();
  const std::to_chars_result end =
      std::to_chars(bookmark_, bookmark_ + sizeof bookmark_ - 1, rowNumber_);
  *end.ptr = '\0';
  bindValue(*ird.getRecord(0), rowIndex, bookmark_, end.ptr - bookmark_);
  const SQLSMALLINT columns = ird.getCount();
  for (SQLSMALLINT column = 1; column <= columns; ++column) {
    std::uint32_t length = 0;
    const char* value = kvl_cursor_field(cursor_, -1, column, &length);
    bindValue(*ird.getRecord(column), rowIndex, value, static_cast<SQLLEN>(length));
  }
  return SQL_SUCCESS;
}

void KarvellRecordset::detach() { cursor_ = nullptr; }
