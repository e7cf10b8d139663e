#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/Statement.h"
#include "tests/statement/TakeState.h"
#include "tests/support/ScriptedConnection.h"

namespace {

using Row = std::vector<std::optional<std::string>>;

constexpr SQLLEN kTextBuffer = 8;
// Bound buffers start this many bytes into their storage when the bind offset is used.
constexpr SQLLEN kBindOffset = 16;

// Row n of the result: the number n and the text "r" n, NULL in every fourth row.
std::optional<std::string> textOfRow(SQLINTEGER row) {
  if (row % 4 == 0) return std::nullopt;
  return "r" + std::to_string(row);
}

// A two-column result (an integer and a text) at a rowset size, with the row status array and
// the rows-fetched count set.
class RowsetResult {
 public:
  RowsetResult(testsupport::ScriptedConnection& connection, std::vector<Row> rows, SQLULEN size)
      : ownStatement_(connection.createStatement()), statuses_(size, 0xEEEE) {
    connection.answer.columns = {"n", "t"};
    connection.answer.rows = std::move(rows);
    EXPECT_EQ(
        statement_.setStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(size), 0),
        SQL_SUCCESS);
    EXPECT_EQ(statement_.setStmtAttr(SQL_ATTR_ROW_STATUS_PTR, statuses_.data(), 0), SQL_SUCCESS);
    EXPECT_EQ(statement_.setStmtAttr(SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0), SQL_SUCCESS);
    EXPECT_EQ(statement_.execDirect("select n, t", SQL_NTS), SQL_SUCCESS);
  }

  Statement& statement() { return statement_; }
  const std::vector<SQLUSMALLINT>& statuses() const { return statuses_; }
  SQLULEN fetched() const { return fetched_; }

  // The diagnostic records of the last call as "state row column", newest first.
  std::vector<std::string> records() {
    std::vector<std::string> found;
    for (SQLSMALLINT number = 1;; ++number) {
      char state[6] = {};
      if (statement_.getDiagField(number, SQL_DIAG_SQLSTATE, state, sizeof state, nullptr) !=
          SQL_SUCCESS) {
        return found;
      }
      SQLLEN row = 0;
      SQLINTEGER column = 0;
      statement_.getDiagField(number, SQL_DIAG_ROW_NUMBER, &row, 0, nullptr);
      statement_.getDiagField(number, SQL_DIAG_COLUMN_NUMBER, &column, 0, nullptr);
      found.push_back(std::string(state) + " " + std::to_string(row) + " " +
                      std::to_string(column));
    }
  }

 private:
  std::unique_ptr<Statement> ownStatement_;
  Statement& statement_ = *ownStatement_;
  std::vector<SQLUSMALLINT> statuses_;
  SQLULEN fetched_ = 0;
};

class FetchRowsetTest : public ::testing::Test {
 protected:
  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC fetch test", "Ferrow", nullptr};
  testsupport::ScriptedConnection connection_{&environment_};
};

// What one rowset element received.
struct Element {
  SQLINTEGER number;
  SQLLEN numberIndicator;
  std::string text;
  SQLLEN textIndicator;
};

// The two columns bound column-wise: an array per buffer, each with room for the bind offset.
class ColumnWise {
 public:
  explicit ColumnWise(SQLULEN size)
      : numbers_(size + 4),
        numberIndicators_(size + 4),
        texts_((size + 4) * kTextBuffer),
        textIndicators_(size + 4) {}
  SQLRETURN bind(Statement& statement) {
    SQLRETURN rc = statement.bindCol(1, SQL_C_SLONG, numbers_.data(), 0, numberIndicators_.data());
    if (rc == SQL_SUCCESS) {
      rc = statement.bindCol(2, SQL_C_CHAR, texts_.data(), kTextBuffer, textIndicators_.data());
    }
    return rc;
  }
  Element at(SQLULEN k, SQLLEN offset) const {
    Element element;
    std::memcpy(&element.number, bytes(numbers_.data(), offset) + k * sizeof(SQLINTEGER),
                sizeof(SQLINTEGER));
    std::memcpy(&element.numberIndicator,
                bytes(numberIndicators_.data(), offset) + k * sizeof(SQLLEN), sizeof(SQLLEN));
    element.text = bytes(texts_.data(), offset) + k * kTextBuffer;
    std::memcpy(&element.textIndicator, bytes(textIndicators_.data(), offset) + k * sizeof(SQLLEN),
                sizeof(SQLLEN));
    return element;
  }

