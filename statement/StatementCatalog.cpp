// The result shapes of the catalog functions and SQLGetTypeInfo: the columns each one declares,
// an empty in-memory row source for the back end's rows, and a static, read-only cursor.
#include <string>
#include <utility>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "core/SqlTypeClass.h"
#include "statement/Descriptor.h"
#include "statement/MemoryRecordset.h"
#include "statement/Statement.h"

// One declared column. Text columns carry the unsigned flag, as the type-information table
// has it; numbers are signed, since DATA_TYPE and SQL_DATA_TYPE hold negative type numbers.
struct CatalogColumn {
  const char* name;
  const char* odbc2Name;  // null when ODBC 2 knows the column by the same name
  SQLSMALLINT type;
  SQLSMALLINT nullable;
  bool odbc3Only;
};

namespace {

using Column = CatalogColumn;
constexpr SQLSMALLINT N = SQL_NULLABLE;
constexpr SQLSMALLINT NN = SQL_NO_NULLS;
constexpr SQLSMALLINT TEXT = SQL_VARCHAR;
constexpr SQLSMALLINT SHORT = SQL_SMALLINT;
constexpr SQLSMALLINT INT = SQL_INTEGER;

const Column columnPrivilegesColumns[] = {
    {"TABLE_CAT", "TABLE_QUALIFIER", TEXT, N, false},
    {"TABLE_SCHEM", "TABLE_OWNER", TEXT, N, false},
    {"TABLE_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_NAME", nullptr, TEXT, NN, false},
    {"GRANTOR", nullptr, TEXT, N, false},
    {"GRANTEE", nullptr, TEXT, NN, false},
    {"PRIVILEGE", nullptr, TEXT, NN, false},
    {"IS_GRANTABLE", nullptr, TEXT, N, false},
};

const Column columnsColumns[] = {
    {"TABLE_CAT", "TABLE_QUALIFIER", TEXT, N, false},
    {"TABLE_SCHEM", "TABLE_OWNER", TEXT, N, false},
    {"TABLE_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_NAME", nullptr, TEXT, NN, false},
    {"DATA_TYPE", nullptr, SHORT, NN, false},
    {"TYPE_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_SIZE", "PRECISION", INT, N, false},
    {"BUFFER_LENGTH", "LENGTH", INT, N, false},
    {"DECIMAL_DIGITS", "SCALE", SHORT, N, false},
    {"NUM_PREC_RADIX", "RADIX", SHORT, N, false},
    {"NULLABLE", nullptr, SHORT, NN, false},
    {"REMARKS", nullptr, TEXT, N, false},
    {"COLUMN_DEF", nullptr, TEXT, N, true},
    {"SQL_DATA_TYPE", nullptr, SHORT, NN, true},
    {"SQL_DATETIME_SUB", nullptr, SHORT, N, true},
    {"CHAR_OCTET_LENGTH", nullptr, INT, N, true},
    {"ORDINAL_POSITION", nullptr, INT, NN, true},
    {"IS_NULLABLE", nullptr, TEXT, N, true},
};

const Column foreignKeysColumns[] = {
    {"PKTABLE_CAT", "PKTABLE_QUALIFIER", TEXT, N, false},
    {"PKTABLE_SCHEM", "PKTABLE_OWNER", TEXT, N, false},
    {"PKTABLE_NAME", nullptr, TEXT, NN, false},
    {"PKCOLUMN_NAME", nullptr, TEXT, NN, false},
    {"FKTABLE_CAT", "FKTABLE_QUALIFIER", TEXT, N, false},
    {"FKTABLE_SCHEM", "FKTABLE_OWNER", TEXT, N, false},
    {"FKTABLE_NAME", nullptr, TEXT, NN, false},
    {"FKCOLUMN_NAME", nullptr, TEXT, NN, false},
    {"KEY_SEQ", nullptr, SHORT, NN, false},
    {"UPDATE_RULE", nullptr, SHORT, N, false},
    {"DELETE_RULE", nullptr, SHORT, N, false},
    {"FK_NAME", nullptr, TEXT, N, false},
    {"PK_NAME", nullptr, TEXT, N, false},
    {"DEFERRABILITY", nullptr, SHORT, N, true},
};

const Column primaryKeysColumns[] = {
    {"TABLE_CAT", "TABLE_QUALIFIER", TEXT, N, false},
    {"TABLE_SCHEM", "TABLE_OWNER", TEXT, N, false},
    {"TABLE_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_NAME", nullptr, TEXT, NN, false},
    {"KEY_SEQ", nullptr, SHORT, NN, false},
    {"PK_NAME", nullptr, TEXT, N, false},
};

const Column procedureColumnsColumns[] = {
    {"PROCEDURE_CAT", "PROCEDURE_QUALIFIER", TEXT, N, false},
    {"PROCEDURE_SCHEM", "PROCEDURE_OWNER", TEXT, N, false},
    {"PROCEDURE_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_TYPE", nullptr, SHORT, NN, false},
    {"DATA_TYPE", nullptr, SHORT, NN, false},
    {"TYPE_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_SIZE", "PRECISION", INT, N, false},
    {"BUFFER_LENGTH", "LENGTH", INT, N, false},
    {"DECIMAL_DIGITS", "SCALE", SHORT, N, false},
    {"NUM_PREC_RADIX", "RADIX", SHORT, N, false},
    {"NULLABLE", nullptr, SHORT, NN, false},
    {"REMARKS", nullptr, TEXT, N, false},
    {"COLUMN_DEF", nullptr, TEXT, N, true},
    {"SQL_DATA_TYPE", nullptr, SHORT, NN, true},
    {"SQL_DATETIME_SUB", nullptr, SHORT, N, true},
    {"CHAR_OCTET_LENGTH", nullptr, INT, N, true},
    {"ORDINAL_POSITION", nullptr, INT, NN, true},
    {"IS_NULLABLE", nullptr, TEXT, N, true},
};

const Column proceduresColumns[] = {
    {"PROCEDURE_CAT", "PROCEDURE_QUALIFIER", TEXT, N, false},
    {"PROCEDURE_SCHEM", "PROCEDURE_OWNER", TEXT, N, false},
    {"PROCEDURE_NAME", nullptr, TEXT, NN, false},
    {"NUM_INPUT_PARAMS", nullptr, SHORT, N, false},
    {"NUM_OUTPUT_PARAMS", nullptr, SHORT, N, false},
    {"NUM_RESULT_SETS", nullptr, SHORT, N, false},
    {"REMARKS", nullptr, TEXT, N, false},
    {"PROCEDURE_TYPE", nullptr, SHORT, N, false},
};

const Column specialColumnsColumns[] = {
    {"SCOPE", nullptr, SHORT, N, false},          {"COLUMN_NAME", nullptr, TEXT, NN, false},
    {"DATA_TYPE", nullptr, SHORT, NN, false},     {"TYPE_NAME", nullptr, TEXT, NN, false},
    {"COLUMN_SIZE", "PRECISION", INT, N, false},  {"BUFFER_LENGTH", "LENGTH", INT, N, false},
    {"DECIMAL_DIGITS", "SCALE", SHORT, N, false}, {"PSEUDO_COLUMN", nullptr, SHORT, N, false},
};

const Column statisticsColumns[] = {
    {"TABLE_CAT", "TABLE_QUALIFIER", TEXT, N, false},
    {"TABLE_SCHEM", "TABLE_OWNER", TEXT, N, false},
    {"TABLE_NAME", nullptr, TEXT, NN, false},
    {"NON_UNIQUE", nullptr, SHORT, N, false},
    {"INDEX_QUALIFIER", nullptr, TEXT, N, false},
    {"INDEX_NAME", nullptr, TEXT, N, false},
    {"TYPE", nullptr, SHORT, NN, false},
    {"ORDINAL_POSITION", "SEQ_IN_INDEX", SHORT, N, false},
    {"COLUMN_NAME", nullptr, TEXT, N, false},
    {"ASC_OR_DESC", "COLLATION", TEXT, N, false},
    {"CARDINALITY", nullptr, INT, N, false},
    {"PAGES", nullptr, INT, N, false},
    {"FILTER_CONDITION", nullptr, TEXT, N, false},
};

const Column tablePrivilegesColumns[] = {
    {"TABLE_CAT", "TABLE_QUALIFIER", TEXT, N, false},
    {"TABLE_SCHEM", "TABLE_OWNER", TEXT, N, false},
    {"TABLE_NAME", nullptr, TEXT, NN, false},
    {"GRANTOR", nullptr, TEXT, N, false},
    {"GRANTEE", nullptr, TEXT, NN, false},
    {"PRIVILEGE", nullptr, TEXT, NN, false},
    {"IS_GRANTABLE", nullptr, TEXT, N, false},
};

const Column tablesColumns[] = {
    {"TABLE_CAT", "TABLE_QUALIFIER", TEXT, N, false},
    {"TABLE_SCHEM", "TABLE_OWNER", TEXT, N, false},
    {"TABLE_NAME", nullptr, TEXT, N, false},
    {"TABLE_TYPE", nullptr, TEXT, N, false},
    {"REMARKS", nullptr, TEXT, N, false},
};

const Column typeInfoColumns[] = {
    {"TYPE_NAME", nullptr, TEXT, NN, false},
    {"DATA_TYPE", nullptr, SHORT, NN, false},
    {"COLUMN_SIZE", nullptr, INT, N, false},
    {"LITERAL_PREFIX", nullptr, TEXT, N, false},
    {"LITERAL_SUFFIX", nullptr, TEXT, N, false},
    {"CREATE_PARAMS", nullptr, TEXT, N, false},
    {"NULLABLE", nullptr, SHORT, NN, false},
    {"CASE_SENSITIVE", nullptr, SHORT, NN, false},
    {"SEARCHABLE", nullptr, SHORT, NN, false},
    {"UNSIGNED_ATTRIBUTE", nullptr, SHORT, N, false},
    {"FIXED_PREC_SCALE", nullptr, SHORT, NN, false},
    {"AUTO_UNIQUE_VALUE", nullptr, SHORT, N, false},
    {"LOCAL_TYPE_NAME", nullptr, TEXT, N, false},
    {"MINIMUM_SCALE", nullptr, SHORT, N, false},
    {"MAXIMUM_SCALE", nullptr, SHORT, N, false},
    {"SQL_DATA_TYPE", nullptr, SHORT, NN, false},
    {"SQL_DATETIME_SUB", nullptr, SHORT, N, false},
    {"NUM_PREC_RADIX", nullptr, INT, N, false},
    {"INTERVAL_PRECISION", nullptr, SHORT, N, false},
};

// The row operation of each type SQLGetTypeInfo takes; the ODBC 2 date-time numbers name the
// same types as the ODBC 3 ones. Any other type ODBC defines has no rows.
const std::pair<SQLSMALLINT, SQLRETURN (Statement::*)()> typeRows[] = {
    {SQL_ALL_TYPES, &Statement::addAllTypeInfo},
    {SQL_CHAR, &Statement::addTypeInfoChar},
    {SQL_VARCHAR, &Statement::addTypeInfoVarchar},
    {SQL_LONGVARCHAR, &Statement::addTypeInfoLongVarchar},
    {SQL_WCHAR, &Statement::addTypeInfoWChar},
    {SQL_WVARCHAR, &Statement::addTypeInfoWVarchar},
    {SQL_WLONGVARCHAR, &Statement::addTypeInfoWLongVarchar},
    {SQL_DECIMAL, &Statement::addTypeInfoDecimal},
    {SQL_NUMERIC, &Statement::addTypeInfoNumeric},
    {SQL_SMALLINT, &Statement::addTypeInfoSmallint},
    {SQL_INTEGER, &Statement::addTypeInfoInteger},
    {SQL_REAL, &Statement::addTypeInfoReal},
    {SQL_FLOAT, &Statement::addTypeInfoFloat},
    {SQL_DOUBLE, &Statement::addTypeInfoDouble},
    {SQL_BIT, &Statement::addTypeInfoBit},
    {SQL_TINYINT, &Statement::addTypeInfoTinyint},
    {SQL_BIGINT, &Statement::addTypeInfoBigint},
    {SQL_BINARY, &Statement::addTypeInfoBinary},
    {SQL_VARBINARY, &Statement::addTypeInfoVarbinary},
    {SQL_LONGVARBINARY, &Statement::addTypeInfoLongVarbinary},
    {SQL_TYPE_DATE, &Statement::addTypeInfoDate},
    {SQL_DATE, &Statement::addTypeInfoDate},
    {SQL_TYPE_TIME, &Statement::addTypeInfoTime},
    {SQL_TIME, &Statement::addTypeInfoTime},
    {SQL_TYPE_TIMESTAMP, &Statement::addTypeInfoTimestamp},
    {SQL_TIMESTAMP, &Statement::addTypeInfoTimestamp},
    {SQL_INTERVAL_MONTH, &Statement::addTypeInfoIntervalMonth},
    {SQL_INTERVAL_YEAR, &Statement::addTypeInfoIntervalYear},
    {SQL_INTERVAL_YEAR_TO_MONTH, &Statement::addTypeInfoIntervalYearToMonth},
    {SQL_INTERVAL_DAY, &Statement::addTypeInfoIntervalDay},
    {SQL_INTERVAL_HOUR, &Statement::addTypeInfoIntervalHour},
    {SQL_INTERVAL_MINUTE, &Statement::addTypeInfoIntervalMinute},
    {SQL_INTERVAL_SECOND, &Statement::addTypeInfoIntervalSecond},
    {SQL_INTERVAL_DAY_TO_HOUR, &Statement::addTypeInfoIntervalDayToHour},
    {SQL_INTERVAL_DAY_TO_MINUTE, &Statement::addTypeInfoIntervalDayToMinute},
    {SQL_INTERVAL_DAY_TO_SECOND, &Statement::addTypeInfoIntervalDayToSecond},
    {SQL_INTERVAL_HOUR_TO_MINUTE, &Statement::addTypeInfoIntervalHourToMinute},
    {SQL_INTERVAL_HOUR_TO_SECOND, &Statement::addTypeInfoIntervalHourToSecond},
    {SQL_INTERVAL_MINUTE_TO_SECOND, &Statement::addTypeInfoIntervalMinuteToSecond},
    {SQL_GUID, &Statement::addTypeInfoGuid},
};

}  // namespace

