#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ConstantNames.h"
#include "core/TraceFormatter.h"
#include "core/TraceValueFormatter.h"
#include "platform/Odbc.h"

namespace {

// An application buffer whose bytes beyond the written value are a canary, so that reading the
// value at a wider width than it was written shows in the text.
class CanaryBuffer {
 public:
  template <typename T>
  explicit CanaryBuffer(T value) {
    std::memcpy(bytes_.data(), &value, sizeof value);
  }
  const void* data() const { return bytes_.data(); }

 private:
  std::vector<unsigned char> bytes_ = std::vector<unsigned char>(16, 0xAB);
};

SQLPOINTER asValue(std::uintptr_t value) { return reinterpret_cast<SQLPOINTER>(value); }
SQLPOINTER asValue(std::intptr_t value) { return reinterpret_cast<SQLPOINTER>(value); }

struct ValueCase {
  SQLINTEGER item;
  SQLPOINTER value;
  const char* text;
};

TEST(TraceValueFormatter, EnvironmentAttributes) {
  EXPECT_EQ(formatEnvAttrValue(SQL_ATTR_ODBC_VERSION, asValue(std::uintptr_t{SQL_OV_ODBC3})),
            "SQL_OV_ODBC3");
  EXPECT_EQ(formatEnvAttrValue(SQL_ATTR_ODBC_VERSION, asValue(std::uintptr_t{380})),
            "unknown (380)");
  EXPECT_EQ(formatEnvAttrValue(SQL_ATTR_OUTPUT_NTS, asValue(std::uintptr_t{SQL_TRUE})),
            "SQL_TRUE");
  EXPECT_EQ(formatEnvAttrValue(SQL_ATTR_CONNECTION_POOLING, nullptr), "unknown env attribute");
  EXPECT_EQ(formatEnvAttrOutput(SQL_ATTR_ODBC_VERSION, CanaryBuffer(SQLUINTEGER{2}).data()),
            "SQL_OV_ODBC2");
  EXPECT_EQ(formatEnvAttrOutput(SQL_ATTR_OUTPUT_NTS, nullptr), "NULL");
}

TEST(TraceValueFormatter, ConnectAttributeValues) {
  int quiet = 0;
  const ValueCase cases[] = {
      {SQL_ATTR_ASYNC_ENABLE, asValue(std::uintptr_t{1}), "SQL_ASYNC_ENABLE_ON"},
      {SQL_ATTR_ACCESS_MODE, asValue(std::uintptr_t{1}), "SQL_MODE_READ_ONLY"},
      {SQL_ATTR_AUTOCOMMIT, asValue(std::uintptr_t{0}), "SQL_AUTOCOMMIT_OFF"},
      {SQL_ATTR_LOGIN_TIMEOUT, asValue(std::uintptr_t{30}), "30"},
      {SQL_ATTR_PACKET_SIZE, asValue(std::uintptr_t{0xFFFFFFFFu}), "4294967295"},
      {SQL_ATTR_CONNECTION_TIMEOUT, asValue(std::uintptr_t{0x100000007u}), "7"},
      {SQL_ATTR_TRANSLATE_OPTION, asValue(std::uintptr_t{2}), "2"},
      {SQL_ATTR_TXN_ISOLATION, asValue(std::uintptr_t{10}),
       "SQL_TXN_READ_COMMITTED | SQL_TXN_SERIALIZABLE"},
      {SQL_ATTR_QUIET_MODE, &quiet, nullptr},
      {1057, asValue(std::uintptr_t{1}), "SQL_TRUE"},
      {SQL_ATTR_AUTO_IPD, asValue(std::uintptr_t{1}), "SQL_TRUE"},
      {SQL_ATTR_METADATA_ID, asValue(std::uintptr_t{0}), "SQL_FALSE"},
      {30002, asValue(std::uintptr_t{1}), "unknown connect attribute"},
      {SQL_ATTR_CONNECTION_DEAD, asValue(std::uintptr_t{1}), "unknown connect attribute"},
  };
  for (const ValueCase& c : cases) {
    const std::string expected = c.text ? c.text : hexPointerText(c.value);
    EXPECT_EQ(formatConnectAttrValue(c.item, c.value, 0), expected) << c.item;
  }
}

TEST(TraceValueFormatter, ConnectTextAttributesHonourTheirLength) {
  char catalog[] = "salesdb";
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_CURRENT_CATALOG, catalog, SQL_NTS), "salesdb");
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_CURRENT_CATALOG, catalog, 5), "sales");
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_TRACEFILE, nullptr, SQL_NTS), "NULL");
  std::unique_ptr<char[]> unterminated(new char[3]);
  std::memcpy(unterminated.get(), "lib", 3);
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_TRANSLATE_LIB, unterminated.get(), 3), "lib");

  SQLWCHAR wide[] = {u'd', u'b', u'\u00e9', 0};
  EXPECT_EQ(formatConnectAttrValueW(SQL_ATTR_CURRENT_CATALOG, wide, SQL_NTS), "db\xc3\xa9");
  EXPECT_EQ(formatConnectAttrValueW(SQL_ATTR_CURRENT_CATALOG, wide, 4), "db");
  EXPECT_EQ(formatConnectAttrValueW(SQL_ATTR_LOGIN_TIMEOUT, asValue(std::uintptr_t{9}), 0), "9");
}

