#pragma once
// The statement of a Karvell connection: turns the application's SQL into the server's dialect
// (qualifiers, escapes, parameter literals), sends it as a query or a command, and describes the
// result into the implementation row descriptor with a row source over the server's cursor:
// KarvellRecordset for forward-only cursors, a MemoryRecordset copy for the others.
#include <string>

#include "backend/DeclaredType.h"
#include "statement/Statement.h"

struct KvlCursor;
class KarvellConnection;

class KarvellStatement : public Statement {
 public:
  explicit KarvellStatement(KarvellConnection* connection);
  // Frees the server cursor, so that statements freed with their connection leak nothing.
  ~KarvellStatement() override;

  // SQL_CLOSE and SQL_DROP free the server cursor.
  SQLRETURN freeStmt(SQLUSMALLINT option) override;
  // Only column-wise parameter binding: a row-wise SQL_ATTR_PARAM_BIND_TYPE answers "S1092".
  SQLRETURN setStmtAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER stringLength) override;
  // Runs one final text: a query through kvl_select, described into the IRD, or a command through
  // kvl_execute. Failures post "HY000" with the server's code and text, the set's row number
  // when there are several sets.
  SQLRETURN executeFinalizedQuery(const std::string& text, SQLULEN set) override;
  // "08S01" when the connection is closed; else qualifiers stripped, escapes rewritten, and the
  // text run once per parameter set.
  SQLRETURN executeSql(const std::string& text) override;
  SQLRETURN closeCursor() override;

  SQLRETURN addTypeInfoChar() override;
  SQLRETURN addTypeInfoVarchar() override;
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
  // Detaches the row source reading the cursor, then frees the cursor.
  void freeServerCursor();
  SQLRETURN addTypeRow(std::size_t index);

  KarvellConnection* karvell_;
  KvlCursor* cursor_ = nullptr;
  bool unicodeTextTypes_;
};
