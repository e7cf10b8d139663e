#include "core/TraceValueFormatter.h"

#include <cstdint>

#include "core/AppBuffer.h"
#include "core/ConstantNames.h"
#include "core/InfoItems.h"
#include "core/TraceFormatter.h"

namespace {

// How an item is stored in the application's memory.
enum class Width { Int16, UInt16, Int32, UInt32, Int64, UInt64, Pointer };

enum class Format {
  Number,
  Name,           // constantName over the rule's table
  Flags,          // flagNames over the rule's table
  BindType,       // 0 by the rule's name for column-wise binding, else the row size
  Text,
  Address,        // the output forms write the buffer's own address
  StoredAddress,  // the output forms write the address stored in the buffer
};

struct Rule {
  SQLINTEGER id;
  Format format;
  Width width;
  const ConstantTable* table;
  const char* zeroName;
};

constexpr Rule number(SQLINTEGER id, Width width) {
  return {id, Format::Number, width, nullptr, nullptr};
}
constexpr Rule named(SQLINTEGER id, const ConstantTable& table, Width width) {
  return {id, Format::Name, width, &table, nullptr};
}
constexpr Rule boolean(SQLINTEGER id, Width width) {
  return named(id, constants::booleans, width);
}
constexpr Rule flags(SQLINTEGER id, const ConstantTable& table, Width width) {
  return {id, Format::Flags, width, &table, nullptr};
}
constexpr Rule bindType(SQLINTEGER id, const char* zeroName, Width width) {
  return {id, Format::BindType, width, nullptr, zeroName};
}
constexpr Rule text(SQLINTEGER id) { return {id, Format::Text, Width::Pointer, nullptr, nullptr}; }
constexpr Rule address(SQLINTEGER id) {
  return {id, Format::Address, Width::Pointer, nullptr, nullptr};
}
constexpr Rule storedAddress(SQLINTEGER id) {
  return {id, Format::StoredAddress, Width::Pointer, nullptr, nullptr};
}

constexpr Rule envRules[] = {
    named(SQL_ATTR_ODBC_VERSION, constants::odbcVersions, Width::UInt32),
    boolean(SQL_ATTR_OUTPUT_NTS, Width::UInt32),
};

constexpr Rule connectRules[] = {
    named(SQL_ATTR_ASYNC_ENABLE, constants::asyncEnable, Width::UInt32),
    named(SQL_ATTR_ACCESS_MODE, constants::accessModes, Width::UInt32),
    named(SQL_ATTR_AUTOCOMMIT, constants::autocommit, Width::UInt32),
    number(SQL_ATTR_LOGIN_TIMEOUT, Width::UInt32),
    number(SQL_ATTR_TRANSLATE_OPTION, Width::UInt32),
    number(SQL_ATTR_PACKET_SIZE, Width::UInt32),
    number(SQL_ATTR_CONNECTION_TIMEOUT, Width::UInt32),
    text(SQL_ATTR_TRACEFILE),
    text(SQL_ATTR_TRANSLATE_LIB),
    text(SQL_ATTR_CURRENT_CATALOG),
    flags(SQL_ATTR_TXN_ISOLATION, constants::txnIsolation, Width::UInt32),
    address(SQL_ATTR_QUIET_MODE),
    // The driver's own wide-text switch, read and written as a boolean.
    boolean(1057, Width::UInt32),
    boolean(SQL_ATTR_AUTO_IPD, Width::UInt32),
    boolean(SQL_ATTR_METADATA_ID, Width::UInt32),
};

constexpr Rule stmtRules[] = {
    named(SQL_ATTR_CURSOR_SENSITIVITY, constants::cursorSensitivities, Width::UInt32),
    named(SQL_ATTR_CURSOR_SCROLLABLE, constants::scrollables, Width::UInt32),
    number(SQL_ATTR_QUERY_TIMEOUT, Width::UInt32),
    number(SQL_ATTR_MAX_ROWS, Width::UInt64),
    number(SQL_ATTR_MAX_LENGTH, Width::UInt64),
    number(SQL_ATTR_KEYSET_SIZE, Width::UInt64),
    number(SQL_ROWSET_SIZE, Width::UInt64),
    number(SQL_ATTR_PARAMSET_SIZE, Width::UInt64),
    number(SQL_ATTR_ROW_ARRAY_SIZE, Width::UInt64),
    named(SQL_ATTR_NOSCAN, constants::noscan, Width::UInt32),
    named(SQL_ATTR_ASYNC_ENABLE, constants::asyncEnable, Width::UInt32),
    named(SQL_ATTR_CURSOR_TYPE, constants::cursorTypes, Width::UInt32),
    named(SQL_ATTR_CONCURRENCY, constants::concurrencies, Width::UInt32),
    named(SQL_ATTR_SIMULATE_CURSOR, constants::simulateCursors, Width::UInt32),
    named(SQL_ATTR_RETRIEVE_DATA, constants::retrieveData, Width::UInt32),
    named(SQL_ATTR_USE_BOOKMARKS, constants::useBookmarks, Width::UInt32),
    bindType(SQL_ATTR_ROW_BIND_TYPE, "SQL_BIND_BY_COLUMN", Width::UInt32),
    bindType(SQL_ATTR_PARAM_BIND_TYPE, "SQL_PARAM_BIND_BY_COLUMN", Width::UInt32),
    boolean(SQL_ATTR_ENABLE_AUTO_IPD, Width::UInt32),
    boolean(SQL_ATTR_METADATA_ID, Width::UInt32),
    address(SQL_ATTR_ROW_NUMBER),
    address(SQL_ATTR_FETCH_BOOKMARK_PTR),
    address(SQL_ATTR_PARAM_BIND_OFFSET_PTR),
    address(SQL_ATTR_PARAM_OPERATION_PTR),
    address(SQL_ATTR_PARAM_STATUS_PTR),
    address(SQL_ATTR_PARAMS_PROCESSED_PTR),
    address(SQL_ATTR_ROW_OPERATION_PTR),
    address(SQL_ATTR_ROW_STATUS_PTR),
    address(SQL_ATTR_ROWS_FETCHED_PTR),
    storedAddress(SQL_ATTR_ROW_BIND_OFFSET_PTR),
    storedAddress(SQL_ATTR_APP_ROW_DESC),
    storedAddress(SQL_ATTR_APP_PARAM_DESC),
    storedAddress(SQL_ATTR_IMP_ROW_DESC),
    storedAddress(SQL_ATTR_IMP_PARAM_DESC),
};

// Widths as the descriptor answers its fields; the ODBC 2 column ids, which it does not store,
// at their ODBC widths.
constexpr Rule descRules[] = {
    named(SQL_DESC_TYPE, constants::sqlTypes, Width::Int16),
    named(SQL_DESC_CONCISE_TYPE, constants::sqlTypes, Width::Int16),
    number(SQL_DESC_LENGTH, Width::UInt64),
    number(SQL_DESC_OCTET_LENGTH, Width::Int64),
    number(SQL_COLUMN_LENGTH, Width::Int32),
    number(SQL_DESC_DISPLAY_SIZE, Width::Int64),
    number(SQL_DESC_ARRAY_SIZE, Width::UInt64),
    number(SQL_DESC_DATETIME_INTERVAL_PRECISION, Width::Int32),
    number(SQL_DESC_NUM_PREC_RADIX, Width::Int32),
    number(SQL_DESC_PRECISION, Width::Int16),
    number(SQL_DESC_SCALE, Width::Int16),
    number(SQL_DESC_COUNT, Width::Int16),
    number(SQL_COLUMN_PRECISION, Width::Int16),
    number(SQL_COLUMN_SCALE, Width::Int16),
    number(SQL_DESC_FIXED_PREC_SCALE, Width::Int16),
    named(SQL_DESC_DATETIME_INTERVAL_CODE, constants::datetimeIntervalCodes, Width::Int16),
    named(SQL_DESC_NULLABLE, constants::nullables, Width::Int16),
    named(SQL_COLUMN_NULLABLE, constants::nullables, Width::Int16),
    named(SQL_DESC_UNNAMED, constants::unnamed, Width::Int16),
    named(SQL_DESC_ALLOC_TYPE, constants::allocTypes, Width::Int16),
    boolean(SQL_DESC_UNSIGNED, Width::Int16),
    boolean(SQL_DESC_AUTO_UNIQUE_VALUE, Width::Int32),
    boolean(SQL_DESC_CASE_SENSITIVE, Width::Int32),
    boolean(SQL_DESC_ROWVER, Width::Int16),
    named(SQL_DESC_UPDATABLE, constants::updatables, Width::Int16),
    named(SQL_DESC_SEARCHABLE, constants::searchables, Width::Int16),
    named(SQL_DESC_PARAMETER_TYPE, constants::paramTypes, Width::Int16),
    bindType(SQL_DESC_BIND_TYPE, "SQL_PARAM_BIND_BY_COLUMN", Width::Int32),
    text(SQL_DESC_NAME),
    text(SQL_COLUMN_NAME),
    text(SQL_DESC_TYPE_NAME),
    text(SQL_DESC_TABLE_NAME),
    text(SQL_DESC_SCHEMA_NAME),
    text(SQL_DESC_CATALOG_NAME),
    text(SQL_DESC_LABEL),
    text(SQL_DESC_BASE_COLUMN_NAME),
    text(SQL_DESC_BASE_TABLE_NAME),
    text(SQL_DESC_LITERAL_PREFIX),
    text(SQL_DESC_LITERAL_SUFFIX),
    text(SQL_DESC_LOCAL_TYPE_NAME),
    address(SQL_DESC_OCTET_LENGTH_PTR),
    address(SQL_DESC_INDICATOR_PTR),
    address(SQL_DESC_DATA_PTR),
    address(SQL_DESC_ARRAY_STATUS_PTR),
    address(SQL_DESC_BIND_OFFSET_PTR),
    address(SQL_DESC_ROWS_PROCESSED_PTR),
};

constexpr Rule diagRules[] = {
    number(SQL_DIAG_RETURNCODE, Width::Int16),
    number(SQL_DIAG_NUMBER, Width::Int32),
    number(SQL_DIAG_ROW_COUNT, Width::Int64),
    number(SQL_DIAG_NATIVE, Width::Int32),
    number(SQL_DIAG_DYNAMIC_FUNCTION_CODE, Width::Int32),
    number(SQL_DIAG_CURSOR_ROW_COUNT, Width::Int64),
    number(SQL_DIAG_ROW_NUMBER, Width::Int64),
    number(SQL_DIAG_COLUMN_NUMBER, Width::Int32),
    text(SQL_DIAG_SQLSTATE),
    text(SQL_DIAG_MESSAGE_TEXT),
    text(SQL_DIAG_DYNAMIC_FUNCTION),
    text(SQL_DIAG_CLASS_ORIGIN),
    text(SQL_DIAG_SUBCLASS_ORIGIN),
    text(SQL_DIAG_CONNECTION_NAME),
    text(SQL_DIAG_SERVER_NAME),
};

// How each number-valued SQLGetInfo item is written. The width is not here: it is the one the
// connection writes the item with (infoKind).
struct InfoRule {
  SQLUSMALLINT id;
  Format format;
  const ConstantTable* table;
};

constexpr InfoRule infoNumber(SQLUSMALLINT infoType) { return {infoType, Format::Number, nullptr}; }
constexpr InfoRule infoNamed(SQLUSMALLINT infoType, const ConstantTable& table) {
  return {infoType, Format::Name, &table};
}
constexpr InfoRule infoFlags(SQLUSMALLINT infoType, const ConstantTable& table) {
  return {infoType, Format::Flags, &table};
}

constexpr InfoRule infoRules[] = {
    infoNumber(SQL_ACTIVE_ENVIRONMENTS),
    infoFlags(SQL_AGGREGATE_FUNCTIONS, constants::aggregateFunctions),
    infoFlags(SQL_ALTER_DOMAIN, constants::alterDomain),
    infoFlags(SQL_ALTER_TABLE, constants::alterTable),
    infoNamed(SQL_ASYNC_MODE, constants::asyncModes),
    infoFlags(SQL_BATCH_ROW_COUNT, constants::batchRowCount),
    infoFlags(SQL_BATCH_SUPPORT, constants::batchSupport),
    infoFlags(SQL_BOOKMARK_PERSISTENCE, constants::bookmarkPersistence),
    infoNamed(SQL_CATALOG_LOCATION, constants::catalogLocations),
    infoFlags(SQL_CATALOG_USAGE, constants::catalogUsage),
    infoNamed(SQL_CONCAT_NULL_BEHAVIOR, constants::concatNullBehaviors),
    infoFlags(SQL_CONVERT_BIGINT, constants::conversions),
    infoFlags(SQL_CONVERT_BINARY, constants::conversions),
    infoFlags(SQL_CONVERT_BIT, constants::conversions),
    infoFlags(SQL_CONVERT_CHAR, constants::conversions),
    infoFlags(SQL_CONVERT_DATE, constants::conversions),
    infoFlags(SQL_CONVERT_DECIMAL, constants::conversions),
    infoFlags(SQL_CONVERT_DOUBLE, constants::conversions),
    infoFlags(SQL_CONVERT_FLOAT, constants::conversions),
    infoFlags(SQL_CONVERT_INTEGER, constants::conversions),
    infoFlags(SQL_CONVERT_INTERVAL_YEAR_MONTH, constants::conversions),
    infoFlags(SQL_CONVERT_INTERVAL_DAY_TIME, constants::conversions),
    infoFlags(SQL_CONVERT_LONGVARBINARY, constants::conversions),
    infoFlags(SQL_CONVERT_LONGVARCHAR, constants::conversions),
    infoFlags(SQL_CONVERT_NUMERIC, constants::conversions),
    infoFlags(SQL_CONVERT_REAL, constants::conversions),
    infoFlags(SQL_CONVERT_SMALLINT, constants::conversions),
    infoFlags(SQL_CONVERT_TIME, constants::conversions),
    infoFlags(SQL_CONVERT_TIMESTAMP, constants::conversions),
    infoFlags(SQL_CONVERT_TINYINT, constants::conversions),
    infoFlags(SQL_CONVERT_VARBINARY, constants::conversions),
    infoFlags(SQL_CONVERT_VARCHAR, constants::conversions),
    infoFlags(SQL_CONVERT_FUNCTIONS, constants::convertFunctions),
    infoNamed(SQL_CORRELATION_NAME, constants::correlationNames),
    infoFlags(SQL_CREATE_ASSERTION, constants::createAssertion),
    infoFlags(SQL_CREATE_CHARACTER_SET, constants::createCharacterSet),
    infoFlags(SQL_CREATE_COLLATION, constants::createCollation),
    infoFlags(SQL_CREATE_DOMAIN, constants::createDomain),
    infoFlags(SQL_CREATE_SCHEMA, constants::createSchema),
    infoFlags(SQL_CREATE_TABLE, constants::createTable),
    infoFlags(SQL_CREATE_TRANSLATION, constants::createTranslation),
    infoFlags(SQL_CREATE_VIEW, constants::createView),
    infoNamed(SQL_CURSOR_COMMIT_BEHAVIOR, constants::cursorBehaviors),
    infoNamed(SQL_CURSOR_ROLLBACK_BEHAVIOR, constants::cursorBehaviors),
    infoNamed(SQL_CURSOR_SENSITIVITY, constants::cursorSensitivities),
    infoFlags(SQL_DATETIME_LITERALS, constants::datetimeLiterals),
    infoFlags(SQL_DDL_INDEX, constants::ddlIndex),
    infoNamed(SQL_DEFAULT_TXN_ISOLATION, constants::txnIsolation),
    infoFlags(SQL_DROP_ASSERTION, constants::dropAssertion),
    infoFlags(SQL_DROP_CHARACTER_SET, constants::dropCharacterSet),
    infoFlags(SQL_DROP_COLLATION, constants::dropCollation),
    infoFlags(SQL_DROP_DOMAIN, constants::dropDomain),
    infoFlags(SQL_DROP_SCHEMA, constants::dropSchema),
    infoFlags(SQL_DROP_TABLE, constants::dropTable),
    infoFlags(SQL_DROP_TRANSLATION, constants::dropTranslation),
    infoFlags(SQL_DROP_VIEW, constants::dropView),
    infoFlags(SQL_DYNAMIC_CURSOR_ATTRIBUTES1, constants::cursorAttributes1),
    infoFlags(SQL_DYNAMIC_CURSOR_ATTRIBUTES2, constants::cursorAttributes2),
    infoFlags(SQL_FETCH_DIRECTION, constants::fetchDirections),
    infoNamed(SQL_FILE_USAGE, constants::fileUsages),
    infoFlags(SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, constants::cursorAttributes1),
    infoFlags(SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, constants::cursorAttributes2),
    infoFlags(SQL_GETDATA_EXTENSIONS, constants::getDataExtensions),
    infoNamed(SQL_GROUP_BY, constants::groupBy),
    infoNamed(SQL_IDENTIFIER_CASE, constants::identifierCases),
    infoFlags(SQL_INDEX_KEYWORDS, constants::indexKeywords),
    infoFlags(SQL_INFO_SCHEMA_VIEWS, constants::infoSchemaViews),
    infoFlags(SQL_INSERT_STATEMENT, constants::insertStatement),
    infoFlags(SQL_KEYSET_CURSOR_ATTRIBUTES1, constants::cursorAttributes1),
    infoFlags(SQL_KEYSET_CURSOR_ATTRIBUTES2, constants::cursorAttributes2),
    infoFlags(SQL_LOCK_TYPES, constants::lockTypeFlags),
    infoNumber(SQL_MAX_ASYNC_CONCURRENT_STATEMENTS),
    infoNumber(SQL_MAX_BINARY_LITERAL_LEN),
    infoNumber(SQL_MAX_CATALOG_NAME_LEN),
    infoNumber(SQL_MAX_CHAR_LITERAL_LEN),
    infoNumber(SQL_MAX_COLUMN_NAME_LEN),
    infoNumber(SQL_MAX_COLUMNS_IN_GROUP_BY),
    infoNumber(SQL_MAX_COLUMNS_IN_INDEX),
    infoNumber(SQL_MAX_COLUMNS_IN_ORDER_BY),
    infoNumber(SQL_MAX_COLUMNS_IN_SELECT),
    infoNumber(SQL_MAX_COLUMNS_IN_TABLE),
    infoNumber(SQL_MAX_CONCURRENT_ACTIVITIES),
    infoNumber(SQL_MAX_CURSOR_NAME_LEN),
    infoNumber(SQL_MAX_DRIVER_CONNECTIONS),
    infoNumber(SQL_MAX_IDENTIFIER_LEN),
    infoNumber(SQL_MAX_INDEX_SIZE),
    infoNumber(SQL_MAX_PROCEDURE_NAME_LEN),
    infoNumber(SQL_MAX_ROW_SIZE),
    infoNumber(SQL_MAX_SCHEMA_NAME_LEN),
    infoNumber(SQL_MAX_STATEMENT_LEN),
    infoNumber(SQL_MAX_TABLE_NAME_LEN),
    infoNumber(SQL_MAX_TABLES_IN_SELECT),
    infoNumber(SQL_MAX_USER_NAME_LEN),
    infoNamed(SQL_NON_NULLABLE_COLUMNS, constants::nonNullableColumns),
    infoNamed(SQL_NULL_COLLATION, constants::nullCollations),
    infoFlags(SQL_NUMERIC_FUNCTIONS, constants::numericFunctions),
    infoNamed(SQL_ODBC_API_CONFORMANCE, constants::odbcApiConformance),
    infoNamed(SQL_ODBC_INTERFACE_CONFORMANCE, constants::odbcInterfaceConformance),
    infoNamed(SQL_ODBC_SQL_CONFORMANCE, constants::odbcSqlConformance),
    infoFlags(SQL_OJ_CAPABILITIES, constants::outerJoins),
    infoNamed(SQL_PARAM_ARRAY_ROW_COUNTS, constants::paramArrayRowCounts),
    infoNamed(SQL_PARAM_ARRAY_SELECTS, constants::paramArraySelects),
    infoFlags(SQL_POS_OPERATIONS, constants::posOperations),
    infoFlags(SQL_POSITIONED_STATEMENTS, constants::positionedStatements),
    infoNamed(SQL_QUOTED_IDENTIFIER_CASE, constants::quotedIdentifierCases),
    infoFlags(SQL_SCHEMA_USAGE, constants::schemaUsage),
    infoFlags(SQL_SCROLL_CONCURRENCY, constants::scrollConcurrency),
    infoFlags(SQL_SCROLL_OPTIONS, constants::scrollOptions),
    infoNamed(SQL_SQL_CONFORMANCE, constants::sqlConformance),
    infoFlags(SQL_SQL92_DATETIME_FUNCTIONS, constants::sql92DatetimeFunctions),
    infoFlags(SQL_SQL92_FOREIGN_KEY_DELETE_RULE, constants::sql92ForeignKeyDeleteRule),
    infoFlags(SQL_SQL92_FOREIGN_KEY_UPDATE_RULE, constants::sql92ForeignKeyUpdateRule),
    infoFlags(SQL_SQL92_GRANT, constants::sql92Grant),
    infoFlags(SQL_SQL92_NUMERIC_VALUE_FUNCTIONS, constants::sql92NumericValueFunctions),
    infoFlags(SQL_SQL92_PREDICATES, constants::sql92Predicates),
    infoFlags(SQL_SQL92_RELATIONAL_JOIN_OPERATORS, constants::sql92RelationalJoinOperators),
    infoFlags(SQL_SQL92_REVOKE, constants::sql92Revoke),
    infoFlags(SQL_SQL92_ROW_VALUE_CONSTRUCTOR, constants::sql92RowValueConstructor),
    infoFlags(SQL_SQL92_STRING_FUNCTIONS, constants::sql92StringFunctions),
    infoFlags(SQL_SQL92_VALUE_EXPRESSIONS, constants::sql92ValueExpressions),
    infoNamed(SQL_STANDARD_CLI_CONFORMANCE, constants::standardCliConformance),
    infoFlags(SQL_STATIC_CURSOR_ATTRIBUTES1, constants::cursorAttributes1),
    infoFlags(SQL_STATIC_CURSOR_ATTRIBUTES2, constants::cursorAttributes2),
    infoFlags(SQL_STATIC_SENSITIVITY, constants::staticSensitivity),
    infoFlags(SQL_STRING_FUNCTIONS, constants::stringFunctions),
    infoFlags(SQL_SUBQUERIES, constants::subqueries),
    infoFlags(SQL_SYSTEM_FUNCTIONS, constants::systemFunctions),
    infoFlags(SQL_TIMEDATE_ADD_INTERVALS, constants::timedateIntervals),
    infoFlags(SQL_TIMEDATE_DIFF_INTERVALS, constants::timedateIntervals),
    infoFlags(SQL_TIMEDATE_FUNCTIONS, constants::timedateFunctions),
    infoNamed(SQL_TXN_CAPABLE, constants::txnCapable),
    infoFlags(SQL_TXN_ISOLATION_OPTION, constants::txnIsolation),
    infoFlags(SQL_UNION, constants::unions),
};

template <typename Item, std::size_t count>
const Item* find(const Item (&items)[count], SQLINTEGER id) {
  for (const Item& item : items) {
    if (static_cast<SQLINTEGER>(item.id) == id) return &item;
  }
  return nullptr;
}

// The value in the low bits, widened from the item's width with its sign.
std::uint64_t widen(std::uint64_t bits, Width width) {
  switch (width) {
    case Width::Int16:
      return static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int16_t>(bits)));
    case Width::UInt16:
      return static_cast<std::uint16_t>(bits);
    case Width::Int32:
      return static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(bits)));
    case Width::UInt32:
      return static_cast<std::uint32_t>(bits);
    default:
      return bits;
  }
}

