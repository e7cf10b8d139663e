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
            "380");
  EXPECT_EQ(formatEnvAttrValue(SQL_ATTR_OUTPUT_NTS, asValue(std::uintptr_t{SQL_TRUE})),
            "SQL_TRUE");
  EXPECT_EQ(formatEnvAttrValue(SQL_ATTR_CONNECTION_POOLING, nullptr), "0x0000000000000000");
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
      {30002, asValue(std::uintptr_t{1}), nullptr},
      {SQL_ATTR_CONNECTION_DEAD, asValue(std::uintptr_t{1}), nullptr},
  };
  for (const ValueCase& c : cases) {
    const std::string expected = c.text ? c.text : hexPointerText(c.value);
    EXPECT_EQ(formatConnectAttrValue(c.item, c.value, 0), expected) << c.item;
  }
}

TEST(TraceValueFormatter, ConnectTextAttributesHonourTheirLength) {
  char catalog[] = "salesdb";
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_CURRENT_CATALOG, catalog, SQL_NTS), "\"salesdb\"");
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_CURRENT_CATALOG, catalog, 5), "\"sales\"");
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_TRACEFILE, nullptr, SQL_NTS), "NULL");
  std::unique_ptr<char[]> unterminated(new char[3]);
  std::memcpy(unterminated.get(), "lib", 3);
  EXPECT_EQ(formatConnectAttrValue(SQL_ATTR_TRANSLATE_LIB, unterminated.get(), 3), "\"lib\"");

  SQLWCHAR wide[] = {u'd', u'b', u'\u00e9', 0};
  EXPECT_EQ(formatConnectAttrValueW(SQL_ATTR_CURRENT_CATALOG, wide, SQL_NTS), "\"db\xc3\xa9\"");
  EXPECT_EQ(formatConnectAttrValueW(SQL_ATTR_CURRENT_CATALOG, wide, 4), "\"db\"");
  EXPECT_EQ(formatConnectAttrValueW(SQL_ATTR_LOGIN_TIMEOUT, asValue(std::uintptr_t{9}), 0), "9");
}

TEST(TraceValueFormatter, ConnectAttributeOutputs) {
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_LOGIN_TIMEOUT, CanaryBuffer(SQLUINTEGER{15}).data(),
                                    0),
            "15");
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_AUTOCOMMIT, CanaryBuffer(SQLUINTEGER{1}).data(), 0),
            "SQL_AUTOCOMMIT_ON");
  char path[64] = "trace.log";
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_TRACEFILE, path, sizeof path), "\"trace.log\"");
  // A buffer the driver cut or did not fill is read no further than its length.
  std::unique_ptr<char[]> cut(new char[3]);
  std::memcpy(cut.get(), "abc", 3);
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_CURRENT_CATALOG, cut.get(), 3), "\"abc\"");
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_CURRENT_CATALOG, cut.get(), 0), "\"\"");
  void* hwnd = nullptr;
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_QUIET_MODE, &hwnd, 0), hexPointerText(&hwnd));
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_PACKET_SIZE, nullptr, 0), "NULL");
  EXPECT_EQ(formatConnectAttrOutput(SQL_ATTR_CONNECTION_DEAD, path, 0),
            "unknown connect attribute");

  std::unique_ptr<SQLWCHAR[]> wide(new SQLWCHAR[3]{u'c', u'a', u't'});
  EXPECT_EQ(formatConnectAttrOutputW(SQL_ATTR_CURRENT_CATALOG, wide.get(), 6), "\"cat\"");
  EXPECT_EQ(formatConnectAttrOutputW(SQL_ATTR_CURRENT_CATALOG, wide.get(), 4), "\"ca\"");
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
      {SQL_GET_BOOKMARK, asValue(std::uintptr_t{1}), nullptr},
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
      {SQL_DESC_MAXIMUM_SCALE, asValue(std::uintptr_t{1}), nullptr},
  };
  for (const ValueCase& c : cases) {
    const std::string expected = c.text ? c.text : hexPointerText(c.value);
    EXPECT_EQ(formatDescFieldValue(static_cast<SQLSMALLINT>(c.item), c.value, 0), expected)
        << c.item;
  }
  char name[] = "amount";
  EXPECT_EQ(formatDescFieldValue(SQL_DESC_NAME, name, SQL_NTS), "\"amount\"");
  EXPECT_EQ(formatDescFieldValue(SQL_DESC_NAME, name, 3), "\"amo\"");
  SQLWCHAR wide[] = {u'n', u'\u00e4', u'm', 0};
  EXPECT_EQ(formatDescFieldValueW(SQL_DESC_LABEL, wide, SQL_NTS), "\"n\xc3\xa4m\"");
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
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_BASE_COLUMN_NAME, name.get(), 4), "\"colu\"");
  int data = 0;
  EXPECT_EQ(formatDescFieldOutput(SQL_DESC_DATA_PTR, &data, 0), hexPointerText(&data));
  std::unique_ptr<SQLWCHAR[]> wide(new SQLWCHAR[2]{u'i', u'd'});
  EXPECT_EQ(formatDescFieldOutputW(SQL_DESC_NAME, wide.get(), 4), "\"id\"");
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

