#include "core/ConstantNames.h"

#include <iterator>

std::string constantName(std::int32_t value, const ConstantTable& table) {
  for (const ConstantNameEntry& row : table) {
    if (row.value == value) return row.name;
  }
  // A value without a name is written as its number, which the replay compiles.
  return std::to_string(value);
}

std::string flagNames(std::uint32_t value, const ConstantTable& table) {
  std::string text;
  for (const ConstantNameEntry& row : table) {
    if ((static_cast<std::uint32_t>(row.value) & value) == 0) continue;
    if (!text.empty()) text += " | ";
    text += row.name;
  }
  return text.empty() ? std::to_string(value) : text;
}

namespace {

// Handles and return codes

constexpr ConstantNameEntry handleTypesRows[] = {
    {1, "SQL_HANDLE_ENV"},
    {2, "SQL_HANDLE_DBC"},
    {3, "SQL_HANDLE_STMT"},
    {4, "SQL_HANDLE_DESC"},
};

constexpr ConstantNameEntry returnCodesRows[] = {
    {0, "SQL_SUCCESS"},
    {1, "SQL_SUCCESS_WITH_INFO"},
    {-1, "SQL_ERROR"},
    {-2, "SQL_INVALID_HANDLE"},
    {2, "SQL_STILL_EXECUTING"},
    {99, "SQL_NEED_DATA"},
    {100, "SQL_NO_DATA"},
};

// Buffer-length markers

constexpr ConstantNameEntry bufferLengthsRows[] = {
    {-4, "SQL_IS_POINTER"},
    {-5, "SQL_IS_UINTEGER"},
    {-6, "SQL_IS_INTEGER"},
    {-7, "SQL_IS_USMALLINT"},
    {-8, "SQL_IS_SMALLINT"},
};

// Environment

constexpr ConstantNameEntry envAttributesRows[] = {
    {200, "SQL_ATTR_ODBC_VERSION"},
    {10001, "SQL_ATTR_OUTPUT_NTS"},
};

constexpr ConstantNameEntry odbcVersionsRows[] = {
    {2, "SQL_OV_ODBC2"},
    {3, "SQL_OV_ODBC3"},
};

constexpr ConstantNameEntry booleansRows[] = {
    {1, "SQL_TRUE"},
    {0, "SQL_FALSE"},
};

// Connection

constexpr ConstantNameEntry connectAttributesRows[] = {
    {101, "SQL_ATTR_ACCESS_MODE"},
    {4, "SQL_ATTR_ASYNC_ENABLE"},
    {10001, "SQL_ATTR_AUTO_IPD"},
    {102, "SQL_ATTR_AUTOCOMMIT"},
    {113, "SQL_ATTR_CONNECTION_TIMEOUT"},
    {109, "SQL_ATTR_CURRENT_CATALOG"},
    {103, "SQL_ATTR_LOGIN_TIMEOUT"},
    {10014, "SQL_ATTR_METADATA_ID"},
    {112, "SQL_ATTR_PACKET_SIZE"},
    {111, "SQL_ATTR_QUIET_MODE"},
    {105, "SQL_ATTR_TRACEFILE"},
    {106, "SQL_ATTR_TRANSLATE_LIB"},
    {107, "SQL_ATTR_TRANSLATE_OPTION"},
    {108, "SQL_ATTR_TXN_ISOLATION"},
    // Attributes of the driver's own, named by their numbers.
    {30002, "30002"},
    {1057, "1057"},
};

constexpr ConstantNameEntry txnIsolationRows[] = {
    {1, "SQL_TXN_READ_UNCOMMITTED"},
    {2, "SQL_TXN_READ_COMMITTED"},
    {4, "SQL_TXN_REPEATABLE_READ"},
    {8, "SQL_TXN_SERIALIZABLE"},
};

constexpr ConstantNameEntry accessModesRows[] = {
    {1, "SQL_MODE_READ_ONLY"},
    {0, "SQL_MODE_READ_WRITE"},
};

constexpr ConstantNameEntry asyncEnableRows[] = {
    {0, "SQL_ASYNC_ENABLE_OFF"},
    {1, "SQL_ASYNC_ENABLE_ON"},
};

constexpr ConstantNameEntry autocommitRows[] = {
    {0, "SQL_AUTOCOMMIT_OFF"},
    {1, "SQL_AUTOCOMMIT_ON"},
};

constexpr ConstantNameEntry driverCompletionsRows[] = {
    {2, "SQL_DRIVER_PROMPT"},
    {1, "SQL_DRIVER_COMPLETE"},
    {3, "SQL_DRIVER_COMPLETE_REQUIRED"},
    {0, "SQL_DRIVER_NOPROMPT"},
};

// SQLGetInfo

constexpr ConstantNameEntry infoTypesRows[] = {
    {20, "SQL_ACCESSIBLE_PROCEDURES"},
    {19, "SQL_ACCESSIBLE_TABLES"},
    {116, "SQL_ACTIVE_ENVIRONMENTS"},
    {169, "SQL_AGGREGATE_FUNCTIONS"},
    {117, "SQL_ALTER_DOMAIN"},
    {86, "SQL_ALTER_TABLE"},
    {10021, "SQL_ASYNC_MODE"},
    {120, "SQL_BATCH_ROW_COUNT"},
    {121, "SQL_BATCH_SUPPORT"},
    {82, "SQL_BOOKMARK_PERSISTENCE"},
    {114, "SQL_CATALOG_LOCATION"},
    {10003, "SQL_CATALOG_NAME"},
    {41, "SQL_CATALOG_NAME_SEPARATOR"},
    {42, "SQL_CATALOG_TERM"},
    {92, "SQL_CATALOG_USAGE"},
    {10004, "SQL_COLLATION_SEQ"},
    {87, "SQL_COLUMN_ALIAS"},
    {22, "SQL_CONCAT_NULL_BEHAVIOR"},
    {53, "SQL_CONVERT_BIGINT"},
    {54, "SQL_CONVERT_BINARY"},
    {55, "SQL_CONVERT_BIT"},
    {56, "SQL_CONVERT_CHAR"},
    {57, "SQL_CONVERT_DATE"},
    {58, "SQL_CONVERT_DECIMAL"},
    {59, "SQL_CONVERT_DOUBLE"},
    {60, "SQL_CONVERT_FLOAT"},
    {61, "SQL_CONVERT_INTEGER"},
    {124, "SQL_CONVERT_INTERVAL_YEAR_MONTH"},
    {123, "SQL_CONVERT_INTERVAL_DAY_TIME"},
    {71, "SQL_CONVERT_LONGVARBINARY"},
    {62, "SQL_CONVERT_LONGVARCHAR"},
    {63, "SQL_CONVERT_NUMERIC"},
    {64, "SQL_CONVERT_REAL"},
    {65, "SQL_CONVERT_SMALLINT"},
    {66, "SQL_CONVERT_TIME"},
    {67, "SQL_CONVERT_TIMESTAMP"},
    {68, "SQL_CONVERT_TINYINT"},
    {69, "SQL_CONVERT_VARBINARY"},
    {70, "SQL_CONVERT_VARCHAR"},
    {48, "SQL_CONVERT_FUNCTIONS"},
    {74, "SQL_CORRELATION_NAME"},
    {127, "SQL_CREATE_ASSERTION"},
    {128, "SQL_CREATE_CHARACTER_SET"},
    {129, "SQL_CREATE_COLLATION"},
    {130, "SQL_CREATE_DOMAIN"},
    {131, "SQL_CREATE_SCHEMA"},
    {132, "SQL_CREATE_TABLE"},
    {133, "SQL_CREATE_TRANSLATION"},
    {134, "SQL_CREATE_VIEW"},
    {23, "SQL_CURSOR_COMMIT_BEHAVIOR"},
    {24, "SQL_CURSOR_ROLLBACK_BEHAVIOR"},
    {10001, "SQL_CURSOR_SENSITIVITY"},
    {2, "SQL_DATA_SOURCE_NAME"},
    {25, "SQL_DATA_SOURCE_READ_ONLY"},
    {16, "SQL_DATABASE_NAME"},
    {119, "SQL_DATETIME_LITERALS"},
    {17, "SQL_DBMS_NAME"},
    {18, "SQL_DBMS_VER"},
    {170, "SQL_DDL_INDEX"},
    {26, "SQL_DEFAULT_TXN_ISOLATION"},
    {10002, "SQL_DESCRIBE_PARAMETER"},
    {6, "SQL_DRIVER_NAME"},
    {77, "SQL_DRIVER_ODBC_VER"},
    {7, "SQL_DRIVER_VER"},
    {136, "SQL_DROP_ASSERTION"},
    {137, "SQL_DROP_CHARACTER_SET"},
    {138, "SQL_DROP_COLLATION"},
    {139, "SQL_DROP_DOMAIN"},
    {140, "SQL_DROP_SCHEMA"},
    {141, "SQL_DROP_TABLE"},
    {142, "SQL_DROP_TRANSLATION"},
    {143, "SQL_DROP_VIEW"},
    {144, "SQL_DYNAMIC_CURSOR_ATTRIBUTES1"},
    {145, "SQL_DYNAMIC_CURSOR_ATTRIBUTES2"},
    {27, "SQL_EXPRESSIONS_IN_ORDERBY"},
    {8, "SQL_FETCH_DIRECTION"},
    {84, "SQL_FILE_USAGE"},
    {146, "SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1"},
    {147, "SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2"},
    {81, "SQL_GETDATA_EXTENSIONS"},
    {88, "SQL_GROUP_BY"},
    {28, "SQL_IDENTIFIER_CASE"},
    {29, "SQL_IDENTIFIER_QUOTE_CHAR"},
    {148, "SQL_INDEX_KEYWORDS"},
    {149, "SQL_INFO_SCHEMA_VIEWS"},
    {172, "SQL_INSERT_STATEMENT"},
    {73, "SQL_INTEGRITY"},
    {150, "SQL_KEYSET_CURSOR_ATTRIBUTES1"},
    {151, "SQL_KEYSET_CURSOR_ATTRIBUTES2"},
    {89, "SQL_KEYWORDS"},
    {113, "SQL_LIKE_ESCAPE_CLAUSE"},
    {78, "SQL_LOCK_TYPES"},
    {10022, "SQL_MAX_ASYNC_CONCURRENT_STATEMENTS"},
    {112, "SQL_MAX_BINARY_LITERAL_LEN"},
    {34, "SQL_MAX_CATALOG_NAME_LEN"},
    {108, "SQL_MAX_CHAR_LITERAL_LEN"},
    {30, "SQL_MAX_COLUMN_NAME_LEN"},
    {97, "SQL_MAX_COLUMNS_IN_GROUP_BY"},
    {98, "SQL_MAX_COLUMNS_IN_INDEX"},
    {99, "SQL_MAX_COLUMNS_IN_ORDER_BY"},
    {100, "SQL_MAX_COLUMNS_IN_SELECT"},
    {101, "SQL_MAX_COLUMNS_IN_TABLE"},
    {1, "SQL_MAX_CONCURRENT_ACTIVITIES"},
    {31, "SQL_MAX_CURSOR_NAME_LEN"},
    {0, "SQL_MAX_DRIVER_CONNECTIONS"},
    {10005, "SQL_MAX_IDENTIFIER_LEN"},
    {102, "SQL_MAX_INDEX_SIZE"},
    {33, "SQL_MAX_PROCEDURE_NAME_LEN"},
    {104, "SQL_MAX_ROW_SIZE"},
    {103, "SQL_MAX_ROW_SIZE_INCLUDES_LONG"},
    {32, "SQL_MAX_SCHEMA_NAME_LEN"},
    {105, "SQL_MAX_STATEMENT_LEN"},
    {35, "SQL_MAX_TABLE_NAME_LEN"},
    {106, "SQL_MAX_TABLES_IN_SELECT"},
    {107, "SQL_MAX_USER_NAME_LEN"},
    {36, "SQL_MULT_RESULT_SETS"},
    {37, "SQL_MULTIPLE_ACTIVE_TXN"},
    {111, "SQL_NEED_LONG_DATA_LEN"},
    {75, "SQL_NON_NULLABLE_COLUMNS"},
    {85, "SQL_NULL_COLLATION"},
    {49, "SQL_NUMERIC_FUNCTIONS"},
    {9, "SQL_ODBC_API_CONFORMANCE"},
    {152, "SQL_ODBC_INTERFACE_CONFORMANCE"},
    {15, "SQL_ODBC_SQL_CONFORMANCE"},
    {115, "SQL_OJ_CAPABILITIES"},
    {38, "SQL_OUTER_JOINS"},
    {90, "SQL_ORDER_BY_COLUMNS_IN_SELECT"},
    {153, "SQL_PARAM_ARRAY_ROW_COUNTS"},
    {154, "SQL_PARAM_ARRAY_SELECTS"},
    {79, "SQL_POS_OPERATIONS"},
    {80, "SQL_POSITIONED_STATEMENTS"},
    {40, "SQL_PROCEDURE_TERM"},
    {21, "SQL_PROCEDURES"},
    {93, "SQL_QUOTED_IDENTIFIER_CASE"},
    {11, "SQL_ROW_UPDATES"},
    {39, "SQL_SCHEMA_TERM"},
    {91, "SQL_SCHEMA_USAGE"},
    {43, "SQL_SCROLL_CONCURRENCY"},
    {44, "SQL_SCROLL_OPTIONS"},
    {14, "SQL_SEARCH_PATTERN_ESCAPE"},
    {13, "SQL_SERVER_NAME"},
    {94, "SQL_SPECIAL_CHARACTERS"},
    {118, "SQL_SQL_CONFORMANCE"},
    {155, "SQL_SQL92_DATETIME_FUNCTIONS"},
    {156, "SQL_SQL92_FOREIGN_KEY_DELETE_RULE"},
    {157, "SQL_SQL92_FOREIGN_KEY_UPDATE_RULE"},
    {158, "SQL_SQL92_GRANT"},
    {159, "SQL_SQL92_NUMERIC_VALUE_FUNCTIONS"},
    {160, "SQL_SQL92_PREDICATES"},
    {161, "SQL_SQL92_RELATIONAL_JOIN_OPERATORS"},
    {162, "SQL_SQL92_REVOKE"},
    {163, "SQL_SQL92_ROW_VALUE_CONSTRUCTOR"},
    {164, "SQL_SQL92_STRING_FUNCTIONS"},
    {165, "SQL_SQL92_VALUE_EXPRESSIONS"},
    {166, "SQL_STANDARD_CLI_CONFORMANCE"},
    {167, "SQL_STATIC_CURSOR_ATTRIBUTES1"},
    {168, "SQL_STATIC_CURSOR_ATTRIBUTES2"},
    {83, "SQL_STATIC_SENSITIVITY"},
    {50, "SQL_STRING_FUNCTIONS"},
    {95, "SQL_SUBQUERIES"},
    {51, "SQL_SYSTEM_FUNCTIONS"},
    {45, "SQL_TABLE_TERM"},
    {109, "SQL_TIMEDATE_ADD_INTERVALS"},
    {110, "SQL_TIMEDATE_DIFF_INTERVALS"},
    {52, "SQL_TIMEDATE_FUNCTIONS"},
    {46, "SQL_TXN_CAPABLE"},
    {72, "SQL_TXN_ISOLATION_OPTION"},
    {96, "SQL_UNION"},
    {47, "SQL_USER_NAME"},
};

// SQLGetInfo flags

constexpr ConstantNameEntry aggregateFunctionsRows[] = {
    {1, "SQL_AF_AVG"},
    {2, "SQL_AF_COUNT"},
    {4, "SQL_AF_MAX"},
    {8, "SQL_AF_MIN"},
    {16, "SQL_AF_SUM"},
    {32, "SQL_AF_DISTINCT"},
    {64, "SQL_AF_ALL"},
};

constexpr ConstantNameEntry alterDomainRows[] = {
    {1, "SQL_AD_CONSTRAINT_NAME_DEFINITION"},
    {2, "SQL_AD_ADD_DOMAIN_CONSTRAINT"},
    {4, "SQL_AD_DROP_DOMAIN_CONSTRAINT"},
    {8, "SQL_AD_ADD_DOMAIN_DEFAULT"},
    {16, "SQL_AD_DROP_DOMAIN_DEFAULT"},
    {32, "SQL_AD_ADD_CONSTRAINT_INITIALLY_DEFERRED"},
    {64, "SQL_AD_ADD_CONSTRAINT_INITIALLY_IMMEDIATE"},
    {128, "SQL_AD_ADD_CONSTRAINT_DEFERRABLE"},
    {256, "SQL_AD_ADD_CONSTRAINT_NON_DEFERRABLE"},
};

constexpr ConstantNameEntry alterTableRows[] = {
    {1, "SQL_AT_ADD_COLUMN"},
    {2, "SQL_AT_DROP_COLUMN"},
    {8, "SQL_AT_ADD_CONSTRAINT"},
    {32, "SQL_AT_ADD_COLUMN_SINGLE"},
    {64, "SQL_AT_ADD_COLUMN_DEFAULT"},
    {128, "SQL_AT_ADD_COLUMN_COLLATION"},
    {256, "SQL_AT_SET_COLUMN_DEFAULT"},
    {512, "SQL_AT_DROP_COLUMN_DEFAULT"},
    {1024, "SQL_AT_DROP_COLUMN_CASCADE"},
    {2048, "SQL_AT_DROP_COLUMN_RESTRICT"},
    {4096, "SQL_AT_ADD_TABLE_CONSTRAINT"},
    {8192, "SQL_AT_DROP_TABLE_CONSTRAINT_CASCADE"},
    {16384, "SQL_AT_DROP_TABLE_CONSTRAINT_RESTRICT"},
    {32768, "SQL_AT_CONSTRAINT_NAME_DEFINITION"},
    {65536, "SQL_AT_CONSTRAINT_INITIALLY_DEFERRED"},
    {131072, "SQL_AT_CONSTRAINT_INITIALLY_IMMEDIATE"},
    {262144, "SQL_AT_CONSTRAINT_DEFERRABLE"},
    {524288, "SQL_AT_CONSTRAINT_NON_DEFERRABLE"},
};

constexpr ConstantNameEntry batchRowCountRows[] = {
    {1, "SQL_BRC_PROCEDURES"},
    {2, "SQL_BRC_EXPLICIT"},
    {4, "SQL_BRC_ROLLED_UP"},
};

constexpr ConstantNameEntry batchSupportRows[] = {
    {1, "SQL_BS_SELECT_EXPLICIT"},
    {2, "SQL_BS_ROW_COUNT_EXPLICIT"},
    {4, "SQL_BS_SELECT_PROC"},
    {8, "SQL_BS_ROW_COUNT_PROC"},
};

constexpr ConstantNameEntry bookmarkPersistenceRows[] = {
    {1, "SQL_BP_CLOSE"},
    {2, "SQL_BP_DELETE"},
    {4, "SQL_BP_DROP"},
    {8, "SQL_BP_TRANSACTION"},
    {16, "SQL_BP_UPDATE"},
    {32, "SQL_BP_OTHER_HSTMT"},
    {64, "SQL_BP_SCROLL"},
};

constexpr ConstantNameEntry catalogUsageRows[] = {
    {1, "SQL_CU_DML_STATEMENTS"},
    {2, "SQL_CU_PROCEDURE_INVOCATION"},
    {4, "SQL_CU_TABLE_DEFINITION"},
    {8, "SQL_CU_INDEX_DEFINITION"},
    {16, "SQL_CU_PRIVILEGE_DEFINITION"},
};

constexpr ConstantNameEntry conversionsRows[] = {
    {1, "SQL_CVT_CHAR"},
    {2, "SQL_CVT_NUMERIC"},
    {4, "SQL_CVT_DECIMAL"},
    {8, "SQL_CVT_INTEGER"},
    {16, "SQL_CVT_SMALLINT"},
    {32, "SQL_CVT_FLOAT"},
    {64, "SQL_CVT_REAL"},
    {128, "SQL_CVT_DOUBLE"},
    {256, "SQL_CVT_VARCHAR"},
    {512, "SQL_CVT_LONGVARCHAR"},
    {1024, "SQL_CVT_BINARY"},
    {2048, "SQL_CVT_VARBINARY"},
    {4096, "SQL_CVT_BIT"},
    {8192, "SQL_CVT_TINYINT"},
    {16384, "SQL_CVT_BIGINT"},
    {32768, "SQL_CVT_DATE"},
    {65536, "SQL_CVT_TIME"},
    {131072, "SQL_CVT_TIMESTAMP"},
    {262144, "SQL_CVT_LONGVARBINARY"},
    {524288, "SQL_CVT_INTERVAL_YEAR_MONTH"},
    {1048576, "SQL_CVT_INTERVAL_DAY_TIME"},
    {2097152, "SQL_CVT_WCHAR"},
    {4194304, "SQL_CVT_WLONGVARCHAR"},
    {8388608, "SQL_CVT_WVARCHAR"},
    {16777216, "SQL_CVT_GUID"},
};

constexpr ConstantNameEntry convertFunctionsRows[] = {
    {1, "SQL_FN_CVT_CONVERT"},
    {2, "SQL_FN_CVT_CAST"},
};

constexpr ConstantNameEntry createAssertionRows[] = {
    {1, "SQL_CA_CREATE_ASSERTION"},
    {16, "SQL_CA_CONSTRAINT_INITIALLY_DEFERRED"},
    {32, "SQL_CA_CONSTRAINT_INITIALLY_IMMEDIATE"},
    {64, "SQL_CA_CONSTRAINT_DEFERRABLE"},
    {128, "SQL_CA_CONSTRAINT_NON_DEFERRABLE"},
};

constexpr ConstantNameEntry createCharacterSetRows[] = {
    {1, "SQL_CCS_CREATE_CHARACTER_SET"},
    {2, "SQL_CCS_COLLATE_CLAUSE"},
    {4, "SQL_CCS_LIMITED_COLLATION"},
};

constexpr ConstantNameEntry createCollationRows[] = {
    {1, "SQL_CCOL_CREATE_COLLATION"},
};

constexpr ConstantNameEntry createDomainRows[] = {
    {1, "SQL_CDO_CREATE_DOMAIN"},
    {2, "SQL_CDO_DEFAULT"},
    {4, "SQL_CDO_CONSTRAINT"},
    {8, "SQL_CDO_COLLATION"},
    {16, "SQL_CDO_CONSTRAINT_NAME_DEFINITION"},
    {32, "SQL_CDO_CONSTRAINT_INITIALLY_DEFERRED"},
    {64, "SQL_CDO_CONSTRAINT_INITIALLY_IMMEDIATE"},
    {128, "SQL_CDO_CONSTRAINT_DEFERRABLE"},
    {256, "SQL_CDO_CONSTRAINT_NON_DEFERRABLE"},
};

constexpr ConstantNameEntry createSchemaRows[] = {
    {1, "SQL_CS_CREATE_SCHEMA"},
    {2, "SQL_CS_AUTHORIZATION"},
    {4, "SQL_CS_DEFAULT_CHARACTER_SET"},
};

constexpr ConstantNameEntry createTableRows[] = {
    {1, "SQL_CT_CREATE_TABLE"},
    {2, "SQL_CT_COMMIT_PRESERVE"},
    {4, "SQL_CT_COMMIT_DELETE"},
    {8, "SQL_CT_GLOBAL_TEMPORARY"},
    {16, "SQL_CT_LOCAL_TEMPORARY"},
    {32, "SQL_CT_CONSTRAINT_INITIALLY_DEFERRED"},
    {64, "SQL_CT_CONSTRAINT_INITIALLY_IMMEDIATE"},
    {128, "SQL_CT_CONSTRAINT_DEFERRABLE"},
    {256, "SQL_CT_CONSTRAINT_NON_DEFERRABLE"},
    {512, "SQL_CT_COLUMN_CONSTRAINT"},
    {1024, "SQL_CT_COLUMN_DEFAULT"},
    {2048, "SQL_CT_COLUMN_COLLATION"},
    {4096, "SQL_CT_TABLE_CONSTRAINT"},
    {8192, "SQL_CT_CONSTRAINT_NAME_DEFINITION"},
};

constexpr ConstantNameEntry createTranslationRows[] = {
    {1, "SQL_CTR_CREATE_TRANSLATION"},
};

constexpr ConstantNameEntry createViewRows[] = {
    {1, "SQL_CV_CREATE_VIEW"},
    {2, "SQL_CV_CHECK_OPTION"},
    {4, "SQL_CV_CASCADED"},
    {8, "SQL_CV_LOCAL"},
};

constexpr ConstantNameEntry datetimeLiteralsRows[] = {
    {1, "SQL_DL_SQL92_DATE"},
    {2, "SQL_DL_SQL92_TIME"},
    {4, "SQL_DL_SQL92_TIMESTAMP"},
    {8, "SQL_DL_SQL92_INTERVAL_YEAR"},
    {16, "SQL_DL_SQL92_INTERVAL_MONTH"},
    {32, "SQL_DL_SQL92_INTERVAL_DAY"},
    {64, "SQL_DL_SQL92_INTERVAL_HOUR"},
    {128, "SQL_DL_SQL92_INTERVAL_MINUTE"},
    {256, "SQL_DL_SQL92_INTERVAL_SECOND"},
    {512, "SQL_DL_SQL92_INTERVAL_YEAR_TO_MONTH"},
    {1024, "SQL_DL_SQL92_INTERVAL_DAY_TO_HOUR"},
    {2048, "SQL_DL_SQL92_INTERVAL_DAY_TO_MINUTE"},
    {4096, "SQL_DL_SQL92_INTERVAL_DAY_TO_SECOND"},
    {8192, "SQL_DL_SQL92_INTERVAL_HOUR_TO_MINUTE"},
    {16384, "SQL_DL_SQL92_INTERVAL_HOUR_TO_SECOND"},
    {32768, "SQL_DL_SQL92_INTERVAL_MINUTE_TO_SECOND"},
};

constexpr ConstantNameEntry ddlIndexRows[] = {
    {1, "SQL_DI_CREATE_INDEX"},
    {2, "SQL_DI_DROP_INDEX"},
};

constexpr ConstantNameEntry dropAssertionRows[] = {
    {1, "SQL_DA_DROP_ASSERTION"},
};

constexpr ConstantNameEntry dropCharacterSetRows[] = {
    {1, "SQL_DCS_DROP_CHARACTER_SET"},
};

constexpr ConstantNameEntry dropCollationRows[] = {
    {1, "SQL_DC_DROP_COLLATION"},
};

constexpr ConstantNameEntry dropDomainRows[] = {
    {1, "SQL_DD_DROP_DOMAIN"},
    {2, "SQL_DD_RESTRICT"},
    {4, "SQL_DD_CASCADE"},
};

constexpr ConstantNameEntry dropSchemaRows[] = {
    {1, "SQL_DS_DROP_SCHEMA"},
    {2, "SQL_DS_RESTRICT"},
    {4, "SQL_DS_CASCADE"},
};

constexpr ConstantNameEntry dropTableRows[] = {
    {1, "SQL_DT_DROP_TABLE"},
    {2, "SQL_DT_RESTRICT"},
    {4, "SQL_DT_CASCADE"},
};

constexpr ConstantNameEntry dropTranslationRows[] = {
    {1, "SQL_DTR_DROP_TRANSLATION"},
};

constexpr ConstantNameEntry dropViewRows[] = {
    {1, "SQL_DV_DROP_VIEW"},
    {2, "SQL_DV_RESTRICT"},
    {4, "SQL_DV_CASCADE"},
};

constexpr ConstantNameEntry cursorAttributes1Rows[] = {
    {1, "SQL_CA1_NEXT"},
    {2, "SQL_CA1_ABSOLUTE"},
    {4, "SQL_CA1_RELATIVE"},
    {8, "SQL_CA1_BOOKMARK"},
    {64, "SQL_CA1_LOCK_NO_CHANGE"},
    {128, "SQL_CA1_LOCK_EXCLUSIVE"},
    {256, "SQL_CA1_LOCK_UNLOCK"},
    {512, "SQL_CA1_POS_POSITION"},
    {1024, "SQL_CA1_POS_UPDATE"},
    {2048, "SQL_CA1_POS_DELETE"},
    {4096, "SQL_CA1_POS_REFRESH"},
    {8192, "SQL_CA1_POSITIONED_UPDATE"},
    {16384, "SQL_CA1_POSITIONED_DELETE"},
    {32768, "SQL_CA1_SELECT_FOR_UPDATE"},
    {65536, "SQL_CA1_BULK_ADD"},
    {131072, "SQL_CA1_BULK_UPDATE_BY_BOOKMARK"},
    {262144, "SQL_CA1_BULK_DELETE_BY_BOOKMARK"},
    {524288, "SQL_CA1_BULK_FETCH_BY_BOOKMARK"},
};

constexpr ConstantNameEntry cursorAttributes2Rows[] = {
    {1, "SQL_CA2_READ_ONLY_CONCURRENCY"},
    {2, "SQL_CA2_LOCK_CONCURRENCY"},
    {4, "SQL_CA2_OPT_ROWVER_CONCURRENCY"},
    {8, "SQL_CA2_OPT_VALUES_CONCURRENCY"},
    {16, "SQL_CA2_SENSITIVITY_ADDITIONS"},
    {32, "SQL_CA2_SENSITIVITY_DELETIONS"},
    {64, "SQL_CA2_SENSITIVITY_UPDATES"},
    {128, "SQL_CA2_MAX_ROWS_SELECT"},
    {256, "SQL_CA2_MAX_ROWS_INSERT"},
    {512, "SQL_CA2_MAX_ROWS_DELETE"},
    {1024, "SQL_CA2_MAX_ROWS_UPDATE"},
    {2048, "SQL_CA2_MAX_ROWS_CATALOG"},
    {3968, "SQL_CA2_MAX_ROWS_AFFECTS_ALL"},
    {4096, "SQL_CA2_CRC_EXACT"},
    {8192, "SQL_CA2_CRC_APPROXIMATE"},
    {16384, "SQL_CA2_SIMULATE_NON_UNIQUE"},
    {32768, "SQL_CA2_SIMULATE_TRY_UNIQUE"},
    {65536, "SQL_CA2_SIMULATE_UNIQUE"},
};

constexpr ConstantNameEntry getDataExtensionsRows[] = {
    {1, "SQL_GD_ANY_COLUMN"},
    {2, "SQL_GD_ANY_ORDER"},
    {4, "SQL_GD_BLOCK"},
    {8, "SQL_GD_BOUND"},
};

constexpr ConstantNameEntry fetchDirectionsRows[] = {
    {1, "SQL_FD_FETCH_NEXT"},
    {2, "SQL_FD_FETCH_FIRST"},
    {4, "SQL_FD_FETCH_LAST"},
    {8, "SQL_FD_FETCH_PRIOR"},
    {16, "SQL_FD_FETCH_ABSOLUTE"},
    {32, "SQL_FD_FETCH_RELATIVE"},
    {128, "SQL_FD_FETCH_BOOKMARK"},
};

constexpr ConstantNameEntry indexKeywordsRows[] = {
    {1, "SQL_IK_ASC"},
    {2, "SQL_IK_DESC"},
    {3, "SQL_IK_ALL"},
};

constexpr ConstantNameEntry infoSchemaViewsRows[] = {
    {1, "SQL_ISV_ASSERTIONS"},
    {2, "SQL_ISV_CHARACTER_SETS"},
    {4, "SQL_ISV_CHECK_CONSTRAINTS"},
    {8, "SQL_ISV_COLLATIONS"},
    {16, "SQL_ISV_COLUMN_DOMAIN_USAGE"},
    {32, "SQL_ISV_COLUMN_PRIVILEGES"},
    {64, "SQL_ISV_COLUMNS"},
    {128, "SQL_ISV_CONSTRAINT_COLUMN_USAGE"},
    {256, "SQL_ISV_CONSTRAINT_TABLE_USAGE"},
    {512, "SQL_ISV_DOMAIN_CONSTRAINTS"},
    {1024, "SQL_ISV_DOMAINS"},
    {2048, "SQL_ISV_KEY_COLUMN_USAGE"},
    {4096, "SQL_ISV_REFERENTIAL_CONSTRAINTS"},
    {8192, "SQL_ISV_SCHEMATA"},
    {16384, "SQL_ISV_SQL_LANGUAGES"},
    {32768, "SQL_ISV_TABLE_CONSTRAINTS"},
    {65536, "SQL_ISV_TABLE_PRIVILEGES"},
    {131072, "SQL_ISV_TABLES"},
    {262144, "SQL_ISV_TRANSLATIONS"},
    {524288, "SQL_ISV_USAGE_PRIVILEGES"},
    {1048576, "SQL_ISV_VIEW_COLUMN_USAGE"},
    {2097152, "SQL_ISV_VIEW_TABLE_USAGE"},
    {4194304, "SQL_ISV_VIEWS"},
};

constexpr ConstantNameEntry insertStatementRows[] = {
    {1, "SQL_IS_INSERT_LITERALS"},
    {2, "SQL_IS_INSERT_SEARCHED"},
    {4, "SQL_IS_SELECT_INTO"},
};

constexpr ConstantNameEntry lockTypeFlagsRows[] = {
    {1, "SQL_LCK_NO_CHANGE"},
    {2, "SQL_LCK_EXCLUSIVE"},
    {4, "SQL_LCK_UNLOCK"},
};

constexpr ConstantNameEntry numericFunctionsRows[] = {
    {1, "SQL_FN_NUM_ABS"},
    {2, "SQL_FN_NUM_ACOS"},
    {4, "SQL_FN_NUM_ASIN"},
    {8, "SQL_FN_NUM_ATAN"},
    {16, "SQL_FN_NUM_ATAN2"},
    {32, "SQL_FN_NUM_CEILING"},
    {64, "SQL_FN_NUM_COS"},
    {128, "SQL_FN_NUM_COT"},
    {256, "SQL_FN_NUM_EXP"},
    {512, "SQL_FN_NUM_FLOOR"},
    {1024, "SQL_FN_NUM_LOG"},
    {2048, "SQL_FN_NUM_MOD"},
    {4096, "SQL_FN_NUM_SIGN"},
    {8192, "SQL_FN_NUM_SIN"},
    {16384, "SQL_FN_NUM_SQRT"},
    {32768, "SQL_FN_NUM_TAN"},
    {65536, "SQL_FN_NUM_PI"},
    {131072, "SQL_FN_NUM_RAND"},
    {262144, "SQL_FN_NUM_DEGREES"},
    {524288, "SQL_FN_NUM_LOG10"},
    {1048576, "SQL_FN_NUM_POWER"},
    {2097152, "SQL_FN_NUM_RADIANS"},
    {4194304, "SQL_FN_NUM_ROUND"},
    {8388608, "SQL_FN_NUM_TRUNCATE"},
};

constexpr ConstantNameEntry outerJoinsRows[] = {
    {1, "SQL_OJ_LEFT"},
    {2, "SQL_OJ_RIGHT"},
    {4, "SQL_OJ_FULL"},
    {8, "SQL_OJ_NESTED"},
    {16, "SQL_OJ_NOT_ORDERED"},
    {32, "SQL_OJ_INNER"},
    {64, "SQL_OJ_ALL_COMPARISON_OPS"},
};

constexpr ConstantNameEntry posOperationsRows[] = {
    {1, "SQL_POS_POSITION"},
    {2, "SQL_POS_REFRESH"},
    {4, "SQL_POS_UPDATE"},
    {8, "SQL_POS_DELETE"},
    {16, "SQL_POS_ADD"},
};

constexpr ConstantNameEntry positionedStatementsRows[] = {
    {1, "SQL_PS_POSITIONED_DELETE"},
    {2, "SQL_PS_POSITIONED_UPDATE"},
    {4, "SQL_PS_SELECT_FOR_UPDATE"},
};

constexpr ConstantNameEntry schemaUsageRows[] = {
    {1, "SQL_SU_DML_STATEMENTS"},
    {2, "SQL_SU_PROCEDURE_INVOCATION"},
    {4, "SQL_SU_TABLE_DEFINITION"},
    {8, "SQL_SU_INDEX_DEFINITION"},
    {16, "SQL_SU_PRIVILEGE_DEFINITION"},
};

constexpr ConstantNameEntry scrollConcurrencyRows[] = {
    {1, "SQL_SCCO_READ_ONLY"},
    {2, "SQL_SCCO_LOCK"},
    {4, "SQL_SCCO_OPT_ROWVER"},
    {8, "SQL_SCCO_OPT_VALUES"},
};

constexpr ConstantNameEntry scrollOptionsRows[] = {
    {1, "SQL_SO_FORWARD_ONLY"},
    {2, "SQL_SO_KEYSET_DRIVEN"},
    {4, "SQL_SO_DYNAMIC"},
    {8, "SQL_SO_MIXED"},
    {16, "SQL_SO_STATIC"},
};

constexpr ConstantNameEntry sql92DatetimeFunctionsRows[] = {
    {1, "SQL_SDF_CURRENT_DATE"},
    {2, "SQL_SDF_CURRENT_TIME"},
    {4, "SQL_SDF_CURRENT_TIMESTAMP"},
};

constexpr ConstantNameEntry sql92ForeignKeyDeleteRuleRows[] = {
    {1, "SQL_SFKD_CASCADE"},
    {2, "SQL_SFKD_NO_ACTION"},
    {4, "SQL_SFKD_SET_DEFAULT"},
    {8, "SQL_SFKD_SET_NULL"},
};

constexpr ConstantNameEntry sql92ForeignKeyUpdateRuleRows[] = {
    {1, "SQL_SFKU_CASCADE"},
    {2, "SQL_SFKU_NO_ACTION"},
    {4, "SQL_SFKU_SET_DEFAULT"},
    {8, "SQL_SFKU_SET_NULL"},
};

constexpr ConstantNameEntry sql92GrantRows[] = {
    {1, "SQL_SG_USAGE_ON_DOMAIN"},
    {2, "SQL_SG_USAGE_ON_CHARACTER_SET"},
    {4, "SQL_SG_USAGE_ON_COLLATION"},
    {8, "SQL_SG_USAGE_ON_TRANSLATION"},
    {16, "SQL_SG_WITH_GRANT_OPTION"},
    {32, "SQL_SG_DELETE_TABLE"},
    {64, "SQL_SG_INSERT_TABLE"},
    {128, "SQL_SG_INSERT_COLUMN"},
    {256, "SQL_SG_REFERENCES_TABLE"},
    {512, "SQL_SG_REFERENCES_COLUMN"},
    {1024, "SQL_SG_SELECT_TABLE"},
    {2048, "SQL_SG_UPDATE_TABLE"},
    {4096, "SQL_SG_UPDATE_COLUMN"},
};

constexpr ConstantNameEntry sql92NumericValueFunctionsRows[] = {
    {1, "SQL_SNVF_BIT_LENGTH"},
    {2, "SQL_SNVF_CHAR_LENGTH"},
    {4, "SQL_SNVF_CHARACTER_LENGTH"},
    {8, "SQL_SNVF_EXTRACT"},
    {16, "SQL_SNVF_OCTET_LENGTH"},
    {32, "SQL_SNVF_POSITION"},
};

constexpr ConstantNameEntry sql92PredicatesRows[] = {
    {1, "SQL_SP_EXISTS"},
    {2, "SQL_SP_ISNOTNULL"},
    {4, "SQL_SP_ISNULL"},
    {8, "SQL_SP_MATCH_FULL"},
    {16, "SQL_SP_MATCH_PARTIAL"},
    {32, "SQL_SP_MATCH_UNIQUE_FULL"},
    {64, "SQL_SP_MATCH_UNIQUE_PARTIAL"},
    {128, "SQL_SP_OVERLAPS"},
    {256, "SQL_SP_UNIQUE"},
    {512, "SQL_SP_LIKE"},
    {1024, "SQL_SP_IN"},
    {2048, "SQL_SP_BETWEEN"},
    {4096, "SQL_SP_COMPARISON"},
    {8192, "SQL_SP_QUANTIFIED_COMPARISON"},
};

constexpr ConstantNameEntry sql92RelationalJoinOperatorsRows[] = {
    {1, "SQL_SRJO_CORRESPONDING_CLAUSE"},
    {2, "SQL_SRJO_CROSS_JOIN"},
    {4, "SQL_SRJO_EXCEPT_JOIN"},
    {8, "SQL_SRJO_FULL_OUTER_JOIN"},
    {16, "SQL_SRJO_INNER_JOIN"},
    {32, "SQL_SRJO_INTERSECT_JOIN"},
    {64, "SQL_SRJO_LEFT_OUTER_JOIN"},
    {128, "SQL_SRJO_NATURAL_JOIN"},
    {256, "SQL_SRJO_RIGHT_OUTER_JOIN"},
    {512, "SQL_SRJO_UNION_JOIN"},
};

constexpr ConstantNameEntry sql92RevokeRows[] = {
    {1, "SQL_SR_USAGE_ON_DOMAIN"},
    {2, "SQL_SR_USAGE_ON_CHARACTER_SET"},
    {4, "SQL_SR_USAGE_ON_COLLATION"},
    {8, "SQL_SR_USAGE_ON_TRANSLATION"},
    {16, "SQL_SR_GRANT_OPTION_FOR"},
    {32, "SQL_SR_CASCADE"},
    {64, "SQL_SR_RESTRICT"},
    {128, "SQL_SR_DELETE_TABLE"},
    {256, "SQL_SR_INSERT_TABLE"},
    {512, "SQL_SR_INSERT_COLUMN"},
    {1024, "SQL_SR_REFERENCES_TABLE"},
    {2048, "SQL_SR_REFERENCES_COLUMN"},
    {4096, "SQL_SR_SELECT_TABLE"},
    {8192, "SQL_SR_UPDATE_TABLE"},
    {16384, "SQL_SR_UPDATE_COLUMN"},
};

constexpr ConstantNameEntry sql92RowValueConstructorRows[] = {
    {1, "SQL_SRVC_VALUE_EXPRESSION"},
    {2, "SQL_SRVC_NULL"},
    {4, "SQL_SRVC_DEFAULT"},
    {8, "SQL_SRVC_ROW_SUBQUERY"},
};

constexpr ConstantNameEntry sql92StringFunctionsRows[] = {
    {1, "SQL_SSF_CONVERT"},
    {2, "SQL_SSF_LOWER"},
    {4, "SQL_SSF_UPPER"},
    {8, "SQL_SSF_SUBSTRING"},
    {16, "SQL_SSF_TRANSLATE"},
    {32, "SQL_SSF_TRIM_BOTH"},
    {64, "SQL_SSF_TRIM_LEADING"},
    {128, "SQL_SSF_TRIM_TRAILING"},
};

constexpr ConstantNameEntry sql92ValueExpressionsRows[] = {
    {1, "SQL_SVE_CASE"},
    {2, "SQL_SVE_CAST"},
    {4, "SQL_SVE_COALESCE"},
    {8, "SQL_SVE_NULLIF"},
};

constexpr ConstantNameEntry staticSensitivityRows[] = {
    {1, "SQL_SS_ADDITIONS"},
    {2, "SQL_SS_DELETIONS"},
    {4, "SQL_SS_UPDATES"},
};

constexpr ConstantNameEntry stringFunctionsRows[] = {
    {1, "SQL_FN_STR_CONCAT"},
    {2, "SQL_FN_STR_INSERT"},
    {4, "SQL_FN_STR_LEFT"},
    {8, "SQL_FN_STR_LTRIM"},
    {16, "SQL_FN_STR_LENGTH"},
    {32, "SQL_FN_STR_LOCATE"},
    {64, "SQL_FN_STR_LCASE"},
    {128, "SQL_FN_STR_REPEAT"},
    {256, "SQL_FN_STR_REPLACE"},
    {512, "SQL_FN_STR_RIGHT"},
    {1024, "SQL_FN_STR_RTRIM"},
    {2048, "SQL_FN_STR_SUBSTRING"},
    {4096, "SQL_FN_STR_UCASE"},
    {8192, "SQL_FN_STR_ASCII"},
    {16384, "SQL_FN_STR_CHAR"},
    {32768, "SQL_FN_STR_DIFFERENCE"},
    {65536, "SQL_FN_STR_LOCATE_2"},
    {131072, "SQL_FN_STR_SOUNDEX"},
    {262144, "SQL_FN_STR_SPACE"},
    {524288, "SQL_FN_STR_BIT_LENGTH"},
    {1048576, "SQL_FN_STR_CHAR_LENGTH"},
    {2097152, "SQL_FN_STR_CHARACTER_LENGTH"},
    {4194304, "SQL_FN_STR_OCTET_LENGTH"},
    {8388608, "SQL_FN_STR_POSITION"},
};

constexpr ConstantNameEntry subqueriesRows[] = {
    {1, "SQL_SQ_COMPARISON"},
    {2, "SQL_SQ_EXISTS"},
    {4, "SQL_SQ_IN"},
    {8, "SQL_SQ_QUANTIFIED"},
    {16, "SQL_SQ_CORRELATED_SUBQUERIES"},
};

constexpr ConstantNameEntry systemFunctionsRows[] = {
    {1, "SQL_FN_SYS_USERNAME"},
    {2, "SQL_FN_SYS_DBNAME"},
    {4, "SQL_FN_SYS_IFNULL"},
};

constexpr ConstantNameEntry timedateIntervalsRows[] = {
    {1, "SQL_FN_TSI_FRAC_SECOND"},
    {2, "SQL_FN_TSI_SECOND"},
    {4, "SQL_FN_TSI_MINUTE"},
    {8, "SQL_FN_TSI_HOUR"},
    {16, "SQL_FN_TSI_DAY"},
    {32, "SQL_FN_TSI_WEEK"},
    {64, "SQL_FN_TSI_MONTH"},
    {128, "SQL_FN_TSI_QUARTER"},
    {256, "SQL_FN_TSI_YEAR"},
};

constexpr ConstantNameEntry timedateFunctionsRows[] = {
    {1, "SQL_FN_TD_NOW"},
    {2, "SQL_FN_TD_CURDATE"},
    {4, "SQL_FN_TD_DAYOFMONTH"},
    {8, "SQL_FN_TD_DAYOFWEEK"},
    {16, "SQL_FN_TD_DAYOFYEAR"},
    {32, "SQL_FN_TD_MONTH"},
    {64, "SQL_FN_TD_QUARTER"},
    {128, "SQL_FN_TD_WEEK"},
    {256, "SQL_FN_TD_YEAR"},
    {512, "SQL_FN_TD_CURTIME"},
    {1024, "SQL_FN_TD_HOUR"},
    {2048, "SQL_FN_TD_MINUTE"},
    {4096, "SQL_FN_TD_SECOND"},
    {8192, "SQL_FN_TD_TIMESTAMPADD"},
    {16384, "SQL_FN_TD_TIMESTAMPDIFF"},
    {32768, "SQL_FN_TD_DAYNAME"},
    {65536, "SQL_FN_TD_MONTHNAME"},
    {131072, "SQL_FN_TD_CURRENT_DATE"},
    {262144, "SQL_FN_TD_CURRENT_TIME"},
    {524288, "SQL_FN_TD_CURRENT_TIMESTAMP"},
    {1048576, "SQL_FN_TD_EXTRACT"},
};

constexpr ConstantNameEntry unionsRows[] = {
    {1, "SQL_U_UNION"},
    {2, "SQL_U_UNION_ALL"},
};

// SQLGetInfo values

constexpr ConstantNameEntry asyncModesRows[] = {
    {0, "SQL_AM_NONE"},
    {1, "SQL_AM_CONNECTION"},
    {2, "SQL_AM_STATEMENT"},
};

constexpr ConstantNameEntry catalogLocationsRows[] = {
    {1, "SQL_CL_START"},
    {2, "SQL_CL_END"},
};

constexpr ConstantNameEntry concatNullBehaviorsRows[] = {
    {0, "SQL_CB_NULL"},
    {1, "SQL_CB_NON_NULL"},
};

constexpr ConstantNameEntry correlationNamesRows[] = {
    {0, "SQL_CN_NONE"},
    {1, "SQL_CN_DIFFERENT"},
    {2, "SQL_CN_ANY"},
};

constexpr ConstantNameEntry cursorBehaviorsRows[] = {
    {0, "SQL_CB_DELETE"},
    {1, "SQL_CB_CLOSE"},
    {2, "SQL_CB_PRESERVE"},
};

constexpr ConstantNameEntry cursorSensitivitiesRows[] = {
    {1, "SQL_INSENSITIVE"},
    {0, "SQL_UNSPECIFIED"},
    {2, "SQL_SENSITIVE"},
};

constexpr ConstantNameEntry fileUsagesRows[] = {
    {0, "SQL_FILE_NOT_SUPPORTED"},
    {1, "SQL_FILE_TABLE"},
    {2, "SQL_FILE_CATALOG"},
};

constexpr ConstantNameEntry groupByRows[] = {
    {0, "SQL_GB_NOT_SUPPORTED"},
    {1, "SQL_GB_GROUP_BY_EQUALS_SELECT"},
    {2, "SQL_GB_GROUP_BY_CONTAINS_SELECT"},
    {3, "SQL_GB_NO_RELATION"},
    {4, "SQL_GB_COLLATE"},
};

constexpr ConstantNameEntry identifierCasesRows[] = {
    {1, "SQL_IC_UPPER"},
    {2, "SQL_IC_LOWER"},
    {3, "SQL_IC_SENSITIVE"},
    {4, "SQL_IC_MIXED"},
};

constexpr ConstantNameEntry quotedIdentifierCasesRows[] = {
    {1, "SQL_IC_UPPER"},
    {2, "SQL_IC_LOWER"},
    {3, "SQL_IC_SENSITIVE"},
    {4, "SQL_IC_MIXED"},
};

constexpr ConstantNameEntry nonNullableColumnsRows[] = {
    {0, "SQL_NNC_NULL"},
    {1, "SQL_NNC_NON_NULL"},
};

constexpr ConstantNameEntry nullCollationsRows[] = {
    {0, "SQL_NC_HIGH"},
    {1, "SQL_NC_LOW"},
    {2, "SQL_NC_START"},
    {4, "SQL_NC_END"},
};

constexpr ConstantNameEntry odbcApiConformanceRows[] = {
    {0, "SQL_OAC_NONE"},
    {1, "SQL_OAC_LEVEL1"},
    {2, "SQL_OAC_LEVEL2"},
};

constexpr ConstantNameEntry odbcInterfaceConformanceRows[] = {
    {1, "SQL_OIC_CORE"},
    {2, "SQL_OIC_LEVEL1"},
    {3, "SQL_OIC_LEVEL2"},
};

constexpr ConstantNameEntry odbcSqlConformanceRows[] = {
    {0, "SQL_OSC_MINIMUM"},
    {1, "SQL_OSC_CORE"},
    {2, "SQL_OSC_EXTENDED"},
};

constexpr ConstantNameEntry paramArrayRowCountsRows[] = {
    {1, "SQL_PARC_BATCH"},
    {2, "SQL_PARC_NO_BATCH"},
};

constexpr ConstantNameEntry paramArraySelectsRows[] = {
    {1, "SQL_PAS_BATCH"},
    {2, "SQL_PAS_NO_BATCH"},
    {3, "SQL_PAS_NO_SELECT"},
};

constexpr ConstantNameEntry sqlConformanceRows[] = {
    {1, "SQL_SC_SQL92_ENTRY"},
    {2, "SQL_SC_FIPS127_2_TRANSITIONAL"},
    {4, "SQL_SC_SQL92_INTERMEDIATE"},
    {8, "SQL_SC_SQL92_FULL"},
};

constexpr ConstantNameEntry standardCliConformanceRows[] = {
    {1, "SQL_SCC_XOPEN_CLI_VERSION1"},
    {2, "SQL_SCC_ISO92_CLI"},
};

constexpr ConstantNameEntry txnCapableRows[] = {
    {0, "SQL_TC_NONE"},
    {1, "SQL_TC_DML"},
    {2, "SQL_TC_ALL"},
    {3, "SQL_TC_DDL_COMMIT"},
    {4, "SQL_TC_DDL_IGNORE"},
};

// Statement

constexpr ConstantNameEntry stmtAttributesRows[] = {
    {9, "SQL_ROWSET_SIZE"},
    {101, "SQL_ATTR_ACCESS_MODE"},
    {10011, "SQL_ATTR_APP_PARAM_DESC"},
    {10010, "SQL_ATTR_APP_ROW_DESC"},
    {4, "SQL_ATTR_ASYNC_ENABLE"},
    {7, "SQL_ATTR_CONCURRENCY"},
    {-1, "SQL_ATTR_CURSOR_SCROLLABLE"},
    {-2, "SQL_ATTR_CURSOR_SENSITIVITY"},
    {6, "SQL_ATTR_CURSOR_TYPE"},
    {15, "SQL_ATTR_ENABLE_AUTO_IPD"},
    {16, "SQL_ATTR_FETCH_BOOKMARK_PTR"},
    {10013, "SQL_ATTR_IMP_PARAM_DESC"},
    {10012, "SQL_ATTR_IMP_ROW_DESC"},
    {8, "SQL_ATTR_KEYSET_SIZE"},
    {3, "SQL_ATTR_MAX_LENGTH"},
    {1, "SQL_ATTR_MAX_ROWS"},
    {10014, "SQL_ATTR_METADATA_ID"},
    {2, "SQL_ATTR_NOSCAN"},
    {17, "SQL_ATTR_PARAM_BIND_OFFSET_PTR"},
    {18, "SQL_ATTR_PARAM_BIND_TYPE"},
    {19, "SQL_ATTR_PARAM_OPERATION_PTR"},
    {20, "SQL_ATTR_PARAM_STATUS_PTR"},
    {21, "SQL_ATTR_PARAMS_PROCESSED_PTR"},
    {22, "SQL_ATTR_PARAMSET_SIZE"},
    {0, "SQL_ATTR_QUERY_TIMEOUT"},
    {11, "SQL_ATTR_RETRIEVE_DATA"},
    {27, "SQL_ATTR_ROW_ARRAY_SIZE"},
    {23, "SQL_ATTR_ROW_BIND_OFFSET_PTR"},
    {5, "SQL_ATTR_ROW_BIND_TYPE"},
    {14, "SQL_ATTR_ROW_NUMBER"},
    {24, "SQL_ATTR_ROW_OPERATION_PTR"},
    {25, "SQL_ATTR_ROW_STATUS_PTR"},
    {26, "SQL_ATTR_ROWS_FETCHED_PTR"},
    {10, "SQL_ATTR_SIMULATE_CURSOR"},
    {12, "SQL_ATTR_USE_BOOKMARKS"},
};

constexpr ConstantNameEntry concurrenciesRows[] = {
    {1, "SQL_CONCUR_READ_ONLY"},
    {2, "SQL_CONCUR_LOCK"},
    {3, "SQL_CONCUR_ROWVER"},
    {4, "SQL_CONCUR_VALUES"},
};

constexpr ConstantNameEntry scrollablesRows[] = {
    {0, "SQL_NONSCROLLABLE"},
    {1, "SQL_SCROLLABLE"},
};

constexpr ConstantNameEntry cursorTypesRows[] = {
    {0, "SQL_CURSOR_FORWARD_ONLY"},
    {3, "SQL_CURSOR_STATIC"},
    {1, "SQL_CURSOR_KEYSET_DRIVEN"},
    {2, "SQL_CURSOR_DYNAMIC"},
};

constexpr ConstantNameEntry noscanRows[] = {
    {0, "SQL_NOSCAN_OFF"},
    {1, "SQL_NOSCAN_ON"},
};

constexpr ConstantNameEntry retrieveDataRows[] = {
    {0, "SQL_RD_OFF"},
    {1, "SQL_RD_ON"},
};

constexpr ConstantNameEntry simulateCursorsRows[] = {
    {0, "SQL_SC_NON_UNIQUE"},
    {1, "SQL_SC_TRY_UNIQUE"},
    {2, "SQL_SC_UNIQUE"},
};

constexpr ConstantNameEntry useBookmarksRows[] = {
    {0, "SQL_UB_OFF"},
    {1, "SQL_UB_ON"},
    {2, "SQL_UB_VARIABLE"},
};

// Descriptors and columns

constexpr ConstantNameEntry descFieldsRows[] = {
    {1, "SQL_COLUMN_NAME"},
    {3, "SQL_COLUMN_LENGTH"},
    {4, "SQL_COLUMN_PRECISION"},
    {5, "SQL_COLUMN_SCALE"},
    {7, "SQL_COLUMN_NULLABLE"},
    {9, "SQL_COLUMN_MONEY"},
    {1099, "SQL_DESC_ALLOC_TYPE"},
    {20, "SQL_DESC_ARRAY_SIZE"},
    {21, "SQL_DESC_ARRAY_STATUS_PTR"},
    {11, "SQL_DESC_AUTO_UNIQUE_VALUE"},
    {22, "SQL_DESC_BASE_COLUMN_NAME"},
    {23, "SQL_DESC_BASE_TABLE_NAME"},
    {24, "SQL_DESC_BIND_OFFSET_PTR"},
    {25, "SQL_DESC_BIND_TYPE"},
    {12, "SQL_DESC_CASE_SENSITIVE"},
    {17, "SQL_DESC_CATALOG_NAME"},
    {2, "SQL_DESC_CONCISE_TYPE"},
    {1001, "SQL_DESC_COUNT"},
    {1010, "SQL_DESC_DATA_PTR"},
    {1007, "SQL_DESC_DATETIME_INTERVAL_CODE"},
    {26, "SQL_DESC_DATETIME_INTERVAL_PRECISION"},
    {6, "SQL_DESC_DISPLAY_SIZE"},
    {9, "SQL_DESC_FIXED_PREC_SCALE"},
    {1009, "SQL_DESC_INDICATOR_PTR"},
    {18, "SQL_DESC_LABEL"},
    {1003, "SQL_DESC_LENGTH"},
    {27, "SQL_DESC_LITERAL_PREFIX"},
    {28, "SQL_DESC_LITERAL_SUFFIX"},
    {29, "SQL_DESC_LOCAL_TYPE_NAME"},
    {1011, "SQL_DESC_NAME"},
    {1008, "SQL_DESC_NULLABLE"},
    {32, "SQL_DESC_NUM_PREC_RADIX"},
    {1013, "SQL_DESC_OCTET_LENGTH"},
    {1004, "SQL_DESC_OCTET_LENGTH_PTR"},
    {33, "SQL_DESC_PARAMETER_TYPE"},
    {1005, "SQL_DESC_PRECISION"},
    {34, "SQL_DESC_ROWS_PROCESSED_PTR"},
    {35, "SQL_DESC_ROWVER"},
    {1006, "SQL_DESC_SCALE"},
    {16, "SQL_DESC_SCHEMA_NAME"},
    {13, "SQL_DESC_SEARCHABLE"},
    {15, "SQL_DESC_TABLE_NAME"},
    {1002, "SQL_DESC_TYPE"},
    {14, "SQL_DESC_TYPE_NAME"},
    {1012, "SQL_DESC_UNNAMED"},
    {8, "SQL_DESC_UNSIGNED"},
    {10, "SQL_DESC_UPDATABLE"},
};

constexpr ConstantNameEntry allocTypesRows[] = {
    {1, "SQL_DESC_ALLOC_AUTO"},
    {2, "SQL_DESC_ALLOC_USER"},
};

constexpr ConstantNameEntry datetimeIntervalCodesRows[] = {
    {1, "SQL_CODE_DATE"},
    {2, "SQL_CODE_TIME"},
    {3, "SQL_CODE_TIMESTAMP"},
    {1, "SQL_CODE_YEAR"},
    {2, "SQL_CODE_MONTH"},
    {3, "SQL_CODE_DAY"},
    {4, "SQL_CODE_HOUR"},
    {5, "SQL_CODE_MINUTE"},
    {6, "SQL_CODE_SECOND"},
    {7, "SQL_CODE_YEAR_TO_MONTH"},
    {8, "SQL_CODE_DAY_TO_HOUR"},
    {9, "SQL_CODE_DAY_TO_MINUTE"},
    {10, "SQL_CODE_DAY_TO_SECOND"},
    {11, "SQL_CODE_HOUR_TO_MINUTE"},
    {12, "SQL_CODE_HOUR_TO_SECOND"},
    {13, "SQL_CODE_MINUTE_TO_SECOND"},
};

constexpr ConstantNameEntry nullablesRows[] = {
    {1, "SQL_NULLABLE"},
    {0, "SQL_NO_NULLS"},
    {2, "SQL_NULLABLE_UNKNOWN"},
};

constexpr ConstantNameEntry paramTypesRows[] = {
    {1, "SQL_PARAM_INPUT"},
    {2, "SQL_PARAM_INPUT_OUTPUT"},
    {4, "SQL_PARAM_OUTPUT"},
};

constexpr ConstantNameEntry searchablesRows[] = {
    {0, "SQL_PRED_NONE"},
    {1, "SQL_PRED_CHAR"},
    {2, "SQL_PRED_BASIC"},
    {3, "SQL_PRED_SEARCHABLE"},
};

constexpr ConstantNameEntry unnamedRows[] = {
    {0, "SQL_NAMED"},
    {1, "SQL_UNNAMED"},
};

constexpr ConstantNameEntry updatablesRows[] = {
    {0, "SQL_ATTR_READONLY"},
    {1, "SQL_ATTR_WRITE"},
    {2, "SQL_ATTR_READWRITE_UNKNOWN"},
};

// Types

constexpr ConstantNameEntry sqlTypesRows[] = {
    {1, "SQL_CHAR"},
    {2, "SQL_NUMERIC"},
    {3, "SQL_DECIMAL"},
    {4, "SQL_INTEGER"},
    {5, "SQL_SMALLINT"},
    {6, "SQL_FLOAT"},
    {7, "SQL_REAL"},
    {8, "SQL_DOUBLE"},
    {12, "SQL_VARCHAR"},
    {-1, "SQL_LONGVARCHAR"},
    {-2, "SQL_BINARY"},
    {-3, "SQL_VARBINARY"},
    {-4, "SQL_LONGVARBINARY"},
    {-5, "SQL_BIGINT"},
    {-6, "SQL_TINYINT"},
    {-7, "SQL_BIT"},
    {-8, "SQL_WCHAR"},
    {-9, "SQL_WVARCHAR"},
    {-10, "SQL_WLONGVARCHAR"},
    {-11, "SQL_GUID"},
    {9, "SQL_DATE"},
    {10, "SQL_TIME"},
    {11, "SQL_TIMESTAMP"},
    {91, "SQL_TYPE_DATE"},
    {92, "SQL_TYPE_TIME"},
    {93, "SQL_TYPE_TIMESTAMP"},
    {101, "SQL_INTERVAL_YEAR"},
    {102, "SQL_INTERVAL_MONTH"},
    {103, "SQL_INTERVAL_DAY"},
    {104, "SQL_INTERVAL_HOUR"},
    {105, "SQL_INTERVAL_MINUTE"},
    {106, "SQL_INTERVAL_SECOND"},
    {107, "SQL_INTERVAL_YEAR_TO_MONTH"},
    {108, "SQL_INTERVAL_DAY_TO_HOUR"},
    {109, "SQL_INTERVAL_DAY_TO_MINUTE"},
    {110, "SQL_INTERVAL_DAY_TO_SECOND"},
    {111, "SQL_INTERVAL_HOUR_TO_MINUTE"},
    {112, "SQL_INTERVAL_HOUR_TO_SECOND"},
    {113, "SQL_INTERVAL_MINUTE_TO_SECOND"},
};

constexpr ConstantNameEntry cTypesRows[] = {
    {1, "SQL_C_CHAR"},
    {-8, "SQL_C_WCHAR"},
    {4, "SQL_C_LONG"},
    {5, "SQL_C_SHORT"},
    {7, "SQL_C_FLOAT"},
    {8, "SQL_C_DOUBLE"},
    {2, "SQL_C_NUMERIC"},
    {9, "SQL_C_DATE"},
    {10, "SQL_C_TIME"},
    {11, "SQL_C_TIMESTAMP"},
    {91, "SQL_C_TYPE_DATE"},
    {92, "SQL_C_TYPE_TIME"},
    {93, "SQL_C_TYPE_TIMESTAMP"},
    {-2, "SQL_C_BINARY"},
    {-7, "SQL_C_BIT"},
    {-25, "SQL_C_SBIGINT"},
    {-27, "SQL_C_UBIGINT"},
    {-6, "SQL_C_TINYINT"},
    {-16, "SQL_C_SLONG"},
    {-15, "SQL_C_SSHORT"},
    {-26, "SQL_C_STINYINT"},
    {-18, "SQL_C_ULONG"},
    {-17, "SQL_C_USHORT"},
    {-28, "SQL_C_UTINYINT"},
    {-27, "SQL_C_BOOKMARK"},
    {-2, "SQL_C_VARBOOKMARK"},
    {99, "SQL_C_DEFAULT"},
};

// Diagnostics

constexpr ConstantNameEntry diagFieldsRows[] = {
    {-1249, "SQL_DIAG_CURSOR_ROW_COUNT"},
    {7, "SQL_DIAG_DYNAMIC_FUNCTION"},
    {12, "SQL_DIAG_DYNAMIC_FUNCTION_CODE"},
    {2, "SQL_DIAG_NUMBER"},
    {1, "SQL_DIAG_RETURNCODE"},
    {3, "SQL_DIAG_ROW_COUNT"},
    {8, "SQL_DIAG_CLASS_ORIGIN"},
    {-1247, "SQL_DIAG_COLUMN_NUMBER"},
    {10, "SQL_DIAG_CONNECTION_NAME"},
    {6, "SQL_DIAG_MESSAGE_TEXT"},
    {5, "SQL_DIAG_NATIVE"},
    {-1248, "SQL_DIAG_ROW_NUMBER"},
    {11, "SQL_DIAG_SERVER_NAME"},
    {4, "SQL_DIAG_SQLSTATE"},
    {9, "SQL_DIAG_SUBCLASS_ORIGIN"},
};

// Functions

constexpr ConstantNameEntry functionIdsRows[] = {
    {1, "SQL_API_SQLALLOCCONNECT"},
    {2, "SQL_API_SQLALLOCENV"},
    {1001, "SQL_API_SQLALLOCHANDLE"},
    {3, "SQL_API_SQLALLOCSTMT"},
    {4, "SQL_API_SQLBINDCOL"},
    {1002, "SQL_API_SQLBINDPARAM"},
    {72, "SQL_API_SQLBINDPARAMETER"},
    {55, "SQL_API_SQLBROWSECONNECT"},
    {24, "SQL_API_SQLBULKOPERATIONS"},
    {5, "SQL_API_SQLCANCEL"},
    {1003, "SQL_API_SQLCLOSECURSOR"},
    {6, "SQL_API_SQLCOLATTRIBUTE"},
    {6, "SQL_API_SQLCOLATTRIBUTES"},
    {56, "SQL_API_SQLCOLUMNPRIVILEGES"},
    {40, "SQL_API_SQLCOLUMNS"},
    {7, "SQL_API_SQLCONNECT"},
    {1004, "SQL_API_SQLCOPYDESC"},
    {57, "SQL_API_SQLDATASOURCES"},
    {8, "SQL_API_SQLDESCRIBECOL"},
    {58, "SQL_API_SQLDESCRIBEPARAM"},
    {9, "SQL_API_SQLDISCONNECT"},
    {41, "SQL_API_SQLDRIVERCONNECT"},
    {71, "SQL_API_SQLDRIVERS"},
    {1005, "SQL_API_SQLENDTRAN"},
    {10, "SQL_API_SQLERROR"},
    {11, "SQL_API_SQLEXECDIRECT"},
    {12, "SQL_API_SQLEXECUTE"},
    {59, "SQL_API_SQLEXTENDEDFETCH"},
    {13, "SQL_API_SQLFETCH"},
    {1021, "SQL_API_SQLFETCHSCROLL"},
    {60, "SQL_API_SQLFOREIGNKEYS"},
    {14, "SQL_API_SQLFREECONNECT"},
    {15, "SQL_API_SQLFREEENV"},
    {1006, "SQL_API_SQLFREEHANDLE"},
    {16, "SQL_API_SQLFREESTMT"},
    {1007, "SQL_API_SQLGETCONNECTATTR"},
    {42, "SQL_API_SQLGETCONNECTOPTION"},
    {17, "SQL_API_SQLGETCURSORNAME"},
    {43, "SQL_API_SQLGETDATA"},
    {1008, "SQL_API_SQLGETDESCFIELD"},
    {1009, "SQL_API_SQLGETDESCREC"},
    {1010, "SQL_API_SQLGETDIAGFIELD"},
    {1011, "SQL_API_SQLGETDIAGREC"},
    {1012, "SQL_API_SQLGETENVATTR"},
    {44, "SQL_API_SQLGETFUNCTIONS"},
    {45, "SQL_API_SQLGETINFO"},
    {1014, "SQL_API_SQLGETSTMTATTR"},
    {46, "SQL_API_SQLGETSTMTOPTION"},
    {47, "SQL_API_SQLGETTYPEINFO"},
    {61, "SQL_API_SQLMORERESULTS"},
    {62, "SQL_API_SQLNATIVESQL"},
    {63, "SQL_API_SQLNUMPARAMS"},
    {18, "SQL_API_SQLNUMRESULTCOLS"},
    {48, "SQL_API_SQLPARAMDATA"},
    {64, "SQL_API_SQLPARAMOPTIONS"},
    {19, "SQL_API_SQLPREPARE"},
    {65, "SQL_API_SQLPRIMARYKEYS"},
    {66, "SQL_API_SQLPROCEDURECOLUMNS"},
    {67, "SQL_API_SQLPROCEDURES"},
    {49, "SQL_API_SQLPUTDATA"},
    {20, "SQL_API_SQLROWCOUNT"},
    {1016, "SQL_API_SQLSETCONNECTATTR"},
    {50, "SQL_API_SQLSETCONNECTOPTION"},
    {21, "SQL_API_SQLSETCURSORNAME"},
    {1017, "SQL_API_SQLSETDESCFIELD"},
    {1018, "SQL_API_SQLSETDESCREC"},
    {1019, "SQL_API_SQLSETENVATTR"},
    {22, "SQL_API_SQLSETPARAM"},
    {68, "SQL_API_SQLSETPOS"},
    {69, "SQL_API_SQLSETSCROLLOPTIONS"},
    {1020, "SQL_API_SQLSETSTMTATTR"},
    {51, "SQL_API_SQLSETSTMTOPTION"},
    {52, "SQL_API_SQLSPECIALCOLUMNS"},
    {53, "SQL_API_SQLSTATISTICS"},
    {70, "SQL_API_SQLTABLEPRIVILEGES"},
    {54, "SQL_API_SQLTABLES"},
    {23, "SQL_API_SQLTRANSACT"},
    {199, "SQL_API_LOADBYORDINAL"},
};

// Statement-call arguments

constexpr ConstantNameEntry fetchOrientationsRows[] = {
    {1, "SQL_FETCH_NEXT"},
    {2, "SQL_FETCH_FIRST"},
    {3, "SQL_FETCH_LAST"},
    {4, "SQL_FETCH_PRIOR"},
    {5, "SQL_FETCH_ABSOLUTE"},
    {6, "SQL_FETCH_RELATIVE"},
    {8, "SQL_FETCH_BOOKMARK"},
};

constexpr ConstantNameEntry completionTypesRows[] = {
    {0, "SQL_COMMIT"},
    {1, "SQL_ROLLBACK"},
};

constexpr ConstantNameEntry setPosOperationsRows[] = {
    {0, "SQL_POSITION"},
    {1, "SQL_REFRESH"},
    {2, "SQL_UPDATE"},
    {3, "SQL_DELETE"},
};

constexpr ConstantNameEntry lockTypesRows[] = {
    {0, "SQL_LOCK_NO_CHANGE"},
    {1, "SQL_LOCK_EXCLUSIVE"},
    {2, "SQL_LOCK_UNLOCK"},
};

constexpr ConstantNameEntry bulkOperationsRows[] = {
    {4, "SQL_ADD"},
    {5, "SQL_UPDATE_BY_BOOKMARK"},
    {6, "SQL_DELETE_BY_BOOKMARK"},
    {7, "SQL_FETCH_BY_BOOKMARK"},
};

constexpr ConstantNameEntry identifierTypesRows[] = {
    {1, "SQL_BEST_ROWID"},
    {2, "SQL_ROWVER"},
};

constexpr ConstantNameEntry scopesRows[] = {
    {0, "SQL_SCOPE_CURROW"},
    {1, "SQL_SCOPE_TRANSACTION"},
    {2, "SQL_SCOPE_SESSION"},
};

constexpr ConstantNameEntry indexUniquenessRows[] = {
    {0, "SQL_INDEX_UNIQUE"},
    {1, "SQL_INDEX_ALL"},
};

constexpr ConstantNameEntry accuraciesRows[] = {
    {1, "SQL_ENSURE"},
    {0, "SQL_QUICK"},
};

constexpr ConstantNameEntry freeStmtOptionsRows[] = {
    {0, "SQL_CLOSE"},
    {1, "SQL_DROP"},
    {2, "SQL_UNBIND"},
    {3, "SQL_RESET_PARAMS"},
};

}  // namespace