 private:
  static const char* bytes(const void* base, SQLLEN offset) {
    return static_cast<const char*>(base) + offset;
  }
  std::vector<SQLINTEGER> numbers_;
  std::vector<SQLLEN> numberIndicators_;
  std::vector<char> texts_;
  std::vector<SQLLEN> textIndicators_;
};

// The two columns bound row-wise into an array of structures.
class RowWise {
 public:
  struct Row {
    SQLINTEGER number;
    SQLLEN numberIndicator;
    char text[kTextBuffer];
    SQLLEN textIndicator;
  };
  explicit RowWise(SQLULEN size) : rows_(size + 2) {}
  SQLRETURN bind(Statement& statement) {
    SQLRETURN rc =
        statement.setStmtAttr(SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(sizeof(Row)), 0);
    if (rc == SQL_SUCCESS) {
      rc = statement.bindCol(1, SQL_C_SLONG, &rows_[0].number, 0, &rows_[0].numberIndicator);
    }
    if (rc == SQL_SUCCESS) {
      rc = statement.bindCol(2, SQL_C_CHAR, rows_[0].text, kTextBuffer, &rows_[0].textIndicator);
    }
    return rc;
  }
  Element at(SQLULEN k, SQLLEN offset) const {
    Row row;
    std::memcpy(&row, reinterpret_cast<const char*>(rows_.data()) + offset + k * sizeof(Row),
                sizeof row);
    return {row.number, row.numberIndicator, row.text, row.textIndicator};
  }

 private:
  std::vector<Row> rows_;
};

template <typename Binding>
class BindingTest : public FetchRowsetTest {};
using Bindings = ::testing::Types<ColumnWise, RowWise>;
TYPED_TEST_SUITE(BindingTest, Bindings);

TYPED_TEST(BindingTest, EveryRowReachesItsRowsetElement) {
  for (SQLULEN size : {1, 3, 10}) {
    for (SQLINTEGER rowCount : {0, 2, 5, 25}) {
      for (SQLLEN offset : {SQLLEN{0}, kBindOffset}) {
        SCOPED_TRACE("rowset " + std::to_string(size) + ", rows " + std::to_string(rowCount) +
                     ", offset " + std::to_string(offset));
        std::vector<Row> rows;
        for (SQLINTEGER row = 1; row <= rowCount; ++row) {
          rows.push_back({std::to_string(row), textOfRow(row)});
        }
        RowsetResult result(this->connection_, std::move(rows), size);
        Statement& statement = result.statement();
        TypeParam binding(size);
        ASSERT_EQ(binding.bind(statement), SQL_SUCCESS);
        SQLLEN offsetValue = offset;
        if (offset != 0) {
          ASSERT_EQ(statement.setStmtAttr(SQL_ATTR_ROW_BIND_OFFSET_PTR, &offsetValue, 0),
                    SQL_SUCCESS);
        }
        SQLINTEGER nextRow = 1;
        while (nextRow <= rowCount) {
          ASSERT_EQ(statement.fetch(), SQL_SUCCESS);
          const SQLULEN expected = std::min<SQLULEN>(size, rowCount - nextRow + 1);
          ASSERT_EQ(result.fetched(), expected);
          for (SQLULEN k = 0; k < size; ++k) {
            SCOPED_TRACE("element " + std::to_string(k));
            if (k >= expected) {
              EXPECT_EQ(result.statuses()[k], SQL_ROW_NOROW);
              continue;
            }
            EXPECT_EQ(result.statuses()[k], SQL_ROW_SUCCESS);
            const SQLINTEGER row = nextRow + static_cast<SQLINTEGER>(k);
            const Element element = binding.at(k, offset);
            EXPECT_EQ(element.number, row);
            EXPECT_EQ(element.numberIndicator, static_cast<SQLLEN>(sizeof(SQLINTEGER)));
            const std::optional<std::string> text = textOfRow(row);
            EXPECT_EQ(element.textIndicator,
                      text ? static_cast<SQLLEN>(text->size()) : SQL_NULL_DATA);
            // A NULL leaves an empty string.
            EXPECT_EQ(element.text, text.value_or(""));
          }
          nextRow += static_cast<SQLINTEGER>(expected);
        }
        EXPECT_EQ(statement.fetch(), SQL_NO_DATA);
        EXPECT_EQ(statement.rowsFetchedTotal(), static_cast<SQLULEN>(rowCount));
      }
    }
  }
}

