#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/statement/StatementFixture.h"

namespace {

using namespace statementtest;

class ResultsTest : public StatementFixture {
 protected:
  // A query whose one row holds a long text, an empty text and a NULL.
  void queryOneRow() {
    ScriptedAnswer answer;
    answer.columns = {"long_text", "empty_text", "missing", "a_rather_long_column_name"};
    answer.rows = {{std::string(25, 'x') + "END", "", std::nullopt, "v"}};
    connection_.answer = answer;
    ASSERT_EQ(execDirect(statement(), "select * from t"), SQL_SUCCESS);
  }
};

TEST_F(ResultsTest, DescribeColReportsTheColumnAndCutsLongNames) {
  queryOneRow();
  SQLSMALLINT count = 0;
  ASSERT_EQ(statement().numResultCols(&count), SQL_SUCCESS);
  EXPECT_EQ(count, 4);

  char name[64] = {};
  SQLSMALLINT nameLength = 0;
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT digits = -1;
  SQLSMALLINT nullable = -1;
  EXPECT_EQ(
      statement().describeCol(1, name, sizeof name, &nameLength, &type, &size, &digits, &nullable),
      SQL_SUCCESS);
  EXPECT_STREQ(name, "long_text");
  EXPECT_EQ(nameLength, 9);
  EXPECT_EQ(type, SQL_VARCHAR);
  EXPECT_EQ(nullable, SQL_NULLABLE);
  EXPECT_EQ(digits, 0);

  char small[8] = {};
  EXPECT_EQ(statement().describeCol(4, small, sizeof small, &nameLength, nullptr, nullptr, nullptr,
                                    nullptr),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(takeState(), "01004");
  EXPECT_STREQ(small, "a_rathe");
  EXPECT_EQ(nameLength, 25);

  // Column 0 is the bookmark record; one past the last, and numbers no descriptor holds, are
  // refused.
  EXPECT_EQ(
      statement().describeCol(0, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr),
      SQL_SUCCESS);
  for (SQLUSMALLINT column : {5, 32768, 40000, 65535}) {
    SCOPED_TRACE(column);
    EXPECT_EQ(statement().describeCol(column, name, sizeof name, nullptr, nullptr, nullptr, nullptr,
                                      nullptr),
              SQL_ERROR);
    EXPECT_EQ(takeState(), "07009");
  }
}

TEST_F(ResultsTest, ColAttributeAnswersOdbc2AndOdbc3Identifiers) {
  queryOneRow();
  const struct {
    SQLUSMALLINT field;
    SQLLEN number;
  } numbers[] = {
      {SQL_COLUMN_COUNT, 4},
      {SQL_DESC_COUNT, 4},
      {SQL_COLUMN_TYPE, SQL_VARCHAR},
      {SQL_DESC_TYPE, SQL_VARCHAR},
      {SQL_COLUMN_NULLABLE, SQL_NULLABLE},
      {SQL_DESC_NULLABLE, SQL_NULLABLE},
      {SQL_COLUMN_UNSIGNED, SQL_FALSE},
  };
  for (const auto& n : numbers) {
    SCOPED_TRACE(n.field);
    SQLLEN number = -99;
    EXPECT_EQ(statement().colAttribute(2, n.field, nullptr, 0, nullptr, &number), SQL_SUCCESS);
    EXPECT_EQ(number, n.number);
  }
  // Lengths: the ODBC 2 and 3 identifiers agree, and the ODBC 2 precision of a text column is
  // its length.
  SQLLEN length2 = 0, length3 = 0, precision2 = 0;
  statement().colAttribute(1, SQL_COLUMN_LENGTH, nullptr, 0, nullptr, &length2);
  statement().colAttribute(1, SQL_DESC_LENGTH, nullptr, 0, nullptr, &length3);
  statement().colAttribute(1, SQL_COLUMN_PRECISION, nullptr, 0, nullptr, &precision2);
  EXPECT_EQ(length2, length3);
  EXPECT_EQ(precision2, length3);

  for (SQLUSMALLINT field : {SQL_COLUMN_NAME, SQL_DESC_NAME}) {
    SCOPED_TRACE(field);
    char text[32] = {};
    SQLSMALLINT textLength = 0;
    EXPECT_EQ(statement().colAttribute(4, field, text, sizeof text, &textLength, nullptr),
              SQL_SUCCESS);
    EXPECT_STREQ(text, "a_rather_long_column_name");
    char cut[6] = {};
    EXPECT_EQ(statement().colAttribute(4, field, cut, sizeof cut, &textLength, nullptr),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(takeState(), "01004");
    EXPECT_STREQ(cut, "a_rat");
    EXPECT_EQ(textLength, 25);
  }
  // Identifiers without an answer write nothing and say so.
  for (SQLUSMALLINT field : {19, 1004}) {
    char text[4] = "abc";
    SQLLEN number = -99;
    EXPECT_EQ(statement().colAttribute(1, field, text, sizeof text, nullptr, &number), SQL_ERROR);
    EXPECT_EQ(takeState(), "HY091");
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(number, -99);
  }
  EXPECT_EQ(statement().colAttribute(5, SQL_DESC_NAME, nullptr, 0, nullptr, nullptr), SQL_ERROR);
  EXPECT_EQ(takeState(), "07009");
}

TEST_F(ResultsTest, GetDataEndsWithNoDataOnLongEmptyAndNullValues) {
  queryOneRow();
  char buffer[16] = {};
  SQLLEN indicator = 0;
  // Before the first row.
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_ERROR);
  EXPECT_EQ(takeState(), "24000");
  ASSERT_EQ(statement().fetch(), SQL_SUCCESS);

  // 28 bytes in pieces of 15.
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, buffer, sizeof buffer, &indicator),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(takeState(), "01004");
  EXPECT_EQ(indicator, 28);
  EXPECT_EQ(std::string(buffer), std::string(15, 'x'));
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_SUCCESS);
  EXPECT_EQ(std::string(buffer), std::string(10, 'x') + "END");
  EXPECT_EQ(indicator, 13);
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_NO_DATA);
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_NO_DATA);

  // The empty value: once, then no more.
  EXPECT_EQ(statement().getData(2, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_SUCCESS);
  EXPECT_EQ(indicator, 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(statement().getData(2, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_NO_DATA);

  // NULL: without a length location "22002"; with one SQL_NULL_DATA, then no more.
  EXPECT_EQ(statement().getData(3, SQL_C_CHAR, buffer, sizeof buffer, nullptr), SQL_ERROR);
  EXPECT_EQ(takeState(), "22002");
  EXPECT_EQ(statement().getData(3, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_SUCCESS);
  EXPECT_EQ(indicator, SQL_NULL_DATA);
  EXPECT_EQ(statement().getData(3, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_NO_DATA);

  // Column 0 without bookmarks, past the last column, beyond any descriptor.
  for (SQLUSMALLINT column : {0, 5, 40000}) {
    SCOPED_TRACE(column);
    EXPECT_EQ(statement().getData(column, SQL_C_CHAR, buffer, sizeof buffer, &indicator),
              SQL_ERROR);
    EXPECT_EQ(takeState(), "07009");
  }
  // After the last row.
  EXPECT_EQ(statement().fetch(), SQL_NO_DATA);
  EXPECT_EQ(statement().getData(1, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_ERROR);
  EXPECT_EQ(takeState(), "24000");
}

TEST_F(ResultsTest, GetDataTakesTheBoundTypeForSqlArdType) {
  queryOneRow();
  ASSERT_EQ(statement().fetch(), SQL_SUCCESS);
  char bound[4] = {};
  ASSERT_EQ(statement().bindCol(4, SQL_C_CHAR, bound, sizeof bound, nullptr), SQL_SUCCESS);
  char buffer[8] = {};
  SQLLEN indicator = 0;
  EXPECT_EQ(statement().getData(4, SQL_ARD_TYPE, buffer, sizeof buffer, &indicator), SQL_SUCCESS);
  EXPECT_STREQ(buffer, "v");
}

TEST_F(ResultsTest, BindColSetsTheApplicationRecord) {
  SQLINTEGER value = 0;
  SQLLEN indicator = 0;
  ASSERT_EQ(statement().bindCol(3, SQL_C_CHAR, &value, 4, &indicator), SQL_SUCCESS);
  const Descriptor& ard = *statement().appRowDesc();
  EXPECT_EQ(ard.getCount(), 3);
  const DescriptorRecord& record = *ard.getRecord(3);
  EXPECT_EQ(record.getConciseType(), SQL_C_CHAR);
  EXPECT_EQ(record.getOctetLength(), 4);
  EXPECT_EQ(record.getIndicatorPtr(), &indicator);
  EXPECT_EQ(record.getOctetLengthPtr(), &indicator);
  EXPECT_EQ(record.getDataPtr(), &value);

  const struct {
    SQLUSMALLINT column;
    SQLSMALLINT type;
    SQLLEN bufferLength;
    const char* sqlState;
  } refused[] = {{32768, SQL_C_SLONG, 0, "07009"},
                 {40000, SQL_C_SLONG, 0, "07009"},
                 {1, SQL_C_CHAR, -1, "HY090"},
                 {1, SQL_C_BINARY, -8, "HY090"},
                 {1, SQL_C_WCHAR, -2, "HY090"}};
  for (const auto& r : refused) {
    SCOPED_TRACE(r.column);
    EXPECT_EQ(statement().bindCol(r.column, r.type, &value, r.bufferLength, nullptr), SQL_ERROR);
    EXPECT_EQ(takeState(), r.sqlState);
  }
  EXPECT_EQ(ard.getCount(), 3);
}

TEST_F(ResultsTest, BindParameterKeepsTheCountedParameters) {
  ASSERT_EQ(statement().prepare("insert into t values (?, ?, ?)", SQL_NTS), SQL_SUCCESS);
  SQLINTEGER value = 5;
  SQLLEN length = 0;
  ASSERT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &value,
                                      0, &length),
            SQL_SUCCESS);
  SQLSMALLINT count = 0;
  EXPECT_EQ(statement().numParams(&count), SQL_SUCCESS);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(statement().appParamDesc()->getCount(), 1);

  const DescriptorRecord& application = *statement().appParamDesc()->getRecord(1);
  EXPECT_EQ(application.getIndicatorPtr(), &length);
  EXPECT_EQ(application.getOctetLengthPtr(), &length);
  EXPECT_EQ(application.getDataPtr(), &value);
  const DescriptorRecord& implementation = *statement().impParamDesc()->getRecord(1);
  EXPECT_EQ(implementation.getConciseType(), SQL_INTEGER);
  EXPECT_EQ(implementation.getParameterType(), SQL_PARAM_INPUT);
  EXPECT_EQ(implementation.getPrecision(), 10);

  SQL_TIMESTAMP_STRUCT timestamp{};
  ASSERT_EQ(statement().bindParameter(2, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                                      23, 3, &timestamp, 0, nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(statement().impParamDesc()->getRecord(2)->getLength(), 23u);
  EXPECT_EQ(statement().impParamDesc()->getRecord(2)->getPrecision(), 3);
  ASSERT_EQ(statement().bindParameter(3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_DECIMAL, 12, 4, &value, 4,
                                      nullptr),
            SQL_SUCCESS);
  EXPECT_EQ(statement().impParamDesc()->getRecord(3)->getPrecision(), 12);
  EXPECT_EQ(statement().impParamDesc()->getRecord(3)->getScale(), 4);

  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
  EXPECT_EQ(statement().describeParam(3, &type, &size, &digits, nullptr), SQL_SUCCESS);
  EXPECT_EQ(type, SQL_DECIMAL);
  EXPECT_EQ(digits, 4);
  for (SQLUSMALLINT parameter : {0, 4}) {
    EXPECT_EQ(statement().describeParam(parameter, &type, &size, &digits, nullptr), SQL_ERROR);
    EXPECT_EQ(takeState(), "07009");
  }

  for (SQLUSMALLINT parameter : {0, 32768, 40000}) {
    SCOPED_TRACE(parameter);
    EXPECT_EQ(statement().bindParameter(parameter, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                                        &value, 0, nullptr),
              SQL_ERROR);
    EXPECT_EQ(takeState(), "07009");
  }
  EXPECT_EQ(statement().bindParameter(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, &value,
                                      -1, nullptr),
            SQL_ERROR);
  EXPECT_EQ(takeState(), "HY090");
  EXPECT_EQ(statement().numParams(&count), SQL_SUCCESS);
  EXPECT_EQ(count, 3);
}

TEST_F(ResultsTest, RowCountIsTheBackEndsAnswer) {
  SQLLEN count = 0;
  EXPECT_EQ(statement().rowCount(&count), SQL_SUCCESS);
  EXPECT_EQ(count, -1);
  SQLULEN fetched = 0;
  ASSERT_EQ(statement().setStmtAttr(SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), SQL_SUCCESS);
  statement().setRowCount(12);
  EXPECT_EQ(statement().rowCount(&count), SQL_SUCCESS);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(fetched, 12u);
}

}  // namespace
