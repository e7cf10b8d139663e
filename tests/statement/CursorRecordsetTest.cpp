#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/Environment.h"
#include "statement/CursorRecordset.h"
#include "statement/Descriptor.h"
#include "statement/Statement.h"
#include "tests/support/ScriptedConnection.h"

namespace {

// A connection that lets statements declare server cursors, with a server that keeps one
// cursor over three rows and answers the cursor texts as a server would.
class CursorServer : public testsupport::ScriptedConnection {
 public:
  explicit CursorServer(Environment* environment) : ScriptedConnection(environment) {}

  bool suppressDeclareCursor() override { return false; }

  SQLRETURN run(testsupport::ScriptedStatement& statement, const std::string& text) override {
    texts.push_back(text);
    if (text.rfind("open ", 0) == 0) {
      position_ = 0;
      statement.setRowCount(3);
    } else if (text.rfind("fetch ", 0) == 0) {
      const std::string direction = text.substr(6, text.find(" from ") - 6);
      const long count = static_cast<long>(rows_.size());
      if (direction == "next") position_ += 1;
      if (direction == "prior") position_ -= 1;
      if (direction == "first") position_ = 1;
      if (direction == "last") position_ = count;
      if (direction.rfind("relative ", 0) == 0) position_ += std::stol(direction.substr(9));
      if (direction.rfind("absolute ", 0) == 0) position_ = std::stol(direction.substr(9));
      position_ = std::max(0L, std::min(position_, count + 1));
      std::vector<std::vector<std::optional<std::string>>> row;
      if (position_ >= 1 && position_ <= count) row.push_back(rows_[position_ - 1]);
      statement.deliver({"name", "note"}, row);
    }
    return SQL_SUCCESS;
  }

 private:
  std::vector<std::vector<std::optional<std::string>>> rows_ = {
      {"ada", "first"}, {"bob", std::nullopt}, {"cy", "third"}};
  long position_ = 0;
};

class CursorRecordsetTest : public ::testing::Test {
 protected:
  // The owning statement's current row after a bindRow, as "name|note".
  std::string row() {
    const Descriptor& ird = *statement_->impRowDesc();
    std::string cells;
    for (SQLSMALLINT c = 1; c <= ird.getCount(); ++c) {
      const DescriptorRecord& record = *ird.getRecord(c);
      const char* text = static_cast<const char**>(record.getDataPtr())[0];
      if (c > 1) cells += '|';
      cells += record.getIndicatorPtr()[0] == SQL_NULL_DATA
                   ? "NULL"
                   : std::string(text, static_cast<std::size_t>(record.getOctetLengthPtr()[0]));
    }
    return cells;
  }

  Environment environment_{"karvod", "karvod64.dll", "Karvell ODBC cursor test", "Ferrow",
                           nullptr};
  CursorServer server_{&environment_};
  std::unique_ptr<Statement> statement_{server_.createStatement()};
};

TEST_F(CursorRecordsetTest, OpeningReadsTheColumnsAndLeavesTheCursorBeforeItsFirstRow) {
  ASSERT_EQ(statement_->setCursorName("C", SQL_NTS), SQL_SUCCESS);
  CursorRecordset rows(statement_.get());
  EXPECT_EQ(server_.texts,
            (std::vector<std::string>{"open C", "fetch next from C", "close C", "open C"}));
  SQLLEN count = 0;
  statement_->rowCount(&count);
  EXPECT_EQ(count, 3);
  const Descriptor& ird = *statement_->impRowDesc();
  ASSERT_EQ(ird.getCount(), 2);
  EXPECT_EQ(ird.getRecord(1)->getName(), "name");
  EXPECT_EQ(ird.getRecord(2)->getName(), "note");
  EXPECT_EQ(rows.rowNumber(), 0u);
}

TEST_F(CursorRecordsetTest, EachMoveRunsItsFetchText) {
  ASSERT_EQ(statement_->setCursorName("C", SQL_NTS), SQL_SUCCESS);
  CursorRecordset rows(statement_.get());
  const struct {
    SQLRETURN (CursorRecordset::*move)();
    const char* text;
    SQLRETURN answer;
    const char* row;
  } simple[] = {
      {&CursorRecordset::next, "fetch next from C", SQL_SUCCESS, "ada|first"},
      {&CursorRecordset::next, "fetch next from C", SQL_SUCCESS, "bob|NULL"},
      {&CursorRecordset::previous, "fetch prior from C", SQL_SUCCESS, "ada|first"},
      {&CursorRecordset::last, "fetch last from C", SQL_SUCCESS, "cy|third"},
      {&CursorRecordset::next, "fetch next from C", SQL_NO_DATA, nullptr},
      {&CursorRecordset::first, "fetch first from C", SQL_SUCCESS, "ada|first"},
  };
  for (const auto& step : simple) {
    SCOPED_TRACE(step.text);
    server_.texts.clear();
    EXPECT_EQ((rows.*step.move)(), step.answer);
    EXPECT_EQ(server_.texts, std::vector<std::string>{step.text});
    if (step.row != nullptr) {
      rows.bindRow(0, SQL_RD_ON);
      EXPECT_EQ(row(), step.row);
    }
  }
  server_.texts.clear();
  EXPECT_EQ(rows.absolute(3), SQL_SUCCESS);
  rows.bindRow(0, SQL_RD_ON);
  EXPECT_EQ(row(), "cy|third");
  EXPECT_EQ(rows.relative(-2), SQL_SUCCESS);
  rows.bindRow(0, SQL_RD_ON);
  EXPECT_EQ(row(), "ada|first");
  EXPECT_EQ(rows.relative(-1), SQL_NO_DATA);
  EXPECT_EQ(server_.texts, (std::vector<std::string>{"fetch absolute 3 from C",
                                                      "fetch relative -2 from C",
                                                      "fetch relative -1 from C"}));
  EXPECT_EQ(rows.rowNumber(), 0u);
}

TEST_F(CursorRecordsetTest, ADeclaredQueryIsServedThroughItsCursor) {
  ASSERT_EQ(statement_->setCursorName("C", SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(statement_->execDirect("select name, note from people", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(server_.texts,
            (std::vector<std::string>{"declare C cursor for select name, note from people",
                                      "open C", "fetch next from C", "close C", "open C"}));
  SQLSMALLINT columns = 0;
  statement_->numResultCols(&columns);
  EXPECT_EQ(columns, 2);
  char name[8] = {};
  SQLLEN length = 0;
  ASSERT_EQ(statement_->bindCol(1, SQL_C_CHAR, name, sizeof name, &length), SQL_SUCCESS);
  server_.texts.clear();
  ASSERT_EQ(statement_->fetch(), SQL_SUCCESS);
  EXPECT_STREQ(name, "ada");
  EXPECT_EQ(server_.texts, std::vector<std::string>{"fetch next from C"});
  // Dropping the statement drops the cursor's internal statement with it.
  statement_.reset();
}

}  // namespace
