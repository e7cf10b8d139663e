#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/MemoryRecordset.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/RecordingConnection.h"

namespace {

// A statement whose result is an in-memory row source over `columns` described columns, as a
// catalog function leaves it for the back end to fill.
class CatalogStatement : public Statement {
 public:
  using Statement::Statement;

  MemoryRecordset& holdRows(int columns) {
    for (int c = 1; c <= columns; ++c) {
      ird_->addRecord("c" + std::to_string(c), SQL_VARCHAR, SQL_NULLABLE, true);
      DescriptorRecord& record = *ird_->getRecord(static_cast<SQLSMALLINT>(c));
      record.setIndicatorPtr(static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN))));
      record.setOctetLengthPtr(static_cast<SQLLEN*>(std::malloc(sizeof(SQLLEN))));
      record.setDataPtr(std::malloc(sizeof(const char*)));
    }
    auto* rows = new MemoryRecordset(this);
    installRecordset(rows);
    return *rows;
  }

  // The cells of the current row as "a|NULL|5".
  std::string currentRow() {
    recordset()->bindRow(0, SQL_RD_ON);
    std::string row;
    for (SQLSMALLINT c = 1; c <= ird_->getCount(); ++c) {
      const DescriptorRecord& record = *ird_->getRecord(c);
      const char* text = *static_cast<const char**>(record.getDataPtr());
      if (c > 1) row += '|';
      row += text == nullptr ? "NULL" : std::string(text, static_cast<std::size_t>(*record.getOctetLengthPtr()));
    }
    return row;
  }
};

class StatementRowsTest : public ::testing::Test {
 protected:
  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC rows test", "Ferrow", nullptr};
  testsupport::RecordingConnection connection_{&environment_};
  CatalogStatement statement_{&connection_};
};

TEST_F(StatementRowsTest, ColumnsRowsCarryTheOdbc3CellsUnderEveryVersionButTwo) {
  const struct {
    SQLUINTEGER version;
    int columns;
    const char* row;
  } cases[] = {
      {SQL_OV_ODBC2, 12, "cat|NULL|t|c|4|INTEGER|10|4|0|10|1|NULL"},
      {SQL_OV_ODBC3, 18, "cat|NULL|t|c|4|INTEGER|10|4|0|10|1|NULL|0|4|NULL|NULL|1|YES"},
      // ODBC 3.80, which not every header names.
      {380, 18, "cat|NULL|t|c|4|INTEGER|10|4|0|10|1|NULL|0|4|NULL|NULL|1|YES"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    ASSERT_EQ(environment_.setOdbcVersion(c.version), SQL_SUCCESS);
    CatalogStatement statement(&connection_);
    MemoryRecordset& rows = statement.holdRows(c.columns);
    ASSERT_EQ(statement.addColumnsRow("cat", std::nullopt, "t", "c", 4, "INTEGER", 10, 4, 0, 10, 1,
                                      std::nullopt, "0", 4, std::nullopt, std::nullopt, 1, "YES"),
              SQL_SUCCESS);
    ASSERT_EQ(rows.next(), SQL_SUCCESS);
    EXPECT_EQ(statement.currentRow(), c.row);
  }
}

TEST_F(StatementRowsTest, EachAppenderFillsItsCellsInOrder) {
  MemoryRecordset& rows = statement_.holdRows(19);
  statement_.addTablesRow("c", "s", "t", "TABLE", std::nullopt);
  statement_.addPrimaryKeysRow("c", "s", "t", "id", 1, "pk");
  statement_.addSpecialColumnsRow(2, "id", 4, "INTEGER", 10, 4, 0, 1);
  statement_.addStatisticsRow("c", "s", "t", 0, std::nullopt, "ix", 3, 1, "id", "A", 100, 2,
                              std::nullopt);
  statement_.addColumnPrivilegesRow("c", "s", "t", "id", "me", "you", "SELECT", "NO");
  statement_.addTablePrivilegesRow("c", "s", "t", "me", "you", "SELECT", "NO");
  statement_.addTypeInfoRow("INTEGER", 4, 10, std::nullopt, std::nullopt, std::nullopt, 1, 0, 3,
                            0, 1, 0, "int", 0, 0, 4, std::nullopt, 10, std::nullopt);
  // Cells the appender does not write stay NULL.
  const auto padded = [](std::string row) {
    for (std::size_t cells = 1 + std::count(row.begin(), row.end(), '|'); cells < 19; ++cells) {
      row += "|NULL";
    }
    return row;
  };
  const std::string expected[] = {
      padded("c|s|t|TABLE|NULL"),
      padded("c|s|t|id|1|pk"),
      padded("2|id|4|INTEGER|10|4|0|1"),
      padded("c|s|t|0|NULL|ix|3|1|id|A|100|2|NULL"),
      padded("c|s|t|id|me|you|SELECT|NO"),
      padded("c|s|t|me|you|SELECT|NO"),
      "INTEGER|4|10|NULL|NULL|NULL|1|0|3|0|1|0|int|0|0|4|NULL|10|NULL",
  };
  for (const std::string& row : expected) {
    ASSERT_EQ(rows.next(), SQL_SUCCESS);
    EXPECT_EQ(statement_.currentRow(), row);
  }
  EXPECT_EQ(rows.next(), SQL_NO_DATA);
}

TEST_F(StatementRowsTest, AppendersNeedAnInMemoryResult) {
  EXPECT_EQ(statement_.addTablesRow("c", "s", "t", "TABLE", std::nullopt), SQL_ERROR);
  EXPECT_EQ(testsupport::takeState(statement_.diagnostics()), "HY010");
}

TEST_F(StatementRowsTest, TheBaseStatementOffersNoTypes) {
  MemoryRecordset& rows = statement_.holdRows(19);
  EXPECT_EQ(statement_.addAllTypeInfo(), SQL_SUCCESS);
  EXPECT_EQ(rows.rowCount(), 0u);
}

}  // namespace