// Every number-valued info type against the constant family, the kind of name (one value or a
// set of flags) and the width its answer has: a value 3 names the first two flags of a flag
// family, while an enumeration names the one value 3 (or none); 40000 reads negative when a
// 16-bit answer is taken as signed.
TEST(TraceValueFormatter, EveryInfoNumberByItsFamily) {
  enum Width { U16, U32 };
  struct Case {
    SQLUSMALLINT infoType;
    Width width;
    SQLUINTEGER value;
    const char* text;
  };
  const Case cases[] = {
      {SQL_ACTIVE_ENVIRONMENTS, U16, 40000, "40000"},
      {SQL_AGGREGATE_FUNCTIONS, U32, 3, "SQL_AF_AVG | SQL_AF_COUNT"},
      {SQL_ALTER_DOMAIN, U32, 3,
       "SQL_AD_CONSTRAINT_NAME_DEFINITION | SQL_AD_ADD_DOMAIN_CONSTRAINT"},
      {SQL_ALTER_TABLE, U32, 3, "SQL_AT_ADD_COLUMN | SQL_AT_DROP_COLUMN"},
      {SQL_ASYNC_MODE, U32, 0, "SQL_AM_NONE"},
      {SQL_BATCH_ROW_COUNT, U32, 3, "SQL_BRC_PROCEDURES | SQL_BRC_EXPLICIT"},
      {SQL_BATCH_SUPPORT, U32, 3, "SQL_BS_SELECT_EXPLICIT | SQL_BS_ROW_COUNT_EXPLICIT"},
      {SQL_BOOKMARK_PERSISTENCE, U32, 3, "SQL_BP_CLOSE | SQL_BP_DELETE"},
      {SQL_CATALOG_LOCATION, U16, 1, "SQL_CL_START"},
      {SQL_CATALOG_LOCATION, U16, 3, "3"},
      {SQL_CATALOG_USAGE, U32, 3, "SQL_CU_DML_STATEMENTS | SQL_CU_PROCEDURE_INVOCATION"},
      {SQL_CONCAT_NULL_BEHAVIOR, U16, 0, "SQL_CB_NULL"},
      {SQL_CONVERT_BIGINT, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_BINARY, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_BIT, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_CHAR, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_DATE, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_DECIMAL, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_DOUBLE, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_FLOAT, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_INTEGER, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_INTERVAL_YEAR_MONTH, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_INTERVAL_DAY_TIME, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_LONGVARBINARY, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_LONGVARCHAR, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_NUMERIC, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_REAL, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_SMALLINT, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_TIME, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_TIMESTAMP, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_TINYINT, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_VARBINARY, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_VARCHAR, U32, 3, "SQL_CVT_CHAR | SQL_CVT_NUMERIC"},
      {SQL_CONVERT_FUNCTIONS, U32, 3, "SQL_FN_CVT_CONVERT | SQL_FN_CVT_CAST"},
      {SQL_CORRELATION_NAME, U16, 0, "SQL_CN_NONE"},
      {SQL_CREATE_ASSERTION, U32, 3, "SQL_CA_CREATE_ASSERTION"},
      {SQL_CREATE_CHARACTER_SET, U32, 3, "SQL_CCS_CREATE_CHARACTER_SET | SQL_CCS_COLLATE_CLAUSE"},
      {SQL_CREATE_COLLATION, U32, 3, "SQL_CCOL_CREATE_COLLATION"},
      {SQL_CREATE_DOMAIN, U32, 3, "SQL_CDO_CREATE_DOMAIN | SQL_CDO_DEFAULT"},
      {SQL_CREATE_SCHEMA, U32, 3, "SQL_CS_CREATE_SCHEMA | SQL_CS_AUTHORIZATION"},
      {SQL_CREATE_TABLE, U32, 3, "SQL_CT_CREATE_TABLE | SQL_CT_COMMIT_PRESERVE"},
      {SQL_CREATE_TRANSLATION, U32, 3, "SQL_CTR_CREATE_TRANSLATION"},
      {SQL_CREATE_VIEW, U32, 3, "SQL_CV_CREATE_VIEW | SQL_CV_CHECK_OPTION"},
      {SQL_CURSOR_COMMIT_BEHAVIOR, U16, 0, "SQL_CB_DELETE"},
      {SQL_CURSOR_ROLLBACK_BEHAVIOR, U16, 0, "SQL_CB_DELETE"},
      {SQL_CURSOR_SENSITIVITY, U32, 0, "SQL_UNSPECIFIED"},
      {SQL_DATETIME_LITERALS, U32, 3, "SQL_DL_SQL92_DATE | SQL_DL_SQL92_TIME"},
      {SQL_DDL_INDEX, U32, 3, "SQL_DI_CREATE_INDEX | SQL_DI_DROP_INDEX"},
      {SQL_DEFAULT_TXN_ISOLATION, U32, 1, "SQL_TXN_READ_UNCOMMITTED"},
      {SQL_DEFAULT_TXN_ISOLATION, U32, 3, "3"},
      {SQL_DROP_ASSERTION, U32, 3, "SQL_DA_DROP_ASSERTION"},
      {SQL_DROP_CHARACTER_SET, U32, 3, "SQL_DCS_DROP_CHARACTER_SET"},
      {SQL_DROP_COLLATION, U32, 3, "SQL_DC_DROP_COLLATION"},
      {SQL_DROP_DOMAIN, U32, 3, "SQL_DD_DROP_DOMAIN | SQL_DD_RESTRICT"},
      {SQL_DROP_SCHEMA, U32, 3, "SQL_DS_DROP_SCHEMA | SQL_DS_RESTRICT"},
      {SQL_DROP_TABLE, U32, 3, "SQL_DT_DROP_TABLE | SQL_DT_RESTRICT"},
      {SQL_DROP_TRANSLATION, U32, 3, "SQL_DTR_DROP_TRANSLATION"},
      {SQL_DROP_VIEW, U32, 3, "SQL_DV_DROP_VIEW | SQL_DV_RESTRICT"},
      {SQL_DYNAMIC_CURSOR_ATTRIBUTES1, U32, 3, "SQL_CA1_NEXT | SQL_CA1_ABSOLUTE"},
      {SQL_DYNAMIC_CURSOR_ATTRIBUTES2, U32, 3,
       "SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_LOCK_CONCURRENCY"},
      {SQL_FETCH_DIRECTION, U32, 3, "SQL_FD_FETCH_NEXT | SQL_FD_FETCH_FIRST"},
      {SQL_FILE_USAGE, U16, 0, "SQL_FILE_NOT_SUPPORTED"},
      {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, U32, 3, "SQL_CA1_NEXT | SQL_CA1_ABSOLUTE"},
      {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, U32, 3,
       "SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_LOCK_CONCURRENCY"},
      {SQL_GETDATA_EXTENSIONS, U32, 3, "SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER"},
      {SQL_GROUP_BY, U16, 3, "SQL_GB_NO_RELATION"},
      {SQL_IDENTIFIER_CASE, U16, 3, "SQL_IC_SENSITIVE"},
      {SQL_INDEX_KEYWORDS, U32, 3, "SQL_IK_ASC | SQL_IK_DESC | SQL_IK_ALL"},
      {SQL_INFO_SCHEMA_VIEWS, U32, 3, "SQL_ISV_ASSERTIONS | SQL_ISV_CHARACTER_SETS"},
      {SQL_INSERT_STATEMENT, U32, 3, "SQL_IS_INSERT_LITERALS | SQL_IS_INSERT_SEARCHED"},
      {SQL_KEYSET_CURSOR_ATTRIBUTES1, U32, 3, "SQL_CA1_NEXT | SQL_CA1_ABSOLUTE"},
      {SQL_KEYSET_CURSOR_ATTRIBUTES2, U32, 3,
       "SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_LOCK_CONCURRENCY"},
      {SQL_LOCK_TYPES, U32, 3, "SQL_LCK_NO_CHANGE | SQL_LCK_EXCLUSIVE"},
      {SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, U32, 70000, "70000"},
      {SQL_MAX_BINARY_LITERAL_LEN, U32, 70000, "70000"},
      {SQL_MAX_CATALOG_NAME_LEN, U16, 40000, "40000"},
      {SQL_MAX_CHAR_LITERAL_LEN, U32, 70000, "70000"},
      {SQL_MAX_COLUMN_NAME_LEN, U16, 40000, "40000"},
      {SQL_MAX_COLUMNS_IN_GROUP_BY, U16, 40000, "40000"},
      {SQL_MAX_COLUMNS_IN_INDEX, U16, 40000, "40000"},
      {SQL_MAX_COLUMNS_IN_ORDER_BY, U16, 40000, "40000"},
      {SQL_MAX_COLUMNS_IN_SELECT, U16, 40000, "40000"},
      {SQL_MAX_COLUMNS_IN_TABLE, U16, 40000, "40000"},
      {SQL_MAX_CONCURRENT_ACTIVITIES, U16, 40000, "40000"},
      {SQL_MAX_CURSOR_NAME_LEN, U16, 40000, "40000"},
      {SQL_MAX_DRIVER_CONNECTIONS, U16, 40000, "40000"},
      {SQL_MAX_IDENTIFIER_LEN, U16, 40000, "40000"},
      {SQL_MAX_INDEX_SIZE, U32, 70000, "70000"},
      {SQL_MAX_PROCEDURE_NAME_LEN, U16, 40000, "40000"},
      {SQL_MAX_ROW_SIZE, U32, 70000, "70000"},
      {SQL_MAX_SCHEMA_NAME_LEN, U16, 40000, "40000"},
      {SQL_MAX_STATEMENT_LEN, U32, 70000, "70000"},
      {SQL_MAX_TABLE_NAME_LEN, U16, 40000, "40000"},
      {SQL_MAX_TABLES_IN_SELECT, U16, 40000, "40000"},
      {SQL_MAX_USER_NAME_LEN, U16, 40000, "40000"},
      {SQL_NON_NULLABLE_COLUMNS, U16, 0, "SQL_NNC_NULL"},
      {SQL_NULL_COLLATION, U16, 0, "SQL_NC_HIGH"},
      {SQL_NUMERIC_FUNCTIONS, U32, 3, "SQL_FN_NUM_ABS | SQL_FN_NUM_ACOS"},
      {SQL_ODBC_API_CONFORMANCE, U16, 0, "SQL_OAC_NONE"},
      {SQL_ODBC_INTERFACE_CONFORMANCE, U32, 3, "SQL_OIC_LEVEL2"},
      {SQL_ODBC_SQL_CONFORMANCE, U16, 0, "SQL_OSC_MINIMUM"},
      {SQL_OJ_CAPABILITIES, U32, 3, "SQL_OJ_LEFT | SQL_OJ_RIGHT"},
      {SQL_PARAM_ARRAY_ROW_COUNTS, U32, 1, "SQL_PARC_BATCH"},
      {SQL_PARAM_ARRAY_ROW_COUNTS, U32, 3, "3"},
      {SQL_PARAM_ARRAY_SELECTS, U32, 3, "SQL_PAS_NO_SELECT"},
      {SQL_POS_OPERATIONS, U32, 3, "SQL_POS_POSITION | SQL_POS_REFRESH"},
      {SQL_POSITIONED_STATEMENTS, U32, 3, "SQL_PS_POSITIONED_DELETE | SQL_PS_POSITIONED_UPDATE"},
      {SQL_QUOTED_IDENTIFIER_CASE, U16, 3, "SQL_IC_SENSITIVE"},
      {SQL_SCHEMA_USAGE, U32, 3, "SQL_SU_DML_STATEMENTS | SQL_SU_PROCEDURE_INVOCATION"},
      {SQL_SCROLL_CONCURRENCY, U32, 3, "SQL_SCCO_READ_ONLY | SQL_SCCO_LOCK"},
      {SQL_SCROLL_OPTIONS, U32, 3, "SQL_SO_FORWARD_ONLY | SQL_SO_KEYSET_DRIVEN"},
      {SQL_SQL_CONFORMANCE, U32, 1, "SQL_SC_SQL92_ENTRY"},
      {SQL_SQL_CONFORMANCE, U32, 3, "3"},
      {SQL_SQL92_DATETIME_FUNCTIONS, U32, 3, "SQL_SDF_CURRENT_DATE | SQL_SDF_CURRENT_TIME"},
      {SQL_SQL92_FOREIGN_KEY_DELETE_RULE, U32, 3, "SQL_SFKD_CASCADE | SQL_SFKD_NO_ACTION"},
      {SQL_SQL92_FOREIGN_KEY_UPDATE_RULE, U32, 3, "SQL_SFKU_CASCADE | SQL_SFKU_NO_ACTION"},
      {SQL_SQL92_GRANT, U32, 3, "SQL_SG_USAGE_ON_DOMAIN | SQL_SG_USAGE_ON_CHARACTER_SET"},
      {SQL_SQL92_NUMERIC_VALUE_FUNCTIONS, U32, 3, "SQL_SNVF_BIT_LENGTH | SQL_SNVF_CHAR_LENGTH"},
      {SQL_SQL92_PREDICATES, U32, 3, "SQL_SP_EXISTS | SQL_SP_ISNOTNULL"},
      {SQL_SQL92_RELATIONAL_JOIN_OPERATORS, U32, 3,
       "SQL_SRJO_CORRESPONDING_CLAUSE | SQL_SRJO_CROSS_JOIN"},
      {SQL_SQL92_REVOKE, U32, 3, "SQL_SR_USAGE_ON_DOMAIN | SQL_SR_USAGE_ON_CHARACTER_SET"},
      {SQL_SQL92_ROW_VALUE_CONSTRUCTOR, U32, 3, "SQL_SRVC_VALUE_EXPRESSION | SQL_SRVC_NULL"},
      {SQL_SQL92_STRING_FUNCTIONS, U32, 3, "SQL_SSF_CONVERT | SQL_SSF_LOWER"},
      {SQL_SQL92_VALUE_EXPRESSIONS, U32, 3, "SQL_SVE_CASE | SQL_SVE_CAST"},
      {SQL_STANDARD_CLI_CONFORMANCE, U32, 1, "SQL_SCC_XOPEN_CLI_VERSION1"},
      {SQL_STANDARD_CLI_CONFORMANCE, U32, 3, "3"},
      {SQL_STATIC_CURSOR_ATTRIBUTES1, U32, 3, "SQL_CA1_NEXT | SQL_CA1_ABSOLUTE"},
      {SQL_STATIC_CURSOR_ATTRIBUTES2, U32, 3,
       "SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_LOCK_CONCURRENCY"},
      {SQL_STATIC_SENSITIVITY, U32, 3, "SQL_SS_ADDITIONS | SQL_SS_DELETIONS"},
      {SQL_STRING_FUNCTIONS, U32, 3, "SQL_FN_STR_CONCAT | SQL_FN_STR_INSERT"},
      {SQL_SUBQUERIES, U32, 3, "SQL_SQ_COMPARISON | SQL_SQ_EXISTS"},
      {SQL_SYSTEM_FUNCTIONS, U32, 3, "SQL_FN_SYS_USERNAME | SQL_FN_SYS_DBNAME"},
      {SQL_TIMEDATE_ADD_INTERVALS, U32, 3, "SQL_FN_TSI_FRAC_SECOND | SQL_FN_TSI_SECOND"},
      {SQL_TIMEDATE_DIFF_INTERVALS, U32, 3, "SQL_FN_TSI_FRAC_SECOND | SQL_FN_TSI_SECOND"},
      {SQL_TIMEDATE_FUNCTIONS, U32, 3, "SQL_FN_TD_NOW | SQL_FN_TD_CURDATE"},
      {SQL_TXN_CAPABLE, U16, 3, "SQL_TC_DDL_COMMIT"},
      {SQL_TXN_ISOLATION_OPTION, U32, 3, "SQL_TXN_READ_UNCOMMITTED | SQL_TXN_READ_COMMITTED"},
      {SQL_UNION, U32, 3, "SQL_U_UNION | SQL_U_UNION_ALL"},
  };
  std::vector<SQLUSMALLINT> covered;
  for (const Case& c : cases) {
    const CanaryBuffer buffer =
        c.width == U16 ? CanaryBuffer(static_cast<SQLUSMALLINT>(c.value)) : CanaryBuffer(c.value);
    EXPECT_EQ(formatInfoValue(c.infoType, buffer.data(), 0), c.text)
        << infoTypeName(c.infoType) << " = " << c.value;
    if (covered.empty() || covered.back() != c.infoType) covered.push_back(c.infoType);
  }
  // With the 36 text items, every answered info type.
  EXPECT_EQ(covered.size(), 133u);
}

