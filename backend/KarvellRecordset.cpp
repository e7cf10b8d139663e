#include "backend/KarvellRecordset.h"

#include <charconv>
#include <cstdint>

#include "client/kvl.h"
#include "statement/Descriptor.h"
#include "statement/DescriptorRecord.h"
#include "statement/Statement.h"

KarvellRecordset::KarvellRecordset(Statement* statement, KvlCursor* cursor)
    : Recordset(statement),
      cursor_(cursor),
      bookmarks_(statement->useBookmarks() != SQL_UB_OFF),
      maxRows_(statement->maxRows()) {
  const Descriptor& ird = *statement->impRowDesc();
  for (SQLSMALLINT column = 0; column <= ird.getCount(); ++column) {
    const DescriptorRecord& record = *ird.getRecord(column);
    targets_.push_back({static_cast<const char**>(record.getDataPtr()),
                        record.getOctetLengthPtr(), record.getIndicatorPtr()});
  }
}

void KarvellRecordset::bind(const Target& target, SQLULEN rowIndex, const char* value,
                            SQLLEN length) {
  if (target.data != nullptr) target.data[rowIndex] = value;
  if (target.lengths != nullptr) target.lengths[rowIndex] = value ? length : 0;
  if (target.indicators != nullptr) target.indicators[rowIndex] = value ? 0 : SQL_NULL_DATA;
}

SQLRETURN KarvellRecordset::next() {
  if (cursor_ == nullptr || (maxRows_ != 0 && rowNumber_ == maxRows_)) return SQL_NO_DATA;
  // A fresh cursor stands on its first row (or at its end when it has none).
  if (rowNumber_ > 0 && kvl_cursor_seek(cursor_, KVL_SEEK_NEXT) != 1) return SQL_NO_DATA;
  if (kvl_cursor_is_eof(cursor_)) return SQL_NO_DATA;
  ++rowNumber_;
  return SQL_SUCCESS;
}

SQLRETURN KarvellRecordset::bindRow(SQLULEN rowIndex, SQLUINTEGER) {
  if (cursor_ == nullptr || rowNumber_ == 0) return SQL_SUCCESS;
  if (bookmarks_) {
    const std::to_chars_result end =
        std::to_chars(bookmark_, bookmark_ + sizeof bookmark_ - 1, rowNumber_);
    *end.ptr = '\0';
    bind(targets_[0], rowIndex, bookmark_, end.ptr - bookmark_);
  }
  const int columns = static_cast<int>(targets_.size()) - 1;
  for (int column = 1; column <= columns; ++column) {
    std::uint32_t length = 0;
    const char* value = kvl_cursor_field(cursor_, -1, column, &length);
    bind(targets_[static_cast<std::size_t>(column)], rowIndex, value, static_cast<SQLLEN>(length));
  }
  return SQL_SUCCESS;
}

void KarvellRecordset::detach() { cursor_ = nullptr; }
