#pragma once
// The statement of a Karvell connection: turns the application's SQL into the server's dialect
// (qualifiers, escapes, parameter literals), sends it as a query or a command, and describes the
// result into the implementation row descriptor with a row source over the server's cursor:
// KarvellRecordset for forward-only cursors, a MemoryRecordset copy for the others.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/DeclaredType.h"
#include "statement/Statement.h"

struct KvlConnection;
struct KvlCursor;
class KarvellConnection;

class KarvellStatement : public Statement {
 public:
  explicit KarvellStatement(KarvellConnection* connection);
  // Frees the server cursor, so that statements freed with their connection leak nothing.
  ~KarvellStatement() override;

  // From another thread while this statement waits for the server: the protocol has no cancel
  // request, so the connection is closed under the waiting call, which ends with "HY008".
  // Otherwise what the base does.
  SQLRETURN cancel() override;
  // Only column-wise parameter binding: a row-wise SQL_ATTR_PARAM_BIND_TYPE answers "S1092".
  SQLRETURN setStmtAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER stringLength) override;
  // Runs one final text: a query through kvl_select, described into the IRD, or a command through
  // kvl_execute. Failures post "HY000" with the server's code and text, the set's row number
  // when there are several sets.
  SQLRETURN executeFinalizedQuery(const std::string& text, SQLULEN set) override;
  // Statements that make no result go ahead of their replies, as many as the client's window
  // holds; a query waits for its own.
  bool sendsAhead(const std::string& text) override;
  bool hasRoomAhead(const std::string& text) override;
  SQLRETURN sendAhead(const std::string& text, SQLULEN set) override;
  SQLRETURN readAhead() override;
  // "08S01" when the connection is closed; else qualifiers stripped, escapes rewritten, and the
  // text run once per parameter set.
  SQLRETURN executeSql(const std::string& text) override;
  // Whichever call ends the result (SQLCloseCursor, SQLFreeStmt, SQLMoreResults), the server's
  // cursor goes with it.
  SQLRETURN closeResultSet() override;
  // A prepared query that the server can run as a table runs once inside a query that returns
  // none of its rows, its markers as NULL, and its columns are described as the result will be
  // (text as SQL_LONGVARCHAR: no values are in hand yet). Its failure posts the server's "HY000".
  // Other texts describe no columns before they run.
  SQLRETURN describePrepared() override;

  // The catalog functions (KarvellStatementCatalog.cpp): "08S01" when the connection is closed;
  // else the base's result shape, filled from the server's answers to catalog queries run on a
  // private statement. A failing query posts its "HY000" with the server's code and text; a table
  // the server does not know (7015) leaves SQLStatistics and SQLPrimaryKeys empty.
  SQLRETURN columnPrivileges(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                             SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                             const char* column, SQLINTEGER columnLength) override;
  SQLRETURN columns(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                    SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                    const char* column, SQLINTEGER columnLength) override;
  SQLRETURN primaryKeys(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                        SQLINTEGER schemaLength, const char* table,
                        SQLINTEGER tableLength) override;
  SQLRETURN procedures(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                       SQLINTEGER schemaLength, const char* procedure,
                       SQLINTEGER procedureLength) override;
  SQLRETURN specialColumns(SQLUSMALLINT identifierType, const char* catalog,
                           SQLINTEGER catalogLength, const char* schema, SQLINTEGER schemaLength,
                           const char* table, SQLINTEGER tableLength, SQLUSMALLINT scope,
                           SQLUSMALLINT nullable) override;
  SQLRETURN statistics(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                       SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                       SQLUSMALLINT unique, SQLUSMALLINT reserved) override;
  SQLRETURN tablePrivileges(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                            SQLINTEGER schemaLength, const char* table,
                            SQLINTEGER tableLength) override;
  SQLRETURN tables(const char* catalog, SQLINTEGER catalogLength, const char* schema,
                   SQLINTEGER schemaLength, const char* table, SQLINTEGER tableLength,
                   const char* tableType, SQLINTEGER tableTypeLength) override;
  // Adds the row of the server's catalog table, which it does not list itself.
  virtual void addSystemTables();

  // A row of a catalog query while it is visited: every value whole, as a view of the cursor's
  // bytes, absent for NULL.
  using CatalogRow = std::vector<std::optional<std::string_view>>;

  SQLRETURN addTypeInfoChar() override;
  SQLRETURN addTypeInfoVarchar() override;
  SQLRETURN addTypeInfoWChar() override;
  SQLRETURN addTypeInfoWVarchar() override;
  SQLRETURN addTypeInfoDecimal() override;
  SQLRETURN addTypeInfoNumeric() override;
  SQLRETURN addTypeInfoSmallint() override;
  SQLRETURN addTypeInfoInteger() override;
  SQLRETURN addTypeInfoReal() override;
  SQLRETURN addTypeInfoFloat() override;
  SQLRETURN addTypeInfoDouble() override;
  SQLRETURN addTypeInfoBit() override;
  SQLRETURN addTypeInfoTinyint() override;
  SQLRETURN addTypeInfoBigint() override;
  SQLRETURN addTypeInfoLongVarbinary() override;
  SQLRETURN addTypeInfoDate() override;
  SQLRETURN addTypeInfoTime() override;
  SQLRETURN addTypeInfoTimestamp() override;

  // The cursor of the last query, null when there is none.
  KvlCursor* serverCursor() const;
  // The description of a declared type under this statement's ODBC version and the connection's
  // unicode-text-types setting.
  DeclaredType mapDeclaredType(const std::string& declared) const;
  // Takes the cursor over as the statement's server cursor, describes its columns into the IRD
  // (cleared first) and installs the row source.
  SQLRETURN describeResult(KvlCursor* cursor);

 private:
  // Marks the statement as waiting for the server for as long as it lives, so that a cancel
  // from another thread knows to interrupt it.
  class Waiting {
   public:
    explicit Waiting(KarvellStatement* statement);
    ~Waiting();
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

   private:
    KarvellStatement* statement_;
  };
  // The state of a failed request: the client's when the stream is lost, else "HY000".
  SQLRETURN postRequestFailure(KvlConnection* client);
  // A final text that goes nowhere: traced, the last cursor freed, then true with rc when it is
  // empty (SQL_SUCCESS) or the connection is lost ("08S01").
  bool settledUnsent(const std::string& text, SQLRETURN& rc);
  // Runs the request as waiting for the server: cancellable, its replies bounded by the query's
  // time-out.
  template <typename Request>
  bool awaitServer(Request request);

  // Adds the cursor's columns to the IRD as the server describes them. With `valuesInHand` (the
  // cursor holds every row) a text column is a VARCHAR of its longest value instead of an
  // unbounded LONGVARCHAR, unless the server's VARCHAR could not hold that value.
  SQLRETURN describeColumns(KvlCursor* cursor, bool valuesInHand);
  // Detaches the row source reading the cursor, then frees the cursor.
  void freeServerCursor();
  SQLRETURN addTypeRow(std::size_t index);
  // A character type's row, when the connection describes its text as `requested`.
  SQLRETURN addTextTypeRow(std::size_t index, SQLSMALLINT requested);
  // Catalog functions: "08S01" without a connection, and the query log's timer.
  SQLRETURN startCatalog();
  // After the base's result shape `shaped` succeeded, `work` fills it; the query log gets
  // `logText` when both succeeded.
  template <typename Work>
  SQLRETURN catalogCall(const std::string& logText, SQLRETURN shaped, Work work);
  // Runs a catalog query on a private statement and hands each row to `visit` as the cursor
  // reads it. SQL_NO_DATA for a table the server does not know when `unknownTableIsEmpty`; other
  // failures are copied here.
  template <typename Visit>
  SQLRETURN runCatalogQuery(const std::string& sql, bool unknownTableIsEmpty, Visit visit);
  SQLRETURN listTables(const std::string& catalog, const std::string& schema,
                       const std::string& pattern, const std::string& types);
  SQLRETURN listPrimaryKey(const std::string& table);
  // Whether the SQLTables result on this statement has a row for exactly this table, not a view.
  bool listsTable(const std::string& table);

  KarvellConnection* karvell_;
  KvlCursor* cursor_ = nullptr;
  bool waiting_ = false;  // under the connection's cancel lock
  bool unicodeTextTypes_;
};
