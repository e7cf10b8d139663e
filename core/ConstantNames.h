#pragma once
// The ODBC constant names the trace writes: one table per subject or constant family, each row a
// value and its name as sql.h / sqlext.h spell it. Tables are searched from their first row, so
// where two rows share a value the earlier one wins (SQL_CODE_DATE over SQL_CODE_YEAR,
// SQL_API_SQLCOLATTRIBUTE over SQL_API_SQLCOLATTRIBUTES, SQL_C_UBIGINT over SQL_C_BOOKMARK). The "flags" tables
// hold one row per bit plus the composite values the headers name (SQL_IK_ALL,
// SQL_CA2_MAX_ROWS_AFFECTS_ALL) and are read with flagNames; ODBC 2 aliases of a value
// (SQL_FD_FETCH_PREV, SQL_SCCO_OPT_TIMESTAMP) are left out so that no bit is named twice.
#include <cstddef>
#include <cstdint>
#include <string>

struct ConstantNameEntry {
  std::int32_t value;
  const char* name;
};

struct ConstantTable {
  const ConstantNameEntry* rows;
  std::size_t count;

  const ConstantNameEntry* begin() const { return rows; }
  const ConstantNameEntry* end() const { return rows + count; }
};

// The name of the first row whose value equals `value`; else the value as a number.
std::string constantName(std::int32_t value, const ConstantTable& table);

// The names of every row sharing at least one set bit with `value`, in row order, joined by
// " | "; the decimal value when no row matches (0 included).
std::string flagNames(std::uint32_t value, const ConstantTable& table);

namespace constants {

// Handles and return codes
extern const ConstantTable handleTypes;
extern const ConstantTable returnCodes;

// Buffer-length markers
extern const ConstantTable bufferLengths;

// Environment
extern const ConstantTable envAttributes;
extern const ConstantTable odbcVersions;
extern const ConstantTable booleans;

// Connection
extern const ConstantTable connectAttributes;
extern const ConstantTable txnIsolation;
extern const ConstantTable accessModes;
extern const ConstantTable asyncEnable;
extern const ConstantTable autocommit;
extern const ConstantTable driverCompletions;

// SQLGetInfo
extern const ConstantTable infoTypes;

// SQLGetInfo flags
extern const ConstantTable aggregateFunctions;
extern const ConstantTable alterDomain;
extern const ConstantTable alterTable;
extern const ConstantTable batchRowCount;
extern const ConstantTable batchSupport;
extern const ConstantTable bookmarkPersistence;
extern const ConstantTable catalogUsage;
extern const ConstantTable conversions;
extern const ConstantTable convertFunctions;
extern const ConstantTable createAssertion;
extern const ConstantTable createCharacterSet;
extern const ConstantTable createCollation;
extern const ConstantTable createDomain;
extern const ConstantTable createSchema;
extern const ConstantTable createTable;
extern const ConstantTable createTranslation;
extern const ConstantTable createView;
extern const ConstantTable datetimeLiterals;
extern const ConstantTable ddlIndex;
extern const ConstantTable dropAssertion;
extern const ConstantTable dropCharacterSet;
extern const ConstantTable dropCollation;
extern const ConstantTable dropDomain;
extern const ConstantTable dropSchema;
extern const ConstantTable dropTable;
extern const ConstantTable dropTranslation;
extern const ConstantTable dropView;
extern const ConstantTable cursorAttributes1;
extern const ConstantTable cursorAttributes2;
extern const ConstantTable getDataExtensions;
extern const ConstantTable fetchDirections;
extern const ConstantTable indexKeywords;
extern const ConstantTable infoSchemaViews;
extern const ConstantTable insertStatement;
extern const ConstantTable lockTypeFlags;
extern const ConstantTable numericFunctions;
extern const ConstantTable outerJoins;
extern const ConstantTable posOperations;
extern const ConstantTable positionedStatements;
extern const ConstantTable schemaUsage;
extern const ConstantTable scrollConcurrency;
extern const ConstantTable scrollOptions;
extern const ConstantTable sql92DatetimeFunctions;
extern const ConstantTable sql92ForeignKeyDeleteRule;
extern const ConstantTable sql92ForeignKeyUpdateRule;
extern const ConstantTable sql92Grant;
extern const ConstantTable sql92NumericValueFunctions;
extern const ConstantTable sql92Predicates;
extern const ConstantTable sql92RelationalJoinOperators;
extern const ConstantTable sql92Revoke;
extern const ConstantTable sql92RowValueConstructor;
extern const ConstantTable sql92StringFunctions;
extern const ConstantTable sql92ValueExpressions;
extern const ConstantTable staticSensitivity;
extern const ConstantTable stringFunctions;
extern const ConstantTable subqueries;
extern const ConstantTable systemFunctions;
extern const ConstantTable timedateIntervals;
extern const ConstantTable timedateFunctions;
extern const ConstantTable unions;

// SQLGetInfo values
extern const ConstantTable asyncModes;
extern const ConstantTable catalogLocations;
extern const ConstantTable concatNullBehaviors;
extern const ConstantTable correlationNames;
extern const ConstantTable cursorBehaviors;
extern const ConstantTable cursorSensitivities;
extern const ConstantTable fileUsages;
extern const ConstantTable groupBy;
extern const ConstantTable identifierCases;
extern const ConstantTable quotedIdentifierCases;
extern const ConstantTable nonNullableColumns;
extern const ConstantTable nullCollations;
extern const ConstantTable odbcApiConformance;
extern const ConstantTable odbcInterfaceConformance;
extern const ConstantTable odbcSqlConformance;
extern const ConstantTable paramArrayRowCounts;
extern const ConstantTable paramArraySelects;
extern const ConstantTable sqlConformance;
extern const ConstantTable standardCliConformance;
extern const ConstantTable txnCapable;

// Statement
extern const ConstantTable stmtAttributes;
extern const ConstantTable concurrencies;
extern const ConstantTable scrollables;
extern const ConstantTable cursorTypes;
extern const ConstantTable noscan;
extern const ConstantTable retrieveData;
extern const ConstantTable simulateCursors;
extern const ConstantTable useBookmarks;

// Descriptors and columns
extern const ConstantTable descFields;
extern const ConstantTable allocTypes;
extern const ConstantTable datetimeIntervalCodes;
extern const ConstantTable nullables;
extern const ConstantTable paramTypes;
extern const ConstantTable searchables;
extern const ConstantTable unnamed;
extern const ConstantTable updatables;

// Types
extern const ConstantTable sqlTypes;
extern const ConstantTable cTypes;

// Diagnostics
extern const ConstantTable diagFields;

// Functions
extern const ConstantTable functionIds;

// Statement-call arguments
extern const ConstantTable fetchOrientations;
extern const ConstantTable completionTypes;
extern const ConstantTable setPosOperations;
extern const ConstantTable lockTypes;
extern const ConstantTable bulkOperations;
extern const ConstantTable identifierTypes;
extern const ConstantTable scopes;
extern const ConstantTable indexUniqueness;
extern const ConstantTable accuracies;
extern const ConstantTable freeStmtOptions;

}  // namespace constants