TEST(TraceValueFormatter, ConnectAttributeOutputs) {
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_LOGIN_TIMEOUT, CanaryBuffer(SQLUINTEGER{15}).data(),
                                    0),
            "15");
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_AUTOCOMMIT, CanaryBuffer(SQLUINTEGER{1}).data(), 0),
            "SQL_AUTOCOMMIT_ON");
  char path[64] = "trace.log";
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_TRACEFILE, path, sizeof path), "trace.log");
  // A buffer the driver cut or did not fill is read no further than its length.
  std::unique_ptr<char[]> cut(new char[3]);
  std::memcpy(cut.get(), "abc", 3);
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_CURRENT_CATALOG, cut.get(), 3), "abc");
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_CURRENT_CATALOG, cut.get(), 0), "");
  void* hwnd = nullptr;
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_QUIET_MODE, &hwnd, 0), hexPointerText(&hwnd));
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_PACKET_SIZE, nullptr, 0), "NULL");
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_CONNECTION_DEAD, path, 0),
            "unknown connect attribute");

  std::unique_ptr<SQLWCHAR[]> wide(new SQLWCHAR[3]{u'c', u'a', u't'});
  EXPECT_EQ(formatConnectAttrOutputW(SQL_ATTR_CURRENT_CATALOG, wide.get(), 6), "cat");
  EXPECT_EQ(formatConnectAttrOutputW(SQL_ATTR_CURRENT_CATALOG, wide.get(), 4), "ca");
}

TEST(TraceValueFormatter, StatementAttributeValues) {
  int status = 0;
  const ValueCase cases[] = {
      {SQL_ATTR_CURSOR_SENSITIVITY, asValue(std::uintptr_t{SQL_INSENSITIVE}), "SQL_INSENSITIVE"},
      {SQL_ATTR_CURSOR_SCROLLABLE, asValue(std::uintptr_t{1}), "SQL_SCROLLABLE"},
      {SQL_ATTR_QUERY_TIMEOUT, asValue(std::uintptr_t{5}), "5"},
      {SQL_ATTR_MAX_ROWS, asValue(std::uintptr_t{5000000000u}), "5000000000"},
      {SQL_ROWSET_SIZE, asValue(std::uintptr_t{10}), "10"},
      {SQL_ATTR_ROW_ARRAY_SIZE, asValue(std::uintptr_t{20}), "20"},
      {SQL_ATTR_NOSCAN, asValue(std::uintptr_t{1}), "SQL_NOSCAN_ON"},
      {SQL_ATTR_CURSOR_TYPE, asValue(std::uintptr_t{3}), "SQL_CURSOR_STATIC"},
      {SQL_ATTR_CONCURRENCY, asValue(std::uintptr_t{4}), "SQL_CONCUR_VALUES"},
      {SQL_ATTR_SIMULATE_CURSOR, asValue(std::uintptr_t{2}), "SQL_SC_UNIQUE"},
      {SQL_ATTR_RETRIEVE_DATA, asValue(std::uintptr_t{0}), "SQL_RD_OFF"},
      {SQL_ATTR_USE_BOOKMARKS, asValue(std::uintptr_t{2}), "SQL_UB_VARIABLE"},
      {SQL_ATTR_ROW_BIND_TYPE, asValue(std::uintptr_t{0}), "SQL_BIND_BY_COLUMN"},
      {SQL_ATTR_ROW_BIND_TYPE, asValue(std::uintptr_t{24}), "24"},
      {SQL_ATTR_PARAM_BIND_TYPE, asValue(std::uintptr_t{0}), "SQL_PARAM_BIND_BY_COLUMN"},
      {SQL_ATTR_ENABLE_AUTO_IPD, asValue(std::uintptr_t{0}), "SQL_FALSE"},
      {SQL_ATTR_ROW_STATUS_PTR, &status, nullptr},
      {SQL_ATTR_APP_ROW_DESC, &status, nullptr},
      {SQL_ATTR_ROW_NUMBER, &status, nullptr},
      {SQL_GET_BOOKMARK, asValue(std::uintptr_t{1}), "unknown statement attribute"},
  };
  for (const ValueCase& c : cases) {
    const std::string expected = c.text ? c.text : hexPointerText(c.value);
    EXPECT_EQ(formatStmtAttrValue(c.item, c.value), expected) << c.item;
  }
}

