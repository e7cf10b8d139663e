// Texts the wide exports take reach the driver whole, as UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/WideText.h"
#include "tests/api/ApiFixture.h"

namespace apitest {
namespace {

using WideInput = ApiTest;

TEST_F(WideInput, LongStatementTextsRunWhole) {
  SQLHSTMT stmt = newStatement();
  // Longer than a 16-bit length holds, with characters of one to four UTF-8 bytes.
  std::string text = "select '";
  while (text.size() < 70000) text += "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
  text += "'";
  std::vector<SQLWCHAR> wide = utf16FromUtf8(text);
  const auto units = static_cast<SQLINTEGER>(wide.size() - 1);
  ASSERT_GT(units, 32767);

  EXPECT_EQ(SQLExecDirectW(stmt, wide.data(), units), SQL_SUCCESS);
  EXPECT_EQ(SQLExecDirectW(stmt, wide.data(), SQL_NTS), SQL_SUCCESS);
  // Some applications pass -4 for a NUL-terminated wide text.
  EXPECT_EQ(SQLExecDirectW(stmt, wide.data(), -4), SQL_SUCCESS);
  EXPECT_EQ(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(&text[0]),
                          static_cast<SQLINTEGER>(text.size())),
            SQL_SUCCESS);
  EXPECT_EQ(SQLPrepareW(stmt, wide.data(), units), SQL_SUCCESS);
  EXPECT_EQ(SQLExecute(stmt), SQL_SUCCESS);
  EXPECT_EQ(statementOf(stmt).executed, std::vector<std::string>(5, text));

  // Part of the text, by its length in units.
  EXPECT_EQ(SQLExecDirectW(stmt, wide.data(), 7), SQL_SUCCESS);
  EXPECT_EQ(statementOf(stmt).executed.back(), "select ");

  std::vector<SQLWCHAR> native(wide.size());
  SQLINTEGER length = 0;
  EXPECT_EQ(SQLNativeSqlW(dbc, wide.data(), units, native.data(),
                          static_cast<SQLINTEGER>(native.size()), &length),
            SQL_SUCCESS);
  EXPECT_EQ(length, units);
  EXPECT_EQ(native, wide);
}

TEST_F(WideInput, NegativeLengthsOtherThanNtsAreRefused) {
  SQLHSTMT stmt = newStatement();
  std::vector<SQLWCHAR> wide = utf16FromUtf8("select 1");
  for (const SQLINTEGER length : {-1, -2, -5, -100}) {
    EXPECT_EQ(SQLExecDirectW(stmt, wide.data(), length), SQL_ERROR) << length;
    EXPECT_EQ(states(SQL_HANDLE_STMT, stmt), std::vector<std::string>{"HY090"});
    EXPECT_EQ(SQLPrepareW(stmt, wide.data(), length), SQL_ERROR) << length;
    EXPECT_EQ(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>("select 1")),
                            length),
              SQL_ERROR)
        << length;
    EXPECT_EQ(states(SQL_HANDLE_STMT, stmt), std::vector<std::string>{"HY090"});
  }
  EXPECT_TRUE(statementOf(stmt).executed.empty());
}

// The text attributes of a connection are UTF-8 inside the driver: a wide value set is read
// back whole by both getters, before and after a connection is attached.
TEST_F(WideInput, WideTextAttributesAreKeptAsUtf8) {
  SQLHDBC unattached = SQL_NULL_HDBC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DBC, env, &unattached), SQL_SUCCESS);
  for (SQLHDBC handle : {dbc, unattached}) {
    for (const char* value : {"main", "caf\xc3\xa9"}) {
      std::vector<SQLWCHAR> wide = utf16FromUtf8(value);
      ASSERT_EQ(SQLSetConnectAttrW(handle, SQL_ATTR_CURRENT_CATALOG, wide.data(), SQL_NTS),
                SQL_SUCCESS);
      char narrow[32] = {};
      SQLINTEGER length = 0;
      EXPECT_EQ(SQLGetConnectAttr(handle, SQL_ATTR_CURRENT_CATALOG, narrow, sizeof narrow,
                                  &length),
                SQL_SUCCESS);
      EXPECT_STREQ(narrow, value);
      EXPECT_EQ(length, static_cast<SQLINTEGER>(std::string(value).size()));
      SQLWCHAR back[32] = {};
      EXPECT_EQ(SQLGetConnectAttrW(handle, SQL_ATTR_CURRENT_CATALOG, back, sizeof back, &length),
                SQL_SUCCESS);
      EXPECT_EQ(utf8FromUtf16(back, 32), value);
      EXPECT_EQ(length, static_cast<SQLINTEGER>(2 * (wide.size() - 1)));
    }
    // A length in bytes takes part of the text; the ODBC 2 setter takes it NUL-terminated.
    std::vector<SQLWCHAR> wide = utf16FromUtf8("mainframe");
    ASSERT_EQ(SQLSetConnectAttrW(handle, SQL_ATTR_CURRENT_CATALOG, wide.data(), 8), SQL_SUCCESS);
    char narrow[32] = {};
    EXPECT_EQ(SQLGetConnectAttr(handle, SQL_ATTR_CURRENT_CATALOG, narrow, sizeof narrow, nullptr),
              SQL_SUCCESS);
    EXPECT_STREQ(narrow, "main");
    EXPECT_EQ(SQLSetConnectOptionW(handle, SQL_ATTR_CURRENT_CATALOG,
                                   reinterpret_cast<SQLULEN>(wide.data())),
              SQL_SUCCESS);
    EXPECT_EQ(SQLGetConnectOption(handle, SQL_ATTR_CURRENT_CATALOG, narrow), SQL_SUCCESS);
    EXPECT_STREQ(narrow, "mainframe");
  }
  SQLFreeHandle(SQL_HANDLE_DBC, unattached);
}

TEST_F(WideInput, WideCursorAndDescriptorNamesArriveAsUtf8) {
  SQLHSTMT stmt = newStatement();
  std::vector<SQLWCHAR> wide = utf16FromUtf8("cur_\xc3\xa9");
  ASSERT_EQ(SQLSetCursorNameW(stmt, wide.data(), SQL_NTS), SQL_SUCCESS);
  char name[16] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLGetCursorName(stmt, reinterpret_cast<SQLCHAR*>(name), sizeof name, &length),
            SQL_SUCCESS);
  EXPECT_STREQ(name, "cur_\xc3\xa9");

  SQLHDESC desc = SQL_NULL_HDESC;
  ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_DESC, dbc, &desc), SQL_SUCCESS);
  // Four characters in eight bytes.
  std::vector<SQLWCHAR> label = utf16FromUtf8("name_and_more");
  ASSERT_EQ(SQLSetDescFieldW(desc, 1, SQL_DESC_NAME, label.data(), 8), SQL_SUCCESS);
  EXPECT_EQ(SQLGetDescField(desc, 1, SQL_DESC_NAME, name, sizeof name, nullptr), SQL_SUCCESS);
  EXPECT_STREQ(name, "name");
}

}  // namespace
}  // namespace apitest