namespace constants {

const ConstantTable handleTypes{handleTypesRows, std::size(handleTypesRows)};
const ConstantTable returnCodes{returnCodesRows, std::size(returnCodesRows)};
const ConstantTable bufferLengths{bufferLengthsRows, std::size(bufferLengthsRows)};
const ConstantTable envAttributes{envAttributesRows, std::size(envAttributesRows)};
const ConstantTable odbcVersions{odbcVersionsRows, std::size(odbcVersionsRows)};
const ConstantTable booleans{booleansRows, std::size(booleansRows)};
const ConstantTable connectAttributes{connectAttributesRows, std::size(connectAttributesRows)};
const ConstantTable txnIsolation{txnIsolationRows, std::size(txnIsolationRows)};
const ConstantTable accessModes{accessModesRows, std::size(accessModesRows)};
const ConstantTable asyncEnable{asyncEnableRows, std::size(asyncEnableRows)};
const ConstantTable autocommit{autocommitRows, std::size(autocommitRows)};
const ConstantTable driverCompletions{driverCompletionsRows, std::size(driverCompletionsRows)};
const ConstantTable infoTypes{infoTypesRows, std::size(infoTypesRows)};
const ConstantTable aggregateFunctions{aggregateFunctionsRows, std::size(aggregateFunctionsRows)};
const ConstantTable alterDomain{alterDomainRows, std::size(alterDomainRows)};
const ConstantTable alterTable{alterTableRows, std::size(alterTableRows)};
const ConstantTable batchRowCount{batchRowCountRows, std::size(batchRowCountRows)};
const ConstantTable batchSupport{batchSupportRows, std::size(batchSupportRows)};
const ConstantTable bookmarkPersistence{bookmarkPersistenceRows, std::size(bookmarkPersistenceRows)};
const ConstantTable catalogUsage{catalogUsageRows, std::size(catalogUsageRows)};
const ConstantTable conversions{conversionsRows, std::size(conversionsRows)};
const ConstantTable convertFunctions{convertFunctionsRows, std::size(convertFunctionsRows)};
const ConstantTable createAssertion{createAssertionRows, std::size(createAssertionRows)};
const ConstantTable createCharacterSet{createCharacterSetRows, std::size(createCharacterSetRows)};
const ConstantTable createCollation{createCollationRows, std::size(createCollationRows)};
const ConstantTable createDomain{createDomainRows, std::size(createDomainRows)};
const ConstantTable createSchema{createSchemaRows, std::size(createSchemaRows)};
const ConstantTable createTable{createTableRows, std::size(createTableRows)};
const ConstantTable createTranslation{createTranslationRows, std::size(createTranslationRows)};
const ConstantTable createView{createViewRows, std::size(createViewRows)};
const ConstantTable datetimeLiterals{datetimeLiteralsRows, std::size(datetimeLiteralsRows)};
const ConstantTable ddlIndex{ddlIndexRows, std::size(ddlIndexRows)};
const ConstantTable dropAssertion{dropAssertionRows, std::size(dropAssertionRows)};
const ConstantTable dropCharacterSet{dropCharacterSetRows, std::size(dropCharacterSetRows)};
const ConstantTable dropCollation{dropCollationRows, std::size(dropCollationRows)};
const ConstantTable dropDomain{dropDomainRows, std::size(dropDomainRows)};
const ConstantTable dropSchema{dropSchemaRows, std::size(dropSchemaRows)};
const ConstantTable dropTable{dropTableRows, std::size(dropTableRows)};
const ConstantTable dropTranslation{dropTranslationRows, std::size(dropTranslationRows)};
const ConstantTable dropView{dropViewRows, std::size(dropViewRows)};
const ConstantTable cursorAttributes1{cursorAttributes1Rows, std::size(cursorAttributes1Rows)};
const ConstantTable cursorAttributes2{cursorAttributes2Rows, std::size(cursorAttributes2Rows)};
const ConstantTable getDataExtensions{getDataExtensionsRows, std::size(getDataExtensionsRows)};
const ConstantTable fetchDirections{fetchDirectionsRows, std::size(fetchDirectionsRows)};
const ConstantTable indexKeywords{indexKeywordsRows, std::size(indexKeywordsRows)};
const ConstantTable infoSchemaViews{infoSchemaViewsRows, std::size(infoSchemaViewsRows)};
const ConstantTable insertStatement{insertStatementRows, std::size(insertStatementRows)};
const ConstantTable lockTypeFlags{lockTypeFlagsRows, std::size(lockTypeFlagsRows)};
const ConstantTable numericFunctions{numericFunctionsRows, std::size(numericFunctionsRows)};
const ConstantTable outerJoins{outerJoinsRows, std::size(outerJoinsRows)};
const ConstantTable posOperations{posOperationsRows, std::size(posOperationsRows)};
const ConstantTable positionedStatements{positionedStatementsRows, std::size(positionedStatementsRows)};
const ConstantTable schemaUsage{schemaUsageRows, std::size(schemaUsageRows)};
const ConstantTable scrollConcurrency{scrollConcurrencyRows, std::size(scrollConcurrencyRows)};
const ConstantTable scrollOptions{scrollOptionsRows, std::size(scrollOptionsRows)};
const ConstantTable sql92DatetimeFunctions{sql92DatetimeFunctionsRows, std::size(sql92DatetimeFunctionsRows)};
const ConstantTable sql92ForeignKeyDeleteRule{sql92ForeignKeyDeleteRuleRows, std::size(sql92ForeignKeyDeleteRuleRows)};
const ConstantTable sql92ForeignKeyUpdateRule{sql92ForeignKeyUpdateRuleRows, std::size(sql92ForeignKeyUpdateRuleRows)};
const ConstantTable sql92Grant{sql92GrantRows, std::size(sql92GrantRows)};
const ConstantTable sql92NumericValueFunctions{sql92NumericValueFunctionsRows, std::size(sql92NumericValueFunctionsRows)};
const ConstantTable sql92Predicates{sql92PredicatesRows, std::size(sql92PredicatesRows)};
const ConstantTable sql92RelationalJoinOperators{sql92RelationalJoinOperatorsRows, std::size(sql92RelationalJoinOperatorsRows)};
const ConstantTable sql92Revoke{sql92RevokeRows, std::size(sql92RevokeRows)};
const ConstantTable sql92RowValueConstructor{sql92RowValueConstructorRows, std::size(sql92RowValueConstructorRows)};
const ConstantTable sql92StringFunctions{sql92StringFunctionsRows, std::size(sql92StringFunctionsRows)};
const ConstantTable sql92ValueExpressions{sql92ValueExpressionsRows, std::size(sql92ValueExpressionsRows)};
const ConstantTable staticSensitivity{staticSensitivityRows, std::size(staticSensitivityRows)};
const ConstantTable stringFunctions{stringFunctionsRows, std::size(stringFunctionsRows)};
const ConstantTable subqueries{subqueriesRows, std::size(subqueriesRows)};
const ConstantTable systemFunctions{systemFunctionsRows, std::size(systemFunctionsRows)};
const ConstantTable timedateIntervals{timedateIntervalsRows, std::size(timedateIntervalsRows)};
const ConstantTable timedateFunctions{timedateFunctionsRows, std::size(timedateFunctionsRows)};
const ConstantTable unions{unionsRows, std::size(unionsRows)};
const ConstantTable asyncModes{asyncModesRows, std::size(asyncModesRows)};
const ConstantTable catalogLocations{catalogLocationsRows, std::size(catalogLocationsRows)};
const ConstantTable concatNullBehaviors{concatNullBehaviorsRows, std::size(concatNullBehaviorsRows)};
const ConstantTable correlationNames{correlationNamesRows, std::size(correlationNamesRows)};
const ConstantTable cursorBehaviors{cursorBehaviorsRows, std::size(cursorBehaviorsRows)};
const ConstantTable cursorSensitivities{cursorSensitivitiesRows, std::size(cursorSensitivitiesRows)};
const ConstantTable fileUsages{fileUsagesRows, std::size(fileUsagesRows)};
const ConstantTable groupBy{groupByRows, std::size(groupByRows)};
const ConstantTable identifierCases{identifierCasesRows, std::size(identifierCasesRows)};
const ConstantTable quotedIdentifierCases{quotedIdentifierCasesRows, std::size(quotedIdentifierCasesRows)};
const ConstantTable nonNullableColumns{nonNullableColumnsRows, std::size(nonNullableColumnsRows)};
const ConstantTable nullCollations{nullCollationsRows, std::size(nullCollationsRows)};
const ConstantTable odbcApiConformance{odbcApiConformanceRows, std::size(odbcApiConformanceRows)};
const ConstantTable odbcInterfaceConformance{odbcInterfaceConformanceRows, std::size(odbcInterfaceConformanceRows)};
const ConstantTable odbcSqlConformance{odbcSqlConformanceRows, std::size(odbcSqlConformanceRows)};
const ConstantTable paramArrayRowCounts{paramArrayRowCountsRows, std::size(paramArrayRowCountsRows)};
const ConstantTable paramArraySelects{paramArraySelectsRows, std::size(paramArraySelectsRows)};
const ConstantTable sqlConformance{sqlConformanceRows, std::size(sqlConformanceRows)};
const ConstantTable standardCliConformance{standardCliConformanceRows, std::size(standardCliConformanceRows)};
const ConstantTable txnCapable{txnCapableRows, std::size(txnCapableRows)};
const ConstantTable stmtAttributes{stmtAttributesRows, std::size(stmtAttributesRows)};
const ConstantTable concurrencies{concurrenciesRows, std::size(concurrenciesRows)};
const ConstantTable scrollables{scrollablesRows, std::size(scrollablesRows)};
const ConstantTable cursorTypes{cursorTypesRows, std::size(cursorTypesRows)};
const ConstantTable noscan{noscanRows, std::size(noscanRows)};
const ConstantTable retrieveData{retrieveDataRows, std::size(retrieveDataRows)};
const ConstantTable simulateCursors{simulateCursorsRows, std::size(simulateCursorsRows)};
const ConstantTable useBookmarks{useBookmarksRows, std::size(useBookmarksRows)};
const ConstantTable descFields{descFieldsRows, std::size(descFieldsRows)};
const ConstantTable allocTypes{allocTypesRows, std::size(allocTypesRows)};
const ConstantTable datetimeIntervalCodes{datetimeIntervalCodesRows, std::size(datetimeIntervalCodesRows)};
const ConstantTable nullables{nullablesRows, std::size(nullablesRows)};
const ConstantTable paramTypes{paramTypesRows, std::size(paramTypesRows)};
const ConstantTable searchables{searchablesRows, std::size(searchablesRows)};
const ConstantTable unnamed{unnamedRows, std::size(unnamedRows)};
const ConstantTable updatables{updatablesRows, std::size(updatablesRows)};
const ConstantTable sqlTypes{sqlTypesRows, std::size(sqlTypesRows)};
const ConstantTable cTypes{cTypesRows, std::size(cTypesRows)};
const ConstantTable diagFields{diagFieldsRows, std::size(diagFieldsRows)};
const ConstantTable functionIds{functionIdsRows, std::size(functionIdsRows)};
const ConstantTable fetchOrientations{fetchOrientationsRows, std::size(fetchOrientationsRows)};
const ConstantTable completionTypes{completionTypesRows, std::size(completionTypesRows)};
const ConstantTable setPosOperations{setPosOperationsRows, std::size(setPosOperationsRows)};
const ConstantTable lockTypes{lockTypesRows, std::size(lockTypesRows)};
const ConstantTable bulkOperations{bulkOperationsRows, std::size(bulkOperationsRows)};
const ConstantTable identifierTypes{identifierTypesRows, std::size(identifierTypesRows)};
const ConstantTable scopes{scopesRows, std::size(scopesRows)};
const ConstantTable indexUniqueness{indexUniquenessRows, std::size(indexUniquenessRows)};
const ConstantTable accuracies{accuraciesRows, std::size(accuraciesRows)};
const ConstantTable freeStmtOptions{freeStmtOptionsRows, std::size(freeStmtOptionsRows)};

}  // namespace constants
