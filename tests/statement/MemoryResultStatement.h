#pragma once
// A statement whose execution delivers rows held in memory, as the back end does for a
// scrollable result: every column is described in the implementation row descriptor with the
// driver's arrays, and a MemoryRecordset serves the rows.
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "statement/Descriptor.h"
#include "statement/MemoryRecordset.h"
#include "statement/Statement.h"

namespace testsupport {

class MemoryResultStatement : public Statement {
 public:
  using Row = std::vector<std::optional<std::string>>;

  explicit MemoryResultStatement(Connection* connection) : Statement(connection) {}

  // The result every execution delivers: its columns (name and SQL type) and its rows.
  std::vector<std::pair<std::string, SQLSMALLINT>> columns;
  std::vector<Row> rows;

  SQLRETURN executeSql(const std::string&) override {
    for (const auto& [name, type] : columns) ird_->addRecord(name, type, SQL_NULLABLE, false);
    // Record 0 too: it holds the bookmark.
    for (SQLSMALLINT number = 0; number <= ird_->getCount(); ++number) {
      DescriptorRecord& record = *ird_->getRecord(number);
      record.setIndicatorPtr(static_cast<SQLLEN*>(std::calloc(1, sizeof(SQLLEN))));
      record.setOctetLengthPtr(static_cast<SQLLEN*>(std::calloc(1, sizeof(SQLLEN))));
      record.setDataPtr(std::calloc(1, sizeof(const char*)));
    }
    auto* memory = new MemoryRecordset(this);
    installRecordset(memory);
    for (const Row& row : rows) {
      memory->addRow();
      for (std::size_t cell = 0; cell < row.size(); ++cell) {
        std::optional<std::string_view> value;
        if (row[cell]) value = *row[cell];
        memory->setCellString(static_cast<SQLUSMALLINT>(cell + 1), value);
      }
    }
    return SQL_SUCCESS;
  }
};

}  // namespace testsupport