// Only the item's own bytes are read: a 16-bit answer leaves the rest of the buffer untouched.
std::uint64_t readStored(const void* buffer, Width width) {
  switch (width) {
    case Width::Int16:
    case Width::UInt16:
      return widen(loadAppValue<std::uint16_t>(buffer), width);
    case Width::Int32:
    case Width::UInt32:
      return widen(loadAppValue<std::uint32_t>(buffer), width);
    case Width::Pointer:
      return reinterpret_cast<std::uintptr_t>(loadAppValue<const void*>(buffer));
    default:
      return loadAppValue<std::uint64_t>(buffer);
  }
}

bool isSigned(Width width) {
  return width == Width::Int16 || width == Width::Int32 || width == Width::Int64;
}

std::string decimal(std::uint64_t value, Width width) {
  return isSigned(width) ? std::to_string(static_cast<std::int64_t>(value))
                         : std::to_string(value);
}

const void* asAddress(std::uint64_t value) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(value));
}

// A number-valued item whose value, widened from the rule's width, is `value`.
std::string numberText(const Rule& rule, std::uint64_t value) {
  switch (rule.format) {
    case Format::Name:
      return constantName(static_cast<std::int32_t>(value), *rule.table);
    case Format::Flags:
      return flagNames(static_cast<std::uint32_t>(value), *rule.table);
    case Format::BindType:
      return value == 0 ? rule.zeroName : decimal(value, rule.width);
    case Format::Address:
    case Format::StoredAddress:
      return hexPointerText(asAddress(value));
    default:
      return decimal(value, rule.width);
  }
}