SQLRETURN Statement::openCatalogResult(const CatalogColumn* columns, std::size_t count,
                                       std::initializer_list<SQLINTEGER> lengths,
                                       std::initializer_list<CatalogName> catalogs,
                                       std::initializer_list<const char*> identifiers) {
  diagnostics_.clear();
  if (hasOpenResult()) return post("24000");
  for (SQLINTEGER length : lengths) {
    if (length < 0 && length != SQL_NTS) return post("HY090");
  }
  const InfoText catalogSupport = connection_->getInfoCatalogName();
  // Identifiers name one object each: there is no pattern a missing name could stand for.
  if (metadataId() == SQL_TRUE) {
    for (const CatalogName& catalog : catalogs) {
      if (catalogSupport == "Y" && catalog.text == nullptr) return post("HY009");
    }
    for (const char* identifier : identifiers) {
      if (identifier == nullptr) return post("HY009");
    }
  }
  if (catalogSupport == "N") {
    for (const CatalogName& catalog : catalogs) {
      const std::string name = stringFromSqlChars(catalog.text, catalog.length);
      if (!name.empty() && name != "%") return post("HYC00");
    }
  }
  resetResult();
  // Set as negotiation would set them, whatever the state: the state-checked setters would
  // refuse after a prepare or an execution and leave a forward-only cursor. The application's
  // own come back when this result ends.
  applicationCursor_ = CursorAttributes{cursorType_, concurrency_, cursorScrollable_,
                                        cursorSensitivity_};
  cursorType_ = SQL_CURSOR_STATIC;
  concurrency_ = SQL_CONCUR_READ_ONLY;
  cursorScrollable_ = SQL_SCROLLABLE;
  cursorSensitivity_ = SQL_INSENSITIVE;
  const bool odbc3 = behavesAsOdbc3();
  for (std::size_t k = 0; k < count; ++k) {
    const CatalogColumn& column = columns[k];
    if (column.odbc3Only && !odbc3) continue;
    const char* name = !odbc3 && column.odbc2Name != nullptr ? column.odbc2Name : column.name;
    ird_->addRecord(name, column.type, column.nullable, column.type == SQL_VARCHAR);
  }
  installRecordset(new MemoryRecordset(this));
  const SQLRETURN rc = giveRowBuffers();
  if (!SQL_SUCCEEDED(rc)) return rc;
  state_ = stateResultSet;
  return SQL_SUCCESS;
}

