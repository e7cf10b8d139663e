#include "statement/MemoryRecordset.h"

#include <charconv>
#include <limits>
#include <system_error>
#include <type_traits>

#include "statement/Descriptor.h"
#include "statement/Statement.h"

MemoryRecordset::MemoryRecordset(Statement* statement) : Recordset(statement) {}

void MemoryRecordset::close() {
  rowNumber_ = 0;
  cells_.clear();
  rowStarts_.clear();
  arena_.clear();
}

SQLULEN MemoryRecordset::rowCount() const { return rowStarts_.size(); }

SQLRETURN MemoryRecordset::next() {
  if (rowNumber_ > rowCount()) return SQL_NO_DATA;
  ++rowNumber_;
  return rowNumber_ > rowCount() ? SQL_NO_DATA : SQL_SUCCESS;
}

SQLRETURN MemoryRecordset::moveTo(SQLLEN row) {
  const SQLULEN count = rowCount();
  if (row < 1) {
    rowNumber_ = 0;
    return SQL_NO_DATA;
  }
  if (static_cast<SQLULEN>(row) > count) {
    rowNumber_ = count;
    return SQL_NO_DATA;
  }
  rowNumber_ = static_cast<SQLULEN>(row);
  return SQL_SUCCESS;
}

SQLRETURN MemoryRecordset::relative(SQLLEN offset) {
  using Limits = std::numeric_limits<SQLLEN>;
  const auto current = static_cast<SQLLEN>(rowNumber_);
  // A target beyond what SQLLEN holds lies off the rows as surely as the nearest one it holds.
  if (offset > 0 && current > Limits::max() - offset) return moveTo(Limits::max());
  if (offset < 0 && current < Limits::min() - offset) return moveTo(Limits::min());
  return moveTo(current + offset);
}

SQLRETURN MemoryRecordset::absolute(SQLLEN row) { return moveTo(row); }

SQLRETURN MemoryRecordset::first() {
  rowNumber_ = 1;
  return rowCount() == 0 ? SQL_NO_DATA : SQL_SUCCESS;
}

SQLRETURN MemoryRecordset::last() {
  rowNumber_ = rowCount();
  return rowCount() == 0 ? SQL_NO_DATA : SQL_SUCCESS;
}

SQLRETURN MemoryRecordset::bindRow(SQLULEN rowIndex, SQLUINTEGER) {
  if (rowNumber_ < 1 || rowNumber_ > rowCount()) return SQL_SUCCESS;
  const std::size_t start = rowStarts_[rowNumber_ - 1];
  const std::size_t end = rowNumber_ < rowCount() ? rowStarts_[rowNumber_] : cells_.size();
  const std::to_chars_result bookmarkEnd =
      std::to_chars(bookmark_, bookmark_ + sizeof bookmark_ - 1, rowNumber_ + 1);
  *bookmarkEnd.ptr = '\0';
  const Cell bookmark{bookmark_, static_cast<SQLLEN>(bookmarkEnd.ptr - bookmark_)};

  const Descriptor& ird = *statement_->impRowDesc();
  const SQLSMALLINT columns = ird.getCount();
  for (SQLSMALLINT column = 0; column <= columns; ++column) {
    const DescriptorRecord& record = *ird.getRecord(column);
    Cell cell = bookmark;
    if (column > 0) {
      const std::size_t index = start + static_cast<std::size_t>(column) - 1;
      cell = index < end ? cells_[index] : Cell{nullptr, 0};
    }
    if (auto* data = static_cast<const char**>(record.getDataPtr())) data[rowIndex] = cell.bytes;
    if (SQLLEN* lengths = record.getOctetLengthPtr()) lengths[rowIndex] = cell.length;
    if (SQLLEN* indicators = record.getIndicatorPtr()) {
      indicators[rowIndex] = cell.bytes == nullptr ? SQL_NULL_DATA : 0;
    }
  }
  return SQL_SUCCESS;
}

SQLRETURN MemoryRecordset::addRow() {
  rowStarts_.push_back(cells_.size());
  const SQLSMALLINT columns = statement_->impRowDesc()->getCount();
  cells_.insert(cells_.end(), static_cast<std::size_t>(columns), Cell{nullptr, 0});
  return SQL_SUCCESS;
}

MemoryRecordset::Cell* MemoryRecordset::lastRowCell(SQLUSMALLINT column) {
  if (rowStarts_.empty() || column < 1) return nullptr;
  const std::size_t index = rowStarts_.back() + column - 1;
  return index < cells_.size() ? &cells_[index] : nullptr;
}

void MemoryRecordset::setCellString(SQLUSMALLINT column, std::optional<std::string_view> value) {
  Cell* cell = lastRowCell(column);
  if (cell == nullptr) return;
  *cell = value ? Cell{arena_.store(value->data(), value->size()),
                       static_cast<SQLLEN>(value->size())}
                : Cell{nullptr, 0};
}

template <typename Number>
void MemoryRecordset::setCellNumber(SQLUSMALLINT column, std::optional<Number> value) {
  if (!value) {
    setCellString(column, std::nullopt);
    return;
  }
  // Large enough for any double in "%g" form and any 32-bit integer.
  char text[32];
  std::to_chars_result end{};
  if constexpr (std::is_floating_point_v<Number>) {
    end = std::to_chars(text, text + sizeof text, *value, std::chars_format::general, 6);
  } else {
    end = std::to_chars(text, text + sizeof text, *value);
  }
  setCellString(column, std::string_view(text, static_cast<std::size_t>(end.ptr - text)));
}

void MemoryRecordset::setCellChar(SQLUSMALLINT column, std::optional<char> value) {
  if (!value) {
    setCellString(column, std::nullopt);
    return;
  }
  setCellString(column, std::string_view(&*value, 1));
}

void MemoryRecordset::setCellDouble(SQLUSMALLINT column, std::optional<double> value) {
  setCellNumber(column, value);
}

void MemoryRecordset::setCellShort(SQLUSMALLINT column, std::optional<SQLSMALLINT> value) {
  setCellNumber(column, value);
}

void MemoryRecordset::setCellInt(SQLUSMALLINT column, std::optional<SQLINTEGER> value) {
  setCellNumber(column, value);
}