using TextReader = std::string (*)(const void* text, SQLINTEGER length);

std::string narrowText(const void* text, SQLINTEGER length) {
  return boundedText(static_cast<const char*>(text), length);
}

std::string wideText(const void* text, SQLINTEGER byteLength) {
  return boundedWideText(static_cast<const SQLWCHAR*>(text), byteLength);
}

// What a Set call passes: the number in the pointer argument, or a string with its length.
// It stands in the replay's call line, so an item the formatter does not know is written as
// the address it passed, and a text as a C literal.
std::string setValueText(const Rule* rule, SQLPOINTER value, SQLINTEGER length,
                         TextReader readText) {
  if (rule == nullptr) return hexPointerText(value);
  if (rule->format == Format::Text) {
    return value == nullptr ? "NULL" : cLiteral(readText(value, length));
  }
  return numberText(*rule, widen(reinterpret_cast<std::uintptr_t>(value), rule->width));
}

// What a Get call left in the application's buffer of `length` bytes.
std::string outputText(const Rule* rule, const char* unknown, const void* buffer,
                       SQLINTEGER length, TextReader readText) {
  if (rule == nullptr) return unknown;
  if (buffer == nullptr) return "NULL";
  switch (rule->format) {
    case Format::Text:
      return cLiteral(readText(buffer, length));
    case Format::Address:
      return hexPointerText(buffer);
    default:
      return numberText(*rule, readStored(buffer, rule->width));
  }
}