TEST(TraceValueFormatter, StatementAttributeOutputs) {
  EXPECT_EQ(formatStmtAttrOutput(SQL_ATTR_MAX_ROWS, CanaryBuffer(SQLULEN{5000000000u}).data()),
            "5000000000");
  EXPECT_EQ(formatStmtAttrOutput(SQL_ATTR_CURSOR_TYPE, CanaryBuffer(SQLUINTEGER{1}).data()),
            "SQL_CURSOR_KEYSET_DRIVEN");
  EXPECT_EQ(formatStmtAttrOutput(SQL_ATTR_QUERY_TIMEOUT, CanaryBuffer(SQLUINTEGER{7}).data()),
            "7");
  int target = 0;
  void* stored = &target;
  // Pointer attributes show the buffer; the bind offset and the descriptor handles what it holds.
  EXPECT_EQ(formatStmtAttrOutput(SQL_ATTR_ROW_STATUS_PTR, &stored), hexPointerText(&stored));
  EXPECT_EQ(formatStmtAttrOutput(SQL_ATTR_ROW_BIND_OFFSET_PTR, &stored), hexPointerText(&target));
  EXPECT_EQ(formatStmtAttrOutput(SQL_ATTR_IMP_PARAM_DESC, &stored), hexPointerText(&target));
  EXPECT_EQ(formatStmtAttrOutput(SQL_ATTR_NOSCAN, nullptr), "NULL");
}

TEST(TraceValueFormatter, DescriptorFieldValues) {
  int data = 0;
  const ValueCase cases[] = {
      {SQL_DESC_TYPE, asValue(std::uintptr_t{SQL_INTEGER}), "SQL_INTEGER"},
      {SQL_DESC_CONCISE_TYPE, asValue(std::intptr_t{SQL_WLONGVARCHAR}), "SQL_WLONGVARCHAR"},
      {SQL_DESC_LENGTH, asValue(std::uintptr_t{0x100000005u}), "4294967301"},
      {SQL_DESC_OCTET_LENGTH, asValue(std::intptr_t{-1}), "-1"},
      {SQL_COLUMN_LENGTH, asValue(std::uintptr_t{255}), "255"},
      {SQL_DESC_PRECISION, asValue(std::intptr_t{-1}), "-1"},
      {SQL_DESC_SCALE, asValue(std::uintptr_t{0x10004}), "4"},
      {SQL_DESC_COUNT, asValue(std::uintptr_t{3}), "3"},
      {SQL_DESC_DATETIME_INTERVAL_CODE, asValue(std::uintptr_t{3}), "SQL_CODE_TIMESTAMP"},
      {SQL_DESC_NULLABLE, asValue(std::uintptr_t{2}), "SQL_NULLABLE_UNKNOWN"},
      {SQL_COLUMN_NULLABLE, asValue(std::uintptr_t{0}), "SQL_NO_NULLS"},
      {SQL_DESC_UNNAMED, asValue(std::uintptr_t{1}), "SQL_UNNAMED"},
      {SQL_DESC_ALLOC_TYPE, asValue(std::uintptr_t{2}), "SQL_DESC_ALLOC_USER"},
      {SQL_DESC_UNSIGNED, asValue(std::uintptr_t{1}), "SQL_TRUE"},
      {SQL_DESC_AUTO_UNIQUE_VALUE, asValue(std::uintptr_t{0}), "SQL_FALSE"},
      {SQL_DESC_UPDATABLE, asValue(std::uintptr_t{1}), "SQL_ATTR_WRITE"},
      {SQL_DESC_SEARCHABLE, asValue(std::uintptr_t{3}), "SQL_PRED_SEARCHABLE"},
      {SQL_DESC_PARAMETER_TYPE, asValue(std::uintptr_t{4}), "SQL_PARAM_OUTPUT"},
      {SQL_DESC_BIND_TYPE, asValue(std::uintptr_t{0}), "SQL_PARAM_BIND_BY_COLUMN"},
      {SQL_DESC_BIND_TYPE, asValue(std::uintptr_t{16}), "16"},
      {SQL_DESC_DATA_PTR, &data, nullptr},
      {SQL_DESC_MAXIMUM_SCALE, asValue(std::uintptr_t{1}), "unknown descriptor field"},
  };
  for (const ValueCase& c : cases) {
    const std::string expected = c.text ? c.text : hexPointerText(c.value);
    EXPECT_EQ(formatDescFieldValue(static_cast<SQLSMALLINT>(c.item), c.value, 0), expected)
        << c.item;
  }
  char name[] = "amount";
  EXPECT_EQ(formatDescFieldValue(SQL_DESC_NAME, name, SQL_NTS), "amount");
  EXPECT_EQ(formatDescFieldValue(SQL_DESC_NAME, name, 3), "amo");
  SQLWCHAR wide[] = {u'n', u'\u00e4', u'm', 0};
  EXPECT_EQ(formatDescFieldValueW(SQL_DESC_LABEL, wide, SQL_NTS), "n\xc3\xa4m");
  EXPECT_EQ(formatDescFieldValueW(SQL_DESC_COUNT, asValue(std::uintptr_t{2}), 0), "2");
}