SQLRETURN Statement::columnPrivileges(const char* catalog, SQLINTEGER catalogLength,
                                      const char* schema, SQLINTEGER schemaLength,
                                      const char* table, SQLINTEGER tableLength, const char* column,
                                      SQLINTEGER columnLength) {
  return openCatalogResult(columnPrivilegesColumns,
                           {catalogLength, schemaLength, tableLength, columnLength},
                           {{catalog, catalogLength}}, {schema, table, column});
}

SQLRETURN Statement::columns(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                             SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                             const char* column, SQLINTEGER columnLength) {
  return openCatalogResult(columnsColumns, {catalogLength, schemaLength, tableLength, columnLength},
                           {{catalog, catalogLength}}, {schema, table, column});
}

SQLRETURN Statement::foreignKeys(const char* pkCatalog, SQLINTEGER pkCatalogLength,
                                 const char* pkSchema, SQLINTEGER pkSchemaLength,
                                 const char* pkTable, SQLINTEGER pkTableLength,
                                 const char* fkCatalog, SQLINTEGER fkCatalogLength,
                                 const char* fkSchema, SQLINTEGER fkSchemaLength,
                                 const char* fkTable, SQLINTEGER fkTableLength) {
  return openCatalogResult(foreignKeysColumns,
                           {pkCatalogLength, pkSchemaLength, pkTableLength, fkCatalogLength,
                            fkSchemaLength, fkTableLength},
                           {{pkCatalog, pkCatalogLength}, {fkCatalog, fkCatalogLength}},
                           {pkSchema, pkTable, fkSchema, fkTable});
}