TEST(TraceValueFormatter, InfoTextAndUnroutedTypes) {
  char name[16] = "Karvell";
  EXPECT_EQ(formatInfoValue(SQL_DBMS_NAME, name, sizeof name), "\"Karvell\"");
  std::unique_ptr<char[]> cut(new char[4]);
  std::memcpy(cut.get(), "Karv", 4);
  EXPECT_EQ(formatInfoValue(SQL_DBMS_NAME, cut.get(), 4), "\"Karv\"");
  EXPECT_EQ(formatInfoValue(SQL_DBMS_NAME, cut.get(), 0), "\"\"");
  std::unique_ptr<SQLWCHAR[]> wide(new SQLWCHAR[5]{u'0', u'3', u'.', u'0', u'0'});
  EXPECT_EQ(formatInfoValueW(SQL_DRIVER_ODBC_VER, wide.get(), 10), "\"03.00\"");
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
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_SQLSTATE, state, sizeof state), "\"HY000\"");
  std::unique_ptr<char[]> message(new char[3]);
  std::memcpy(message.get(), "[Fe", 3);
  EXPECT_EQ(formatDiagFieldValue(SQL_DIAG_MESSAGE_TEXT, message.get(), 3), "\"[Fe\"");
  EXPECT_EQ(formatDiagFieldValue(99, state, sizeof state), "unknown diag info");
}

}  // namespace
