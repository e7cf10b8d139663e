#pragma once
// The statement handle object: one virtual operation per statement-level ODBC
// function and per statement attribute. It owns the ODBC state machine, its
// four implicit descriptors and its current row source; the server back end
// derives from it and overrides the execution hooks (executeSql,
// executeFinalizedQuery) and the literal formats of parameter substitution.
//
// The class spreads over several files: Statement.cpp (execution, data at
// execution, closing, cursor names), StatementResults.cpp (result description,
// SQLGetData, binding, the attribute routing), StatementAttributes.cpp (the
// per-attribute setters and getters), StatementParameters.cpp (parameter
// literals), StatementFetch.cpp (fetch and rowsets), StatementPositioned.cpp,
// StatementCatalog.cpp and StatementRows.cpp.
//
// Text is UTF-8 throughout. Refusals post their state with an empty message
// (the state's standard text), native error 0, column and row unknown. Every
// ODBC operation but cancel, getCursorName and the diagnostic readers begins by
// clearing the statement's diagnostics.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ConnectionChild.h"
#include "core/DiagnosticHeader.h"
#include "platform/Odbc.h"
#include "statement/Descriptor.h"

class Connection;
class Environment;
class Recordset;
struct CatalogColumn;
class TraceWriter;

// A cell of a catalog or type-information row: absent is SQL NULL.
using OptionalText = std::optional<std::string>;
using OptionalShort = std::optional<SQLSMALLINT>;
using OptionalInt = std::optional<SQLINTEGER>;

class Statement : public ConnectionChild {
 public:
  // The statement's states (field state_).
  static constexpr SQLUINTEGER stateClosed = 0;
  static constexpr SQLUINTEGER statePrepared = 1;
  static constexpr SQLUINTEGER stateExecuted = 3;
  static constexpr SQLUINTEGER stateResultSet = 4;
  static constexpr SQLUINTEGER stateFetched = 5;

  // Registers with the connection, which frees the statement when the
  // application does not.
  explicit Statement(Connection* connection);
  ~Statement() override;

  virtual bool isTracing() const;
  // The connection's trace; callers test isTracing() first.
  virtual TraceWriter& traceStream() const;
  virtual Connection* connection() const;
  virtual Environment* environment() const;
  // Hands the text to the connection's query log when the time since
  // startQueryTimer reaches the connection's threshold.
  virtual void logQueryIfSlow(const std::string& text);
  virtual void startQueryTimer();
  virtual DiagnosticHeader& diagnostics();