SQLRETURN Statement::primaryKeys(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                                 SQLINTEGER schemaLength, const char* table,
                                 SQLINTEGER tableLength) {
  return openCatalogResult(primaryKeysColumns, {catalogLength, schemaLength, tableLength},
                           {{catalog, catalogLength}}, {schema, table});
}

SQLRETURN Statement::procedureColumns(const char* catalog, SQLINTEGER catalogLength,
                                      const char* schema, SQLINTEGER schemaLength,
                                      const char* procedure, SQLINTEGER procedureLength,
                                      const char* column, SQLINTEGER columnLength) {
  return openCatalogResult(procedureColumnsColumns,
                           {catalogLength, schemaLength, procedureLength, columnLength},
                           {{catalog, catalogLength}}, {schema, procedure, column});
}

SQLRETURN Statement::procedures(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                                SQLINTEGER schemaLength, const char* procedure,
                                SQLINTEGER procedureLength) {
  return openCatalogResult(proceduresColumns, {catalogLength, schemaLength, procedureLength},
                           {{catalog, catalogLength}}, {schema, procedure});
}

SQLRETURN Statement::specialColumns(SQLUSMALLINT, const char* catalog, SQLINTEGER catalogLength,
                                    const char* schema, SQLINTEGER schemaLength, const char* table,
                                    SQLINTEGER tableLength, SQLUSMALLINT, SQLUSMALLINT) {
  return openCatalogResult(specialColumnsColumns, {catalogLength, schemaLength, tableLength},
                           {{catalog, catalogLength}}, {schema, table});
}