TEST(TraceValueFormatter, DescriptorFieldOutputsAtTheirWidths) {
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_PRECISION, CanaryBuffer(SQLSMALLINT{7}).data(), 0),
            "7");
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_ROWVER, CanaryBuffer(SQLSMALLINT{1}).data(), 0),
            "SQL_TRUE");
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_CASE_SENSITIVE, CanaryBuffer(SQLINTEGER{0}).data(), 0),
            "SQL_FALSE");
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_LENGTH, CanaryBuffer(SQLULEN{0x100000005u}).data(), 0),
            "4294967301");
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_DISPLAY_SIZE, CanaryBuffer(SQLLEN{-2}).data(), 0),
            "-2");
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_TYPE, CanaryBuffer(SQLSMALLINT{SQL_VARCHAR}).data(), 0),
            "SQL_VARCHAR");
  std::unique_ptr<char[]> name(new char[4]);
  std::memcpy(name.get(), "colu", 4);
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_BASE_COLUMN_NAME, name.get(), 4), "colu");
  int data = 0;
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_DATA_PTR, &data, 0), hexPointerText(&data));
  std::unique_ptr<SQLWCHAR[]> wide(new SQLWCHAR[2]{u'i', u'd'});
  EXPECT_EQ(formatDescFieldOutputW(SQL_DESC_NAME, wide.get(), 4), "id");
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_NAME, nullptr, 4), "NULL");
}

TEST(TraceValueFormatter, InfoNumbersAreReadAtTheConnectionsWidth) {
  // 16-bit answers: the canary in the next two bytes must not show.
  EXPECT_EQ(formatInfoValue(SQL_TXN_CAPABLE, CanaryBuffer(SQLUSMALLINT{SQL_TC_ALL}).data(), 0),
            "SQL_TC_ALL");
  EXPECT_EQ(formatInfoValue(SQL_MAX_SCHEMA_NAME_LEN, CanaryBuffer(SQLUSMALLINT{128}).data(), 0),
            "128");
  EXPECT_EQ(formatInfoValue(SQL_IDENTIFIER_CASE, CanaryBuffer(SQLUSMALLINT{4}).data(), 0),
            "SQL_IC_MIXED");
  EXPECT_EQ(formatInfoValue(SQL_QUOTED_IDENTIFIER_CASE, CanaryBuffer(SQLUSMALLINT{3}).data(), 0),
            "SQL_IC_SENSITIVE");
  // 32-bit answers, enumerations among them.
  EXPECT_EQ(formatInfoValue(SQL_ASYNC_MODE, CanaryBuffer(SQLUINTEGER{SQL_AM_NONE}).data(), 0),
            "SQL_AM_NONE");
  EXPECT_EQ(formatInfoValue(SQL_CURSOR_SENSITIVITY, CanaryBuffer(SQLUINTEGER{1}).data(), 0),
            "SQL_INSENSITIVE");
  EXPECT_EQ(formatInfoValue(SQL_DEFAULT_TXN_ISOLATION, CanaryBuffer(SQLUINTEGER{2}).data(), 0),
            "SQL_TXN_READ_COMMITTED");
  EXPECT_EQ(formatInfoValue(SQL_MAX_ROW_SIZE, CanaryBuffer(SQLUINTEGER{65541}).data(), 0),
            "65541");
  EXPECT_EQ(formatInfoValue(SQL_ALTER_TABLE, CanaryBuffer(SQLUINTEGER{0x21}).data(), 0),
            "SQL_AT_ADD_COLUMN | SQL_AT_ADD_COLUMN_SINGLE");
  EXPECT_EQ(formatInfoValue(SQL_GETDATA_EXTENSIONS, CanaryBuffer(SQLUINTEGER{11}).data(), 0),
            "SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND");
  EXPECT_EQ(formatInfoValue(SQL_TXN_ISOLATION_OPTION, CanaryBuffer(SQLUINTEGER{2}).data(), 0),
            "SQL_TXN_READ_COMMITTED");
  EXPECT_EQ(formatInfoValue(SQL_CONVERT_CHAR, CanaryBuffer(SQLUINTEGER{0x3}).data(), 0),
            "SQL_CVT_CHAR | SQL_CVT_NUMERIC");
  EXPECT_EQ(formatInfoValue(SQL_BOOKMARK_PERSISTENCE, CanaryBuffer(SQLUINTEGER{0}).data(), 0),
            "0");
  EXPECT_EQ(formatInfoValue(SQL_TXN_CAPABLE, nullptr, 0), "NULL");
}