TEST_F(FetchRowsetTest, RowsThatWarnOrFailAreMarkedAndTheRowsetGoesOn) {
  RowsetResult result(connection_,
                      {{"1", "short"},
                       {"2", "far too long"},
                       {"3000000000", "r3"},
                       {"4", "r4"},
                       {"5000000000", "r5"},
                       {"6000000000", "also too long"},
                       {"7", "r7"}},
                      3);
  Statement& statement = result.statement();
  ColumnWise binding(3);
  ASSERT_EQ(binding.bind(statement), SQL_SUCCESS);

  EXPECT_EQ(statement.fetch(), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(result.fetched(), 3u);
  EXPECT_EQ(result.statuses(),
            (std::vector<SQLUSMALLINT>{SQL_ROW_SUCCESS, SQL_ROW_SUCCESS_WITH_INFO, SQL_ROW_ERROR}));
  EXPECT_EQ(result.records(), (std::vector<std::string>{"22003 3 1", "01004 2 2"}));
  EXPECT_EQ(binding.at(1, 0).text, "far too");
  EXPECT_EQ(binding.at(1, 0).textIndicator, 12);
  // A row that failed still delivers its other columns.
  EXPECT_EQ(binding.at(2, 0).text, "r3");

  // Every row failed: the fetch fails, and the cursor stands on that rowset all the same.
  EXPECT_EQ(statement.fetch(), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(result.statuses(),
            (std::vector<SQLUSMALLINT>{SQL_ROW_SUCCESS, SQL_ROW_ERROR, SQL_ROW_ERROR}));
  EXPECT_EQ(result.records(), (std::vector<std::string>{"01004 3 2", "22003 3 1", "22003 2 1"}));

  EXPECT_EQ(statement.fetch(), SQL_SUCCESS);
  EXPECT_EQ(result.fetched(), 1u);
  EXPECT_EQ(binding.at(0, 0).number, 7);
}

TEST_F(FetchRowsetTest, ARowsetWhoseEveryRowFailedFails) {
  RowsetResult result(connection_, {{"3000000000", "a"}, {"4000000000", "b"}, {"5", "c"}}, 2);
  Statement& statement = result.statement();
  ColumnWise binding(2);
  ASSERT_EQ(binding.bind(statement), SQL_SUCCESS);
  EXPECT_EQ(statement.fetch(), SQL_ERROR);
  EXPECT_EQ(result.fetched(), 2u);
  EXPECT_EQ(result.statuses(), (std::vector<SQLUSMALLINT>{SQL_ROW_ERROR, SQL_ROW_ERROR}));
  EXPECT_EQ(result.records(), (std::vector<std::string>{"22003 2 1", "22003 1 1"}));
  // The rowset was taken: the next fetch goes on behind it.
  EXPECT_EQ(statement.fetch(), SQL_SUCCESS);
  EXPECT_EQ(result.fetched(), 1u);
  EXPECT_EQ(binding.at(0, 0).number, 5);
}

}  // namespace