const char* const unknownEnvAttribute = "unknown env attribute";
const char* const unknownConnectAttribute = "unknown connect attribute";
const char* const unknownStmtAttribute = "unknown statement attribute";
const char* const unknownDescField = "unknown descriptor field";
const char* const unknownInfoType = "unknown getinfo type";
const char* const unknownDiagField = "unknown diag info";

}  // namespace

std::string formatEnvAttrValue(SQLINTEGER attribute, SQLPOINTER value) {
  return setValueText(find(envRules, attribute), value, 0, narrowText);
}

std::string formatEnvAttrOutput(SQLINTEGER attribute, const void* buffer) {
  return outputText(find(envRules, attribute), unknownEnvAttribute, buffer, 0, narrowText);
}

std::string formatConnectAttrValue(SQLINTEGER attribute, SQLPOINTER value,
                                   SQLINTEGER stringLength) {
  return setValueText(find(connectRules, attribute), value, stringLength,
                      narrowText);
}

std::string formatConnectAttrValueW(SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER stringLength) {
  return setValueText(find(connectRules, attribute), value, stringLength,
                      wideText);
}

std::string formatConnectAttrOutput(SQLINTEGER attribute, const void* buffer,
                                    SQLINTEGER bufferLength) {
  return outputText(find(connectRules, attribute), unknownConnectAttribute, buffer, bufferLength,
                    narrowText);
}