SQLRETURN Statement::statistics(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                                SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                                SQLUSMALLINT, SQLUSMALLINT) {
  return openCatalogResult(statisticsColumns, {catalogLength, schemaLength, tableLength},
                           {{catalog, catalogLength}}, {schema, table});
}

SQLRETURN Statement::tablePrivileges(const char* catalog, SQLINTEGER catalogLength,
                                     const char* schema, SQLINTEGER schemaLength, const char* table,
                                     SQLINTEGER tableLength) {
  return openCatalogResult(tablePrivilegesColumns, {catalogLength, schemaLength, tableLength},
                           {{catalog, catalogLength}}, {schema, table});
}

// The table types are a list of values, not an identifier.
SQLRETURN Statement::tables(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                            SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                            const char*, SQLINTEGER tableTypeLength) {
  return openCatalogResult(tablesColumns,
                           {catalogLength, schemaLength, tableLength, tableTypeLength},
                           {{catalog, catalogLength}}, {schema, table});
}

SQLRETURN Statement::getTypeInfo(SQLSMALLINT dataType) {
  if (dataType != SQL_ALL_TYPES && !isSqlType(dataType)) {
    diagnostics_.clear();
    return post("HY004");
  }
  const SQLRETURN rc = openCatalogResult(typeInfoColumns, {}, {}, {});
  if (!SQL_SUCCEEDED(rc)) return rc;
  for (const auto& [type, addRows] : typeRows) {
    if (type == dataType) (this->*addRows)();
  }
  return SQL_SUCCESS;
}
