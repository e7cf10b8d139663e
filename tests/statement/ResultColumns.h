#pragma once
// A result's implementation row descriptor with values the test writes in, as a row source
// writes a row's text values: every column gets the driver's arrays (text pointers, byte
// lengths, indicators) for a number of rows, and a value is set per column and row.
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>

#include "core/Connection.h"
#include "statement/Descriptor.h"

namespace testsupport {

class ResultColumns {
 public:
  ResultColumns(Connection& connection, SQLULEN rows)
      : rows_(rows), ird_(&connection, DescriptorType::implementationRow) {
    giveArrays(0);
  }

  Descriptor& ird() { return ird_; }

  // A new column, numbered from 1, with every value NULL.
  DescriptorRecord& add(SQLSMALLINT sqlType) {
    DescriptorRecord& record =
        *ird_.addRecord("c" + std::to_string(ird_.getCount() + 1), sqlType, SQL_NULLABLE, false);
    giveArrays(ird_.getCount());
    return record;
  }

  // The value of a column in a row; no value is SQL NULL. The text may hold NUL bytes.
  void set(SQLSMALLINT column, SQLULEN row, const std::optional<std::string>& value) {
    DescriptorRecord& record = *ird_.getRecord(column);
    const char* text = nullptr;
    if (value) text = texts_.emplace_back(*value).c_str();
    static_cast<const char**>(record.getDataPtr())[row] = text;
    record.getOctetLengthPtr()[row] = value ? static_cast<SQLLEN>(value->size()) : 0;
    record.getIndicatorPtr()[row] = value ? 0 : SQL_NULL_DATA;
  }

 private:
  void giveArrays(SQLSMALLINT column) {
    DescriptorRecord& record = *ird_.getRecord(column);
    record.setDataPtr(std::calloc(rows_, sizeof(const char*)));
    record.setOctetLengthPtr(static_cast<SQLLEN*>(std::calloc(rows_, sizeof(SQLLEN))));
    auto* indicators = static_cast<SQLLEN*>(std::calloc(rows_, sizeof(SQLLEN)));
    for (SQLULEN row = 0; row < rows_; ++row) indicators[row] = SQL_NULL_DATA;
    record.setIndicatorPtr(indicators);
  }

  SQLULEN rows_;
  Descriptor ird_;
  std::deque<std::string> texts_;  // elements never move, so their text stays where it is
};

}  // namespace testsupport