std::string formatConnectAttrOutputW(SQLINTEGER attribute, const void* buffer,
                                     SQLINTEGER bufferLength) {
  return outputText(find(connectRules, attribute), unknownConnectAttribute, buffer, bufferLength,
                    wideText);
}

std::string formatStmtAttrValue(SQLINTEGER attribute, SQLPOINTER value) {
  return setValueText(find(stmtRules, attribute), value, 0, narrowText);
}

std::string formatStmtAttrOutput(SQLINTEGER attribute, const void* buffer) {
  return outputText(find(stmtRules, attribute), unknownStmtAttribute, buffer, 0, narrowText);
}

std::string formatDescFieldValue(SQLSMALLINT field, SQLPOINTER value, SQLINTEGER bufferLength) {
  return setValueText(find(descRules, field), value, bufferLength, narrowText);
}

std::string formatDescFieldValueW(SQLSMALLINT field, SQLPOINTER value, SQLINTEGER bufferLength) {
  return setValueText(find(descRules, field), value, bufferLength, wideText);
}

std::string formatDescFieldOutput(SQLSMALLINT field, const void* buffer,
                                  SQLINTEGER bufferLength) {
  return outputText(find(descRules, field), unknownDescField, buffer, bufferLength, narrowText);
}

std::string formatDescFieldOutputW(SQLSMALLINT field, const void* buffer,
                                   SQLINTEGER bufferLength) {
  return outputText(find(descRules, field), unknownDescField, buffer, bufferLength, wideText);
}