  // SQLFreeStmt: SQL_CLOSE, SQL_DROP, SQL_UNBIND, SQL_RESET_PARAMS ("HY092" for
  // others). SQL_DROP leaves an explicitly allocated application descriptor as
  // it is: other statements may share it.
  virtual SQLRETURN freeStmt(SQLUSMALLINT option);
  // SQLSetStmtAttr / SQLGetStmtAttr: routed to the per-attribute setters and
  // getters below. Unknown attributes are refused with "HY092" (nothing written
  // on get), a value outside those an attribute defines with "HY024".
  virtual SQLRETURN setStmtAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER stringLength);
  virtual SQLRETURN getStmtAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER bufferLength,
                                SQLINTEGER* stringLength);
  // SQLGetDiagRec with the connection's DBMS name in the message prefix.
  virtual SQLRETURN getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                               char* messageText, SQLSMALLINT bufferLength,
                               SQLSMALLINT* textLength);
  // SQLGetDiagField; SQL_DIAG_CONNECTION_NAME and SQL_DIAG_SERVER_NAME are the
  // connection's data source name.
  virtual SQLRETURN getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier, SQLPOINTER value,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* stringLength);
  // SQLError: the newest record, after which all records are gone (also when
  // the message was cut), so that an SQLError loop ends.
  virtual SQLRETURN error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                          SQLSMALLINT bufferLength, SQLSMALLINT* textLength);
  virtual SQLRETURN getTypeInfo(SQLSMALLINT dataType);
  // SQLColAttribute / SQLColAttributes; a cut string answers "01004".
  virtual SQLRETURN colAttribute(SQLUSMALLINT column, SQLUSMALLINT field,
                                 SQLPOINTER characterAttribute, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* stringLength, SQLLEN* numericAttribute);
  // SQLDescribeCol; a cut name answers "01004".
  virtual SQLRETURN describeCol(SQLUSMALLINT column, char* name, SQLSMALLINT bufferLength,
                                SQLSMALLINT* nameLength, SQLSMALLINT* dataType, SQLULEN* columnSize,
                                SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable);
  virtual SQLRETURN bindCol(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                            SQLLEN bufferLength, SQLLEN* lengthPtr);
  // The length/indicator word is installed as both OCTET_LENGTH_PTR and
  // INDICATOR_PTR and read when the statement executes.
  virtual SQLRETURN bindParameter(SQLUSMALLINT parameter, SQLSMALLINT ioType, SQLSMALLINT valueType,
                                  SQLSMALLINT parameterType, SQLULEN columnSize,
                                  SQLSMALLINT decimalDigits, SQLPOINTER value, SQLLEN bufferLength,
                                  SQLLEN* lengthPtr);
  // Rewrites a query into a server cursor declaration when positioned
  // operations need one and the connection allows it.
  virtual SQLRETURN declareCursor(std::string& text);
  // Installs the row source over a declared server cursor.
  virtual SQLRETURN openCursor();
  // Hook: runs one final text (parameters substituted) for parameter set `set`.
  // Nothing here.
  virtual SQLRETURN executeFinalizedQuery(const std::string& text, SQLULEN set);
  // Hooks for parameter sets in flight together (here every set waits for its own reply):
  // whether a final text may be sent without waiting for its reply (it makes no result);
  // whether it may go now, behind the sets in flight, or the oldest one's outcome is to be read
  // first; sending it, SQL_STILL_EXECUTING while its outcome is to come from readAhead, else its
  // outcome; and the outcome of the oldest set in flight, posted under that set's row.
  virtual bool sendsAhead(const std::string& text);
  virtual bool hasRoomAhead(const std::string& text);
  virtual SQLRETURN sendAhead(const std::string& text, SQLULEN set);
  virtual SQLRETURN readAhead();
  // SQLExecDirect. Lengths are byte counts or SQL_NTS; other negative lengths
  // answer "HY090".
  virtual SQLRETURN execDirect(const char* text, SQLINTEGER length);
  // The back end's internal statements.
  virtual SQLRETURN executeText(const char* text);
  // Hook: runs the statement text, every parameter set. Nothing here.
  virtual SQLRETURN executeSql(const std::string& text);
  // Hook: describes the result of the prepared text into the IRD before it is executed, for
  // SQLNumResultCols, SQLDescribeCol and SQLColAttribute. Nothing here: no columns.
  virtual SQLRETURN describePrepared();
  virtual SQLRETURN execute();
  // SQLCancel: touches nothing at all, since it may come from another thread
  // while a call on this statement runs.
  virtual SQLRETURN cancel();
  virtual SQLRETURN paramData(SQLPOINTER* value);
  virtual SQLRETURN putData(SQLPOINTER data, SQLLEN lengthOrIndicator);
  virtual SQLRETURN fetch();
  virtual SQLRETURN fetchScroll(SQLSMALLINT orientation, SQLLEN offset);
  virtual SQLRETURN extendedFetch(SQLUSMALLINT orientation, SQLLEN row, SQLULEN* rowCount,
                                  SQLUSMALLINT* rowStatus);
  virtual SQLRETURN moreResults();
  virtual SQLRETURN numResultCols(SQLSMALLINT* count);
  virtual SQLRETURN rowCount(SQLLEN* count);
  virtual SQLRETURN getData(SQLUSMALLINT column, SQLSMALLINT targetType, SQLPOINTER target,
                            SQLLEN bufferLength, SQLLEN* lengthOrIndicator);
  virtual SQLRETURN prepare(const char* text, SQLINTEGER length);
  virtual SQLRETURN describeParam(SQLUSMALLINT parameter, SQLSMALLINT* dataType, SQLULEN* size,
                                  SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable);
  virtual SQLRETURN numParams(SQLSMALLINT* count);

  // Catalog functions: each name is text and a length in bytes or SQL_NTS ("HY090" for another
  // negative length). Each installs an empty static, read-only result of the function's columns
  // (ODBC 2 names under ODBC 2, the ODBC 3 columns only under ODBC 3) for the back end to fill;
  // a catalog name other than "" and "%" answers "HYC00" when the connection has no catalogs.
  // With SQL_ATTR_METADATA_ID on, a missing name answers "HY009" (a missing catalog only where
  // the connection has catalogs); over an open result, as SQLGetTypeInfo, they answer "24000".
  virtual SQLRETURN columnPrivileges(const char* catalog, SQLINTEGER catalogLength,
                                     const char* schema, SQLINTEGER schemaLength,
                                     const char* table, SQLINTEGER tableLength, const char* column,
                                     SQLINTEGER columnLength);
  virtual SQLRETURN columns(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                            SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                            const char* column, SQLINTEGER columnLength);
  virtual SQLRETURN foreignKeys(const char* pkCatalog, SQLINTEGER pkCatalogLength,
                                const char* pkSchema, SQLINTEGER pkSchemaLength,
                                const char* pkTable, SQLINTEGER pkTableLength,
                                const char* fkCatalog, SQLINTEGER fkCatalogLength,
                                const char* fkSchema, SQLINTEGER fkSchemaLength,
                                const char* fkTable, SQLINTEGER fkTableLength);
  virtual SQLRETURN primaryKeys(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                                SQLINTEGER schemaLength, const char* table,
                                SQLINTEGER tableLength);
  virtual SQLRETURN procedureColumns(const char* catalog, SQLINTEGER catalogLength,
                                     const char* schema, SQLINTEGER schemaLength,
                                     const char* procedure, SQLINTEGER procedureLength,
                                     const char* column, SQLINTEGER columnLength);
  virtual SQLRETURN procedures(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                               SQLINTEGER schemaLength, const char* procedure,
                               SQLINTEGER procedureLength);
  virtual SQLRETURN specialColumns(SQLUSMALLINT identifierType, const char* catalog,
                                   SQLINTEGER catalogLength, const char* schema,
                                   SQLINTEGER schemaLength, const char* table,
                                   SQLINTEGER tableLength, SQLUSMALLINT scope,
                                   SQLUSMALLINT nullable);
  virtual SQLRETURN statistics(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                               SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                               SQLUSMALLINT unique, SQLUSMALLINT reserved);
  virtual SQLRETURN tablePrivileges(const char* catalog, SQLINTEGER catalogLength,
                                    const char* schema, SQLINTEGER schemaLength, const char* table,
                                    SQLINTEGER tableLength);
  virtual SQLRETURN tables(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                           SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                           const char* tableType, SQLINTEGER tableTypeLength);

  // The cursor name, generated ("SQL_CUR" and a number unique in the process)
  // when none is set.
  virtual std::string cursorName();
  // SQLGetCursorName; a cut name answers "01004". Keeps the diagnostics of the
  // last call.
  virtual SQLRETURN getCursorName(char* name, SQLSMALLINT bufferLength, SQLSMALLINT* nameLength);
  // "3C000" for a name another statement of the connection has, ASCII case ignored.
  virtual SQLRETURN setCursorName(const char* name, SQLINTEGER length);
  // SQLSetPos: positions on, refreshes, updates, deletes or adds rows of the current rowset
  // (row 1-based; 0 every row). The lock type is accepted and not used.
  virtual SQLRETURN setPos(SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lockType);
  // SQLBulkOperations: only SQL_ADD, which adds every row of the rowset buffers. Keeps the
  // diagnostics of the last call.
  virtual SQLRETURN bulkOperations(SQLUSMALLINT operation);
  // SQLCloseCursor: "24000" without a row source under ODBC 3 behaviour.
  virtual SQLRETURN closeCursor();
  // Closes the row source (it stays installed) and the server cursor; state 0.
  virtual SQLRETURN closeResultSet();
  // The row operations (row 1-based within the rowset, 0 every row). Each runs one text per
  // row on a private statement of the connection, so the result stays as it stood; a row's
  // failure marks it SQL_ROW_ERROR in the row status array and copies its diagnostics with the
  // row number. Update and delete need a declared server cursor ("HYC00" without one).
  virtual SQLRETURN insertRow(SQLSETPOSIROW row, SQLUSMALLINT lockType);
  virtual SQLRETURN deleteRow(SQLSETPOSIROW row, SQLUSMALLINT lockType);
  virtual SQLRETURN updateRow(SQLSETPOSIROW row, SQLUSMALLINT lockType);

  // The fetch machinery: orientations, then the moves of the row source.
  virtual SQLRETURN fetchRowset();
  virtual SQLRETURN fetchRowsetRow();
  virtual SQLRETURN fetchNext();
  virtual SQLRETURN fetchPrior();
  virtual SQLRETURN fetchFirst();
  virtual SQLRETURN fetchLast();
  virtual SQLRETURN fetchRelative(SQLLEN offset);
  virtual SQLRETURN fetchAbsolute(SQLLEN offset);
  virtual SQLRETURN fetchBookmark(SQLLEN offset);
  virtual SQLRETURN moveNext();
  virtual SQLRETURN movePrior();
  virtual SQLRETURN moveRelative(SQLLEN offset);
  virtual SQLRETURN moveAbsolute(SQLLEN row);
  virtual SQLRETURN moveFirst();
  virtual SQLRETURN moveLast();

  // Type-information rows: the 19 SQLGetTypeInfo columns, then one operation
  // per SQL type (nothing here; the back end adds the types its server offers).
  virtual SQLRETURN addTypeInfoRow(const OptionalText& typeName, OptionalShort dataType,
                                   OptionalInt columnSize, const OptionalText& literalPrefix,
                                   const OptionalText& literalSuffix,
                                   const OptionalText& createParams, OptionalShort nullable,
                                   OptionalShort caseSensitive, OptionalShort searchable,
                                   OptionalShort unsignedAttribute, OptionalShort fixedPrecScale,
                                   OptionalShort autoUniqueValue, const OptionalText& localTypeName,
                                   OptionalShort minimumScale, OptionalShort maximumScale,
                                   OptionalShort sqlDataType, OptionalShort sqlDatetimeSub,
                                   OptionalInt numPrecRadix, OptionalShort intervalPrecision);
  virtual SQLRETURN addAllTypeInfo();
  virtual SQLRETURN addTypeInfoChar();
  virtual SQLRETURN addTypeInfoVarchar();
  virtual SQLRETURN addTypeInfoLongVarchar();
  virtual SQLRETURN addTypeInfoWChar();
  virtual SQLRETURN addTypeInfoWVarchar();
  virtual SQLRETURN addTypeInfoWLongVarchar();
  virtual SQLRETURN addTypeInfoDecimal();
  virtual SQLRETURN addTypeInfoNumeric();
  virtual SQLRETURN addTypeInfoSmallint();
  virtual SQLRETURN addTypeInfoInteger();
  virtual SQLRETURN addTypeInfoReal();
  virtual SQLRETURN addTypeInfoFloat();
  virtual SQLRETURN addTypeInfoDouble();
  virtual SQLRETURN addTypeInfoBit();
  virtual SQLRETURN addTypeInfoTinyint();
  virtual SQLRETURN addTypeInfoBigint();
  virtual SQLRETURN addTypeInfoBinary();
  virtual SQLRETURN addTypeInfoVarbinary();
  virtual SQLRETURN addTypeInfoLongVarbinary();
  virtual SQLRETURN addTypeInfoDate();
  virtual SQLRETURN addTypeInfoTime();
  virtual SQLRETURN addTypeInfoTimestamp();
  virtual SQLRETURN addTypeInfoIntervalMonth();
  virtual SQLRETURN addTypeInfoIntervalYear();
  virtual SQLRETURN addTypeInfoIntervalYearToMonth();
  virtual SQLRETURN addTypeInfoIntervalDay();
  virtual SQLRETURN addTypeInfoIntervalHour();
  virtual SQLRETURN addTypeInfoIntervalMinute();
  virtual SQLRETURN addTypeInfoIntervalSecond();
  virtual SQLRETURN addTypeInfoIntervalDayToHour();
  virtual SQLRETURN addTypeInfoIntervalDayToMinute();
  virtual SQLRETURN addTypeInfoIntervalDayToSecond();
  virtual SQLRETURN addTypeInfoIntervalHourToMinute();
  virtual SQLRETURN addTypeInfoIntervalHourToSecond();
  virtual SQLRETURN addTypeInfoIntervalMinuteToSecond();
  virtual SQLRETURN addTypeInfoGuid();
  // Catalog rows, one cell per declared column in order. The last six cells of
  // addColumnsRow are written only under ODBC 3 behaviour.
  virtual SQLRETURN addColumnsRow(const OptionalText& catalog, const OptionalText& schema,
                                  const OptionalText& table, const OptionalText& column,
                                  OptionalShort dataType, const OptionalText& typeName,
                                  OptionalInt columnSize, OptionalInt bufferLength,
                                  OptionalShort decimalDigits, OptionalShort numPrecRadix,
                                  OptionalShort nullable, const OptionalText& remarks,
                                  const OptionalText& columnDefault, OptionalShort sqlDataType,
                                  OptionalShort datetimeSub, OptionalInt charOctetLength,
                                  OptionalInt ordinalPosition, const OptionalText& isNullable);
  virtual SQLRETURN addTablesRow(const OptionalText& catalog, const OptionalText& schema,
                                 const OptionalText& table, const OptionalText& tableType,
                                 const OptionalText& remarks);
  virtual SQLRETURN addStatisticsRow(const OptionalText& catalog, const OptionalText& schema,
                                     const OptionalText& table, OptionalShort nonUnique,
                                     const OptionalText& indexQualifier,
                                     const OptionalText& indexName, OptionalShort type,
                                     OptionalShort ordinalPosition, const OptionalText& column,
                                     const OptionalText& ascOrDesc, OptionalInt cardinality,
                                     OptionalInt pages, const OptionalText& filterCondition);
  virtual SQLRETURN addSpecialColumnsRow(OptionalShort scope, const OptionalText& column,
                                         OptionalShort dataType, const OptionalText& typeName,
                                         OptionalInt columnSize, OptionalInt bufferLength,
                                         OptionalShort decimalDigits, OptionalShort pseudoColumn);
  virtual SQLRETURN addPrimaryKeysRow(const OptionalText& catalog, const OptionalText& schema,
                                      const OptionalText& table, const OptionalText& column,
                                      OptionalShort keySequence, const OptionalText& keyName);
  virtual SQLRETURN addColumnPrivilegesRow(const OptionalText& catalog, const OptionalText& schema,
                                           const OptionalText& table, const OptionalText& column,
                                           const OptionalText& grantor, const OptionalText& grantee,
                                           const OptionalText& privilege,
                                           const OptionalText& isGrantable);
  virtual SQLRETURN addTablePrivilegesRow(const OptionalText& catalog, const OptionalText& schema,
                                          const OptionalText& table, const OptionalText& grantor,
                                          const OptionalText& grantee,
                                          const OptionalText& privilege,
                                          const OptionalText& isGrantable);

  // The table a positioned insert, update or delete addresses: the word after the first FROM
  // outside quotes and comments (as it stands, up to white space), empty when there is none.
  virtual std::string tableNameFromQuery(const std::string& text);

  // Parameter substitution. True when a data-at-execution parameter of set
  // `set` has no data yet (the element of its indicator array for that set,
  // bind offset included).
  virtual bool needsParameterData(SQLULEN set);
  virtual std::string formatDateLiteral(const SQL_DATE_STRUCT& date, SQLSMALLINT sqlType);
  virtual std::string formatTimeLiteral(const SQL_TIME_STRUCT& time, SQLSMALLINT sqlType);
  virtual std::string formatTimestampLiteral(const SQL_TIMESTAMP_STRUCT& timestamp,
                                             SQLSMALLINT sqlType);
  // The text with its quotes made harmless inside a quoted literal.
  virtual std::string escapeQuotes(const std::string& text);
  // The literal text of parameter `parameter` of set `set` (isNull for SQL
  // NULL): SQL_SUCCESS, SQL_NEED_DATA while its data at execution is missing,
  // or SQL_ERROR with its state posted.
  virtual SQLRETURN formatParameterValue(SQLUSMALLINT parameter, Descriptor& apd, Descriptor& ipd,
                                         SQLULEN set, std::string& text, bool& isNull);
  // Address of the value of parameter `parameter` in set `set`, with its NULL
  // and needs-data marks and its length or indicator.
  virtual SQLPOINTER parameterData(SQLUSMALLINT parameter, Descriptor& apd, Descriptor& ipd,
                                   SQLULEN set, bool& isNull, bool& needsData, SQLLEN& length);
  virtual void quoteLiteral(std::string& text, SQLSMALLINT cType, SQLSMALLINT sqlType);
  // Writes into finalText the template with each marker (at the positions found
  // once per execution) replaced by the literal of its parameter in set `set`.
  // SQL_SUCCESS, SQL_NEED_DATA, or SQL_ERROR with its state posted; nothing
  // must be sent unless it succeeded.
  virtual SQLRETURN substituteParameters(const std::string& sqlTemplate,
                                         const std::vector<std::size_t>& markers, Descriptor& apd,
                                         Descriptor& ipd, SQLULEN set, std::string& finalText);
  // substituteParameters with marker k taking record records[k] of the descriptors (with null
  // records, record k + 1).
  SQLRETURN substituteRecords(const std::string& sqlTemplate,
                              const std::vector<std::size_t>& markers, const SQLUSMALLINT* records,
                              Descriptor& apd, Descriptor& ipd, SQLULEN set,
                              std::string& finalText);
  // Two lower-case hexadecimal digits per byte.
  virtual std::string hexEncode(const unsigned char* bytes, std::size_t length);

  // Attribute setters.
  virtual SQLRETURN setAppParamDesc(Descriptor* descriptor);
  virtual SQLRETURN setAppRowDesc(Descriptor* descriptor);
  virtual SQLRETURN setAsyncEnable(SQLUINTEGER value);
  virtual SQLRETURN setConcurrency(SQLUINTEGER value);
  virtual SQLRETURN setCursorScrollable(SQLUINTEGER value);
  virtual SQLRETURN setCursorSensitivity(SQLUINTEGER value);
  virtual SQLRETURN setCursorType(SQLUINTEGER value);
  virtual SQLRETURN setEnableAutoIpd(SQLUINTEGER value);
  virtual SQLRETURN setFetchBookmarkPtr(SQLPOINTER value);
  virtual SQLRETURN setKeysetSize(SQLULEN value);
  virtual SQLRETURN setMaxLength(SQLULEN value);
  virtual SQLRETURN setMaxRows(SQLULEN value);
  virtual SQLRETURN setMetadataId(SQLUINTEGER value);
  virtual SQLRETURN setNoscan(SQLUINTEGER value);
  virtual SQLRETURN setParamBindOffsetPtr(SQLLEN* value);
  virtual SQLRETURN setParamBindType(SQLUINTEGER value);
  virtual SQLRETURN setParamOperationPtr(SQLUSMALLINT* value);
  virtual SQLRETURN setParamStatusPtr(SQLUSMALLINT* value);
  virtual SQLRETURN setParamsProcessedPtr(SQLULEN* value);
  virtual SQLRETURN setParamsetSize(SQLULEN value);
  virtual SQLRETURN setQueryTimeout(SQLUINTEGER value);
  virtual SQLRETURN setRetrieveData(SQLUINTEGER value);
  virtual SQLRETURN setRowArraySize(SQLULEN value);
  virtual SQLRETURN setRowBindOffsetPtr(SQLLEN* value);
  virtual SQLRETURN setRowBindType(SQLUINTEGER value);
  virtual SQLRETURN setRowOperationPtr(SQLUSMALLINT* value);
  virtual SQLRETURN setRowStatusPtr(SQLUSMALLINT* value);
  virtual SQLRETURN setRowsFetchedPtr(SQLULEN* value);
  virtual SQLRETURN setSimulateCursor(SQLUINTEGER value);
  virtual SQLRETURN setUseBookmarks(SQLUINTEGER value);

  // Attribute getters.
  virtual Descriptor* appParamDesc() const;
  virtual Descriptor* appRowDesc() const;
  virtual SQLUINTEGER asyncEnable() const;
  virtual SQLUINTEGER concurrency() const;
  virtual SQLUINTEGER cursorScrollable() const;
  virtual SQLUINTEGER cursorSensitivity() const;
  virtual SQLUINTEGER cursorType() const;
  virtual SQLUINTEGER enableAutoIpd() const;
  virtual SQLPOINTER fetchBookmarkPtr() const;
  virtual Descriptor* impParamDesc() const;
  virtual Descriptor* impRowDesc() const;
  virtual SQLULEN keysetSize() const;
  virtual SQLULEN maxLength() const;
  virtual SQLULEN maxRows() const;
  virtual SQLUINTEGER metadataId() const;
  virtual SQLUINTEGER noscan() const;
  virtual SQLLEN* paramBindOffsetPtr() const;
  virtual SQLUINTEGER paramBindType() const;
  virtual SQLUSMALLINT* paramOperationPtr() const;
  virtual SQLUSMALLINT* paramStatusPtr() const;
  virtual SQLULEN* paramsProcessedPtr() const;
  virtual SQLULEN paramsetSize() const;
  virtual SQLUINTEGER queryTimeout() const;
  virtual SQLUINTEGER retrieveData() const;
  virtual SQLULEN rowArraySize() const;
  virtual SQLLEN* rowBindOffsetPtr() const;
  virtual SQLUINTEGER rowBindType() const;
  virtual SQLULEN rowNumber() const;
  virtual SQLUSMALLINT* rowOperationPtr() const;
  virtual SQLUSMALLINT* rowStatusPtr() const;
  virtual SQLULEN* rowsFetchedPtr() const;
  virtual SQLUINTEGER simulateCursor() const;
  virtual SQLUINTEGER useBookmarks() const;
  // The SQL_CA1_* and SQL_CA2_* masks the connection reports for the current
  // cursor type.
  virtual SQLUINTEGER cursorAttributes1();
  virtual SQLUINTEGER cursorAttributes2();
  virtual SQLULEN rowsFetchedTotal() const;
  // SQLRowCount's answer, also stored through the rows-fetched pointer when one
  // is set.
  virtual void setRowCount(SQLLEN count);

  // An explicitly allocated descriptor of the connection is going: the
  // statement falls back to its own application descriptors where it used that
  // one.
  void descriptorFreed(const Descriptor* descriptor) override;
  bool hasCursorName(const std::string& name) const override;

  // The row source, null without a result.
  Recordset* recordset() const;
  SQLUINTEGER state() const;
  bool hasOpenResult() const;

 protected:
  // Posts a driver state with an empty message; answers SQL_ERROR for the
  // refusals' tail call.
  SQLRETURN post(const char* sqlState);
  SQLRETURN post(const char* sqlState, const char* message);
  // Posts a record. While a set of a parameter array runs, the record carries the set's row
  // number (1-based) and goes behind the records of the sets before, as ODBC orders records by
  // row; otherwise it has no row number and becomes record 1.
  void postRecord(const char* sqlState, SQLINTEGER nativeError, const char* message);
  // Every ODBC version but 2 behaves as ODBC 3 (3.80 included): catalog shapes,
  // closeCursor.
  bool behavesAsOdbc3() const;
  // Replaces the row source; the old one is deleted.
  void installRecordset(Recordset* recordset);
  // Gives every IRD record, the bookmark record 0 included, the zero-filled arrays a row source
  // writes into (indicators, byte lengths, value pointers: 8-byte entries, as many as the IRD's
  // array size and at least one); "HY001" when memory runs out.
  SQLRETURN giveRowBuffers();
  // Executes the text once per parameter set as the back ends do: refuses data
  // at execution with more than one set ("HYC00"), answers SQL_NEED_DATA while
  // data at execution is missing, and substitutes and runs each set.
  // Sets marked SQL_PARAM_IGNORE are not run. The IPD's status array, when
  // bound, gets an entry for every set (SQL_PARAM_UNUSED for those not run) and
  // the processed count the sets run. A set that fails, by a value that cannot
  // be written as a literal or by the server, leaves its records with its row
  // number and the others still run: SQL_ERROR when every set run failed,
  // SQL_SUCCESS_WITH_INFO when some failed or warned. Sets whose texts the back end sends ahead
  // go without waiting for the replies of those before them; the outcomes, statuses and records
  // are the same as if each set had waited.
  SQLRETURN executeParameterSets(const std::string& text);
  // One set's final text through executeFinalizedQuery, timed for the query log.
  SQLRETURN runFinalizedQuery(const std::string& text, SQLULEN set);
  // The first parameter of set `set` whose data at execution is missing; 0 when
  // none.
  SQLUSMALLINT parameterNeedingData(SQLULEN set);

  Connection* connection_;
  DiagnosticHeader diagnostics_;
  std::uint32_t queryTimerSeconds_ = 0;
  std::uint32_t queryTimerMicroseconds_ = 0;
  Descriptor* apd_ = nullptr;
  Descriptor* ard_ = nullptr;
  std::unique_ptr<Descriptor> ipd_;
  std::unique_ptr<Descriptor> ird_;
  SQLUSMALLINT dataAtExecParameter_ = 0;
  std::unique_ptr<Recordset> recordset_;
  std::unique_ptr<Descriptor> implicitApd_;
  std::unique_ptr<Descriptor> implicitArd_;
  SQLUINTEGER asyncEnable_ = SQL_ASYNC_ENABLE_OFF;
  SQLUINTEGER concurrency_ = SQL_CONCUR_READ_ONLY;
  SQLUINTEGER cursorScrollable_ = SQL_NONSCROLLABLE;
  SQLUINTEGER cursorSensitivity_ = SQL_UNSPECIFIED;
  SQLUINTEGER cursorType_ = SQL_CURSOR_FORWARD_ONLY;
  SQLUINTEGER enableAutoIpd_ = SQL_FALSE;
  SQLPOINTER fetchBookmarkPtr_ = nullptr;
  SQLULEN keysetSize_ = 0;
  SQLULEN maxLength_ = 0;  // the conversions take character and binary values as ending there
  SQLULEN maxRows_ = 0;    // the back end's row source of a query ends there
  SQLUINTEGER metadataId_ = SQL_FALSE;
  SQLUINTEGER noscan_ = SQL_NOSCAN_OFF;  // on: the back end sends escape clauses as written
  SQLUINTEGER queryTimeout_ = 0;
  SQLUINTEGER retrieveData_ = SQL_RD_ON;
  SQLULEN rowNumber_ = 0;
  SQLUINTEGER simulateCursor_ = 0;
  SQLUINTEGER useBookmarks_ = SQL_UB_OFF;
  bool serverCursorDeclared_ = false;
  std::uint64_t cursorCounter_ = 0;
  SQLUINTEGER state_ = stateClosed;
  bool beforeStart_ = true;
  bool afterEnd_ = false;
  SQLLEN rowsetRows_ = -1;
  SQLULEN pendingAdvance_ = 0;
  // Rows the last fetch delivered; 0 once a bulk operation made the position undefined.
  SQLULEN rowsetDelivered_ = 0;
  // The rowset row SQLSetPos made current (1-based); 0 while the fetch's own current row holds.
  SQLULEN positionedRow_ = 0;
  std::string cursorName_;
  std::string preparedSql_;
  // The prepared text's result was described before execution (describePrepared succeeded).
  bool preparedDescribed_ = false;
  // The application's cursor while a catalog result, which is always static, replaces it; they
  // come back when that result ends.
  struct CursorAttributes {
    SQLUINTEGER type, concurrency, scrollable, sensitivity;
  };
  std::optional<CursorAttributes> applicationCursor_;
  std::string sqlText_;
  SQLLEN rowCount_ = -1;
  SQLULEN rowsFetched_ = 0;

 private:
  SQLLEN diagnosticRow_ = SQL_NO_ROW_NUMBER;

  // Clears the IRD and the delivered-row count and deletes the row source: a
  // new execution describes its own result.
  void resetResult();
  // Gives the application's cursor attributes back once a catalog result ends.
  void restoreApplicationCursor();
  // Runs the text and, when it succeeded, opens the server cursor and sets the
  // state.
  SQLRETURN runAndOpen(const std::string& text);
  // A prepared statement that has not run describes its result once the application asks for it:
  // the description costs the back end a round trip that an application never asking must not pay.
  SQLRETURN describeBeforeExecution();

  // Fetch positioning (StatementFetch.cpp). Moves answer SQL_SUCCESS on the first row of the new
  // rowset, SQL_SUCCESS_WITH_INFO there with "01S06" posted, SQL_NO_DATA with the cursor before
  // the start or after the end, or SQL_ERROR when the row source cannot move that way.
  // The rowset after a move, and the cursor flags.
  SQLRETURN fetchMoved(SQLRETURN moved);
  // No rowset: the cursor stands before the start or after the end.
  SQLRETURN noRowset(bool beforeStart);
  // The rowset that starts `rows` rows before the current one.
  SQLRETURN moveBack(SQLULEN rows);
  SQLRETURN moveBeforeStart();
  // The rowset asked for began before the first row: the first rowset, with "01S06".
  SQLRETURN moveFirstEarly();
  // The rowset that ends on the last row; with fewer rows than a rowset it starts on row 1, with
  // "01S06" when `shortRowsetWarns`.
  SQLRETURN moveToLastRowset(bool shortRowsetWarns);

  // Converts IRD row 0 into element `index` of the bound buffers (the ARD's, as found for the
  // rowset); the row status that says how.
  SQLUSMALLINT convertRowsetRow(SQLULEN index, const std::vector<Descriptor::BoundRecord>& bound);

  // Positioned operations (StatementPositioned.cpp).
  enum class RowChange { add, update, remove };
  // "24000" without a current rowset, "HY107" beyond the rowset size, "HY109" for a row the last
  // fetch did not deliver (and for row 0 unless `everyRow`).
  SQLRETURN checkRowsetRow(SQLSETPOSIROW row, bool everyRow);
  // Moves the row source between rowset rows (0-based); index rowsetDelivered_ is the place one
  // beyond the result's last row, where a fetch that ran out leaves it.
  SQLRETURN moveInRowset(SQLULEN from, SQLULEN to);
  // Brings rowset row `index` into IRD row 0, the row source left where the fetch left it.
  SQLRETURN bindRowsetRow(SQLULEN index);
  SQLRETURN refreshRows(SQLSETPOSIROW row);
  SQLRETURN changeRows(SQLSETPOSIROW row, RowChange change);

  // Catalog and type-information results (StatementCatalog.cpp).
  // A catalog name argument as the application passed it.
  struct CatalogName {
    const char* text;
    SQLINTEGER length;
  };
  // Refuses over an open result ("24000"), then checks the name arguments ("HY090" for a bad
  // length, "HYC00" for a catalog name the connection cannot take, "HY009" for a catalog or one
  // of `identifiers` missing while SQL_ATTR_METADATA_ID is on), then declares the columns,
  // installs an empty in-memory row source with its row buffers and sets a static, read-only
  // cursor, whatever the state.
  SQLRETURN openCatalogResult(const CatalogColumn* columns, std::size_t count,
                              std::initializer_list<SQLINTEGER> lengths,
                              std::initializer_list<CatalogName> catalogs,
                              std::initializer_list<const char*> identifiers);
  template <std::size_t count>
  SQLRETURN openCatalogResult(const CatalogColumn (&columns)[count],
                              std::initializer_list<SQLINTEGER> lengths,
                              std::initializer_list<CatalogName> catalogs,
                              std::initializer_list<const char*> identifiers) {
    return openCatalogResult(columns, count, lengths, catalogs, identifiers);
  }

  // Room in the buffer putData gathers into (the IPD record's DATA_PTR when it
  // is this one).
  void* putDataBuffer_ = nullptr;
  std::size_t putDataCapacity_ = 0;
  // The ARD's bound records as the rowset being fetched or refreshed found them: kept so that
  // each rowset reuses the room.
  std::vector<Descriptor::BoundRecord> boundRecords_;
};
