#pragma once
// Every SQLGetInfo item a connection answers: one row per item, giving the answer operation's
// name (Connection::getInfo + Name), the info type, the width the answer is written at, and the
// base answer. The rows give the answer operations their order among Connection's virtual
// operations.
//
// The width is fixed per item, also where a subclass changes the value: U16 items are written as
// SQLUSMALLINT, U32 items as SQLUINTEGER, Text items as strings. The trace reads answers back at
// the same width through infoKind().
#include "platform/Odbc.h"

// Base answers of Text rows are expressions evaluated inside Connection.
#define KARVOD_INFO_ITEMS(X) \
  X(AccessibleProcedures, SQL_ACCESSIBLE_PROCEDURES, Text, "Y") \
  X(AccessibleTables, SQL_ACCESSIBLE_TABLES, Text, "Y") \
  X(ActiveEnvironments, SQL_ACTIVE_ENVIRONMENTS, U16, 0) \
  X(AggregateFunctions, SQL_AGGREGATE_FUNCTIONS, U32, 0x7F) \
  X(AlterDomain, SQL_ALTER_DOMAIN, U32, 0x9F) \
  X(AlterTable, SQL_ALTER_TABLE, U32, 0x4EFE8) \
  X(AsyncMode, SQL_ASYNC_MODE, U32, 0) \
  X(BatchRowCount, SQL_BATCH_ROW_COUNT, U32, 7) \
  X(BatchSupport, SQL_BATCH_SUPPORT, U32, 0xF) \
  X(BookmarkPersistence, SQL_BOOKMARK_PERSISTENCE, U32, 0) \
  X(CatalogLocation, SQL_CATALOG_LOCATION, U16, 1) \
  X(CatalogName, SQL_CATALOG_NAME, Text, "Y") \
  X(CatalogNameSeparator, SQL_CATALOG_NAME_SEPARATOR, Text, ".") \
  X(CatalogTerm, SQL_CATALOG_TERM, Text, "catalog") \
  X(CatalogUsage, SQL_CATALOG_USAGE, U32, 0x1F) \
  X(CollationSeq, SQL_COLLATION_SEQ, Text, "") \
  X(ColumnAlias, SQL_COLUMN_ALIAS, Text, "Y") \
  X(ConcatNullBehavior, SQL_CONCAT_NULL_BEHAVIOR, U16, 0) \
  X(ConvertBigint, SQL_CONVERT_BIGINT, U32, 0) \
  X(ConvertBinary, SQL_CONVERT_BINARY, U32, 0) \
  X(ConvertBit, SQL_CONVERT_BIT, U32, 0) \
  X(ConvertChar, SQL_CONVERT_CHAR, U32, 0) \
  X(ConvertDate, SQL_CONVERT_DATE, U32, 0) \
  X(ConvertDecimal, SQL_CONVERT_DECIMAL, U32, 0) \
  X(ConvertDouble, SQL_CONVERT_DOUBLE, U32, 0) \
  X(ConvertFloat, SQL_CONVERT_FLOAT, U32, 0) \
  X(ConvertInteger, SQL_CONVERT_INTEGER, U32, 0) \
  X(ConvertIntervalYearMonth, SQL_CONVERT_INTERVAL_YEAR_MONTH, U32, 0) \
  X(ConvertIntervalDayTime, SQL_CONVERT_INTERVAL_DAY_TIME, U32, 0) \
  X(ConvertLongvarbinary, SQL_CONVERT_LONGVARBINARY, U32, 0) \
  X(ConvertLongvarchar, SQL_CONVERT_LONGVARCHAR, U32, 0) \
  X(ConvertNumeric, SQL_CONVERT_NUMERIC, U32, 0) \
  X(ConvertReal, SQL_CONVERT_REAL, U32, 0) \
  X(ConvertSmallint, SQL_CONVERT_SMALLINT, U32, 0) \
  X(ConvertTime, SQL_CONVERT_TIME, U32, 0) \
  X(ConvertTimestamp, SQL_CONVERT_TIMESTAMP, U32, 0) \
  X(ConvertTinyint, SQL_CONVERT_TINYINT, U32, 0) \
  X(ConvertVarbinary, SQL_CONVERT_VARBINARY, U32, 0) \
  X(ConvertVarchar, SQL_CONVERT_VARCHAR, U32, 0) \
  X(ConvertFunctions, SQL_CONVERT_FUNCTIONS, U32, 3) \
  X(CorrelationName, SQL_CORRELATION_NAME, U16, 2) \
  X(CreateAssertion, SQL_CREATE_ASSERTION, U32, 0xF1) \
  X(CreateCharacterSet, SQL_CREATE_CHARACTER_SET, U32, 7) \
  X(CreateCollation, SQL_CREATE_COLLATION, U32, 1) \
  X(CreateDomain, SQL_CREATE_DOMAIN, U32, 1) \
  X(CreateSchema, SQL_CREATE_SCHEMA, U32, 7) \
  X(CreateTable, SQL_CREATE_TABLE, U32, 0x1E1D) \
  X(CreateTranslation, SQL_CREATE_TRANSLATION, U32, 1) \
  X(CreateView, SQL_CREATE_VIEW, U32, 3) \
  X(CursorCommitBehavior, SQL_CURSOR_COMMIT_BEHAVIOR, U16, 1) \
  X(CursorRollbackBehavior, SQL_CURSOR_ROLLBACK_BEHAVIOR, U16, 1) \
  X(CursorSensitivity, SQL_CURSOR_SENSITIVITY, U32, 1) \
  X(DataSourceName, SQL_DATA_SOURCE_NAME, Text, dataSourceName_) \
  X(DataSourceReadOnly, SQL_DATA_SOURCE_READ_ONLY, Text, "N") \
  X(DatabaseName, SQL_DATABASE_NAME, Text, database_) \
  X(DatetimeLiterals, SQL_DATETIME_LITERALS, U32, 0xFFFF) \
  X(DbmsName, SQL_DBMS_NAME, Text, "") \
  X(DbmsVer, SQL_DBMS_VER, Text, "") \
  X(DdlIndex, SQL_DDL_INDEX, U32, 3) \
  X(DefaultTxnIsolation, SQL_DEFAULT_TXN_ISOLATION, U32, 2) \
  X(DescribeParameter, SQL_DESCRIBE_PARAMETER, Text, "Y") \
  X(DriverName, SQL_DRIVER_NAME, Text, driverFileName()) \
  X(DriverOdbcVer, SQL_DRIVER_ODBC_VER, Text, driverOdbcVersion()) \
  X(DriverVer, SQL_DRIVER_VER, Text, odbcDriverVersion(platform::driverVersionText())) \
  X(DropAssertion, SQL_DROP_ASSERTION, U32, 1) \
  X(DropCharacterSet, SQL_DROP_CHARACTER_SET, U32, 1) \
  X(DropCollation, SQL_DROP_COLLATION, U32, 1) \
  X(DropDomain, SQL_DROP_DOMAIN, U32, 7) \
  X(DropSchema, SQL_DROP_SCHEMA, U32, 7) \
  X(DropTable, SQL_DROP_TABLE, U32, 7) \
  X(DropTranslation, SQL_DROP_TRANSLATION, U32, 1) \
  X(DropView, SQL_DROP_VIEW, U32, 7) \
  X(DynamicCursorAttributes1, SQL_DYNAMIC_CURSOR_ATTRIBUTES1, U32, 0) \
  X(DynamicCursorAttributes2, SQL_DYNAMIC_CURSOR_ATTRIBUTES2, U32, 0) \
  X(ExpressionsInOrderby, SQL_EXPRESSIONS_IN_ORDERBY, Text, "Y") \
  X(FetchDirection, SQL_FETCH_DIRECTION, U32, 1) \
  X(FileUsage, SQL_FILE_USAGE, U16, 0) \
  X(ForwardOnlyCursorAttributes1, SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, U32, 0x1E001) \
  X(ForwardOnlyCursorAttributes2, SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, U32, 0x4F89) \
  X(GetdataExtensions, SQL_GETDATA_EXTENSIONS, U32, 0xF) \
  X(GroupBy, SQL_GROUP_BY, U16, 4) \
  X(IdentifierCase, SQL_IDENTIFIER_CASE, U16, 4) \
  X(IdentifierQuoteChar, SQL_IDENTIFIER_QUOTE_CHAR, Text, "\"") \
  X(IndexKeywords, SQL_INDEX_KEYWORDS, U32, 3) \
  X(InfoSchemaViews, SQL_INFO_SCHEMA_VIEWS, U32, 0x7EFFFF) \
  X(InsertStatement, SQL_INSERT_STATEMENT, U32, 7) \
  X(Integrity, SQL_INTEGRITY, Text, "Y") \
  X(KeysetCursorAttributes1, SQL_KEYSET_CURSOR_ATTRIBUTES1, U32, 0) \
  X(KeysetCursorAttributes2, SQL_KEYSET_CURSOR_ATTRIBUTES2, U32, 0) \
  X(Keywords, SQL_KEYWORDS, Text, "") \
  X(LikeEscapeClause, SQL_LIKE_ESCAPE_CLAUSE, Text, "Y") \
  X(LockTypes, SQL_LOCK_TYPES, U32, 1) \
  X(MaxAsyncConcurrentStatements, SQL_MAX_ASYNC_CONCURRENT_STATEMENTS, U32, 0) \
  X(MaxBinaryLiteralLen, SQL_MAX_BINARY_LITERAL_LEN, U32, 0) \
  X(MaxCatalogNameLen, SQL_MAX_CATALOG_NAME_LEN, U16, 0) \
  X(MaxCharLiteralLen, SQL_MAX_CHAR_LITERAL_LEN, U32, 0) \
  X(MaxColumnNameLen, SQL_MAX_COLUMN_NAME_LEN, U16, 0) \
  X(MaxColumnsInGroupBy, SQL_MAX_COLUMNS_IN_GROUP_BY, U16, 0) \
  X(MaxColumnsInIndex, SQL_MAX_COLUMNS_IN_INDEX, U16, 0) \
  X(MaxColumnsInOrderBy, SQL_MAX_COLUMNS_IN_ORDER_BY, U16, 0) \
  X(MaxColumnsInSelect, SQL_MAX_COLUMNS_IN_SELECT, U16, 0) \
  X(MaxColumnsInTable, SQL_MAX_COLUMNS_IN_TABLE, U16, 0) \
  X(MaxConcurrentActivities, SQL_MAX_CONCURRENT_ACTIVITIES, U16, 0) \
  X(MaxCursorNameLen, SQL_MAX_CURSOR_NAME_LEN, U16, 0) \
  X(MaxDriverConnections, SQL_MAX_DRIVER_CONNECTIONS, U16, 0) \
  X(MaxIdentifierLen, SQL_MAX_IDENTIFIER_LEN, U16, 0) \
  X(MaxIndexSize, SQL_MAX_INDEX_SIZE, U32, 0) \
  X(MaxProcedureNameLen, SQL_MAX_PROCEDURE_NAME_LEN, U16, 0) \
  X(MaxRowSize, SQL_MAX_ROW_SIZE, U32, 0) \
  X(MaxRowSizeIncludesLong, SQL_MAX_ROW_SIZE_INCLUDES_LONG, Text, "Y") \
  X(MaxSchemaNameLen, SQL_MAX_SCHEMA_NAME_LEN, U16, 0) \
  X(MaxStatementLen, SQL_MAX_STATEMENT_LEN, U32, 0) \
  X(MaxTableNameLen, SQL_MAX_TABLE_NAME_LEN, U16, 0) \
  X(MaxTablesInSelect, SQL_MAX_TABLES_IN_SELECT, U16, 0) \
  X(MaxUserNameLen, SQL_MAX_USER_NAME_LEN, U16, 0) \
  X(MultResultSets, SQL_MULT_RESULT_SETS, Text, "Y") \
  X(MultipleActiveTxn, SQL_MULTIPLE_ACTIVE_TXN, Text, "Y") \
  X(NeedLongDataLen, SQL_NEED_LONG_DATA_LEN, Text, "Y") \
  X(NonNullableColumns, SQL_NON_NULLABLE_COLUMNS, U16, 1) \
  X(NullCollation, SQL_NULL_COLLATION, U16, 2) \
  X(NumericFunctions, SQL_NUMERIC_FUNCTIONS, U32, 0xFFFFFF) \
  X(OdbcApiConformance, SQL_ODBC_API_CONFORMANCE, U16, 1) \
  X(OdbcInterfaceConformance, SQL_ODBC_INTERFACE_CONFORMANCE, U32, 2) \
  X(OdbcGrammarConformance, SQL_ODBC_SQL_CONFORMANCE, U16, 1) \
  X(OjCapabilities, SQL_OJ_CAPABILITIES, U32, 0x7F) \
  X(OuterJoins, SQL_OUTER_JOINS, Text, "Y") \
  X(OrderByColumnsInSelect, SQL_ORDER_BY_COLUMNS_IN_SELECT, Text, "Y") \
  X(ParamArrayRowCounts, SQL_PARAM_ARRAY_ROW_COUNTS, U32, SQL_PARC_NO_BATCH) \
  X(ParamArraySelects, SQL_PARAM_ARRAY_SELECTS, U32, SQL_PAS_NO_SELECT) \
  X(PosOperations, SQL_POS_OPERATIONS, U32, 0x1F) \
  X(PositionedStatements, SQL_POSITIONED_STATEMENTS, U32, 0) \
  X(ProcedureTerm, SQL_PROCEDURE_TERM, Text, "procedure") \
  X(Procedures, SQL_PROCEDURES, Text, "Y") \
  X(QuotedIdentifierCase, SQL_QUOTED_IDENTIFIER_CASE, U16, 3) \
  X(RowUpdates, SQL_ROW_UPDATES, Text, "Y") \
  X(SchemaTerm, SQL_SCHEMA_TERM, Text, "schema") \
  X(SchemaUsage, SQL_SCHEMA_USAGE, U32, 0x15) \
  X(ScrollConcurrency, SQL_SCROLL_CONCURRENCY, U32, 1) \
  X(ScrollOptions, SQL_SCROLL_OPTIONS, U32, 0x1F) \
  X(SearchPatternEscape, SQL_SEARCH_PATTERN_ESCAPE, Text, "") \
  X(ServerName, SQL_SERVER_NAME, Text, server_) \
  X(SpecialCharacters, SQL_SPECIAL_CHARACTERS, Text, "") \
  X(SqlConformance, SQL_SQL_CONFORMANCE, U32, 8) \
  X(Sql92DatetimeFunctions, SQL_SQL92_DATETIME_FUNCTIONS, U32, 7) \
  X(Sql92ForeignKeyDeleteRule, SQL_SQL92_FOREIGN_KEY_DELETE_RULE, U32, 0xF) \
  X(Sql92ForeignKeyUpdateRule, SQL_SQL92_FOREIGN_KEY_UPDATE_RULE, U32, 0xF) \
  X(Sql92Grant, SQL_SQL92_GRANT, U32, 0x1FFF) \
  X(Sql92NumericValueFunctions, SQL_SQL92_NUMERIC_VALUE_FUNCTIONS, U32, 0x3F) \
  X(Sql92Predicates, SQL_SQL92_PREDICATES, U32, 0x3FFF) \
  X(Sql92RelationalJoinOperators, SQL_SQL92_RELATIONAL_JOIN_OPERATORS, U32, 0x3FF) \
  X(Sql92Revoke, SQL_SQL92_REVOKE, U32, 0x7FFF) \
  X(Sql92RowValueConstructor, SQL_SQL92_ROW_VALUE_CONSTRUCTOR, U32, 0xF) \
  X(Sql92StringFunctions, SQL_SQL92_STRING_FUNCTIONS, U32, 0xFF) \
  X(Sql92ValueExpressions, SQL_SQL92_VALUE_EXPRESSIONS, U32, 0xF) \
  X(StandardCliConformance, SQL_STANDARD_CLI_CONFORMANCE, U32, 2) \
  X(StaticCursorAttributes1, SQL_STATIC_CURSOR_ATTRIBUTES1, U32, 0x1FE4F) \
  X(StaticCursorAttributes2, SQL_STATIC_CURSOR_ATTRIBUTES2, U32, 0x5F89) \
  X(StaticSensitivity, SQL_STATIC_SENSITIVITY, U32, 0) \
  X(StringFunctions, SQL_STRING_FUNCTIONS, U32, 0xFFFFFF) \
  X(Subqueries, SQL_SUBQUERIES, U32, 0x1F) \
  X(SystemFunctions, SQL_SYSTEM_FUNCTIONS, U32, 7) \
  X(TableTerm, SQL_TABLE_TERM, Text, "table") \
  X(TimedateAddIntervals, SQL_TIMEDATE_ADD_INTERVALS, U32, 0x1FF) \
  X(TimedateDiffIntervals, SQL_TIMEDATE_DIFF_INTERVALS, U32, 0x1FF) \
  X(TimedateFunctions, SQL_TIMEDATE_FUNCTIONS, U32, 0x1FFFFF) \
  X(TxnCapable, SQL_TXN_CAPABLE, U16, 2) \
  X(TxnIsolationOption, SQL_TXN_ISOLATION_OPTION, U32, 2) \
  X(Union, SQL_UNION, U32, 3) \
  X(UserName, SQL_USER_NAME, Text, user_)

enum class InfoKind { None, U16, U32, Text };

// None for an info type the connection does not answer.
InfoKind infoKind(SQLUSMALLINT infoType);