namespace {

std::string infoText(SQLUSMALLINT infoType, const void* buffer, SQLSMALLINT bufferLength,
                     TextReader readText) {
  switch (infoKind(infoType)) {
    case InfoKind::Text: {
      const Rule rule = text(infoType);
      return outputText(&rule, unknownInfoType, buffer, bufferLength, readText);
    }
    case InfoKind::U16:
    case InfoKind::U32: {
      const InfoRule* found = find(infoRules, infoType);
      if (found == nullptr) return unknownInfoType;
      const Width width = infoKind(infoType) == InfoKind::U16 ? Width::UInt16 : Width::UInt32;
      const Rule rule{infoType, found->format, width, found->table, nullptr};
      return outputText(&rule, unknownInfoType, buffer, bufferLength, readText);
    }
    default:
      return unknownInfoType;
  }
}

}  // namespace

std::string formatInfoValue(SQLUSMALLINT infoType, const void* buffer, SQLSMALLINT bufferLength) {
  return infoText(infoType, buffer, bufferLength, narrowText);
}

std::string formatInfoValueW(SQLUSMALLINT infoType, const void* buffer, SQLSMALLINT bufferLength) {
  return infoText(infoType, buffer, bufferLength, wideText);
}

std::string formatDiagFieldValue(SQLSMALLINT field, const void* buffer, SQLSMALLINT bufferLength) {
  return outputText(find(diagRules, field), unknownDiagField, buffer, bufferLength, narrowText);
}