TEST(TraceValueFormatter, InfoTextAndUnroutedTypes) {
  char name[16] = "Karvell";
  EXPECT_EQ(formatInfoValue(SQL_DBMS_NAME, name, sizeof name), "Karvell");
  std::unique_ptr<char[]> cut(new char[4]);
  std::memcpy(cut.get(), "Karv", 4);
  EXPECT_EQ(formatInfoValue(SQL_DBMS_NAME, cut.get(), 4), "Karv");
  EXPECT_EQ(formatInfoValue(SQL_DBMS_NAME, cut.get(), 0), "");
  std::unique_ptr<SQLWCHAR[]> wide(new SQLWCHAR[5]{u'0', u'3', u'.', u'0', u'0'});
  EXPECT_EQ(formatInfoValueW(SQL_DRIVER_ODBC_VER, wide.get(), 10), "03.00");
  EXPECT_EQ(formatInfoValueW(SQL_TXN_CAPABLE, CanaryBuffer(SQLUSMALLINT{0}).data(), 2),
            "SQL_TC_NONE");
  for (SQLUSMALLINT unrouted : {SQL_DRIVER_HDBC, SQL_ODBC_VER, SQL_CONVERT_WCHAR, SQL_DM_VER,
                                SQL_XOPEN_CLI_YEAR}) {
    EXPECT_EQ(formatInfoValue(unrouted, name, sizeof name), "unknown getinfo type") << unrouted;
  }
}

TEST(TraceValueFormatter, EveryAnsweredInfoTypeHasAFormat) {
  const std::vector<unsigned char> zeros(64, 0);
  for (const ConstantNameEntry& row : constants::infoTypes) {
    const auto infoType = static_cast<SQLUSMALLINT>(row.value);
    EXPECT_NE(formatInfoValue(infoType, zeros.data(), 64), "unknown getinfo type") << row.name;
  }
}

TEST(TraceValueFormatter, DiagnosticFields) {
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_ROW_COUNT, CanaryBuffer(SQLLEN{1099511627776}).data(), 0),
            "1099511627776");
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_NUMBER, CanaryBuffer(SQLINTEGER{2}).data(), 0), "2");
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_NATIVE, CanaryBuffer(SQLINTEGER{-5}).data(), 0), "-5");
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_RETURNCODE, CanaryBuffer(SQLRETURN{-1}).data(), 0),
            "-1");
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_COLUMN_NUMBER, CanaryBuffer(SQLINTEGER{-1}).data(), 0),
            "-1");
  char state[6] = "HY000";
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_SQLSTATE, state, sizeof state), "HY000");
  std::unique_ptr<char[]> message(new char[3]);
  std::memcpy(message.get(), "[Fe", 3);
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_MESSAGE_TEXT, message.get(), 3), "[Fe");
  EXPECT_EQ(formatDiagFieldValue(99, state, sizeof state), "unknown diag info");
}

}  // namespace
