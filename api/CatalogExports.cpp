// The catalog functions: each traces its call (ENTER/EXIT) and has the statement install its
// catalog result, which the application then fetches. The wide forms pass UTF-8 copies of their
// texts with 32-bit byte counts.
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "api/StatementCall.h"
#include "api/WideIn.h"
#include "core/AppBuffer.h"
#include "core/TraceFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

// The arguments of a catalog call after the statement handle: each writes its part of the call
// line, names the wide copy to check before the operation (null for the others) and gives the
// values the statement operation takes.
using Line = std::vector<std::string>;

// A name of the narrow forms, passed on as the application gave it.
class NarrowName {
 public:
  NarrowName(const SQLCHAR* text, SQLSMALLINT length) : text_(text), length_(length) {}
  void trace(Line& line) const {
    line.push_back(narrowTextArgument(text_, length_));
    line.push_back(lengthOrNts(length_));
  }
  const WideIn* copy() const { return nullptr; }
  bool holdsNul() const {
    return text_ != nullptr && length_ > 0 &&
           std::memchr(text_, 0, static_cast<std::size_t>(length_)) != nullptr;
  }
  std::tuple<const char*, SQLINTEGER> values() const {
    return {reinterpret_cast<const char*>(text_), length_};
  }

 private:
  const SQLCHAR* text_;
  SQLSMALLINT length_;
};

// A name of the wide forms, as its UTF-8 copy; the call line shows the length as given.
class WideName {
 public:
  WideName(const SQLWCHAR* text, SQLSMALLINT length)
      : copy_(text, length), text_(text), length_(length) {}
  void trace(Line& line) const {
    line.push_back(wideTextArgument(copy_.text()));
    line.push_back(lengthOrNts(length_));
  }
  const WideIn* copy() const { return &copy_; }
  // Looked for in the application's units: the copy ends at the first zero unit.
  bool holdsNul() const {
    if (text_ == nullptr) return false;
    for (SQLSMALLINT k = 0; k < length_; ++k) {
      if (loadAppValue<SQLWCHAR>(text_ + k) == 0) return true;
    }
    return false;
  }
  std::tuple<const char*, SQLINTEGER> values() const { return {copy_.text(), copy_.length()}; }

 private:
  const WideIn copy_;
  const SQLWCHAR* text_;
  SQLSMALLINT length_;
};

NarrowName name(const SQLCHAR* text, SQLSMALLINT length) { return {text, length}; }
WideName name(const SQLWCHAR* text, SQLSMALLINT length) { return {text, length}; }

// A number of the call, which the call line names by its constant.
class Option {
 public:
  Option(SQLUSMALLINT value, std::string (*constantName)(SQLINTEGER))
      : value_(value), constantName_(constantName) {}
  void trace(Line& line) const { line.push_back(constantName_(value_)); }
  const WideIn* copy() const { return nullptr; }
  bool holdsNul() const { return false; }
  std::tuple<SQLUSMALLINT> values() const { return {value_}; }

 private:
  SQLUSMALLINT value_;
  std::string (*constantName_)(SQLINTEGER);
};

Line plainLine(Line arguments) { return arguments; }

// SQLForeignKeys writes its last text right after the comma.
Line foreignKeyLine(Line arguments) {
  arguments[9] += "," + arguments[10];
  arguments.erase(arguments.begin() + 10);
  return arguments;
}

// Traces the call and runs the statement operation on the arguments' values, after refusing a
// wide name that could not be copied and a name with a NUL within its length: the server's
// names end at a NUL, so it would name another object.
template <typename Operation, typename... Arguments>
SQLRETURN shapedCatalogCall(const char* function, SQLHSTMT handle, Line (*shape)(Line),
                            Operation operation, const Arguments&... arguments) {
  Statement* statement = asStatement(handle);
  return timed(
      function, statement,
      [&] {
        Line line;
        (arguments.trace(line), ...);
        return shape(std::move(line));
      },
      [&] {
        return withWideTexts(statement->diagnostics(), {arguments.copy()...}, [&] {
          if ((arguments.holdsNul() || ...)) {
            statement->diagnostics().clear();
            return failure(&statement->diagnostics(), "HY090");
          }
          return std::apply(operation,
                            std::tuple_cat(std::make_tuple(statement), arguments.values()...));
        });
      });
}

template <typename Operation, typename... Arguments>
SQLRETURN catalogCall(const char* function, SQLHSTMT handle, Operation operation,
                      const Arguments&... arguments) {
  return shapedCatalogCall(function, handle, plainLine, operation, arguments...);
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLColumnPrivileges(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                    SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                    SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                    SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                                    SQLSMALLINT NameLength4) {
  return catalogCall("SQLColumnPrivileges", StatementHandle, &Statement::columnPrivileges,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), name(ColumnName, NameLength4));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColumnPrivilegesW(SQLHSTMT StatementHandle,
                                                     SQLWCHAR* CatalogName, SQLSMALLINT NameLength1,
                                                     SQLWCHAR* SchemaName, SQLSMALLINT NameLength2,
                                                     SQLWCHAR* TableName, SQLSMALLINT NameLength3,
                                                     SQLWCHAR* ColumnName,
                                                     SQLSMALLINT NameLength4) {
  return catalogCall("SQLColumnPrivilegesW", StatementHandle, &Statement::columnPrivileges,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), name(ColumnName, NameLength4));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColumns(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                           SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                           SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                           SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                           SQLSMALLINT NameLength4) {
  return catalogCall("SQLColumns", StatementHandle, &Statement::columns,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), name(ColumnName, NameLength4));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColumnsW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                            SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                            SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                            SQLSMALLINT NameLength3, SQLWCHAR* ColumnName,
                                            SQLSMALLINT NameLength4) {
  return catalogCall("SQLColumnsW", StatementHandle, &Statement::columns,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), name(ColumnName, NameLength4));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLForeignKeys(SQLHSTMT StatementHandle, SQLCHAR* PKCatalogName,
                                               SQLSMALLINT NameLength1, SQLCHAR* PKSchemaName,
                                               SQLSMALLINT NameLength2, SQLCHAR* PKTableName,
                                               SQLSMALLINT NameLength3, SQLCHAR* FKCatalogName,
                                               SQLSMALLINT NameLength4, SQLCHAR* FKSchemaName,
                                               SQLSMALLINT NameLength5, SQLCHAR* FKTableName,
                                               SQLSMALLINT NameLength6) {
  return shapedCatalogCall("SQLForeignKeys", StatementHandle, foreignKeyLine,
                           &Statement::foreignKeys, name(PKCatalogName, NameLength1),
                           name(PKSchemaName, NameLength2), name(PKTableName, NameLength3),
                           name(FKCatalogName, NameLength4), name(FKSchemaName, NameLength5),
                           name(FKTableName, NameLength6));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLForeignKeysW(SQLHSTMT StatementHandle, SQLWCHAR* PKCatalogName,
                                                SQLSMALLINT NameLength1, SQLWCHAR* PKSchemaName,
                                                SQLSMALLINT NameLength2, SQLWCHAR* PKTableName,
                                                SQLSMALLINT NameLength3, SQLWCHAR* FKCatalogName,
                                                SQLSMALLINT NameLength4, SQLWCHAR* FKSchemaName,
                                                SQLSMALLINT NameLength5, SQLWCHAR* FKTableName,
                                                SQLSMALLINT NameLength6) {
  return shapedCatalogCall("SQLForeignKeysW", StatementHandle, foreignKeyLine,
                           &Statement::foreignKeys, name(PKCatalogName, NameLength1),
                           name(PKSchemaName, NameLength2), name(PKTableName, NameLength3),
                           name(FKCatalogName, NameLength4), name(FKSchemaName, NameLength5),
                           name(FKTableName, NameLength6));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                               SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                               SQLSMALLINT NameLength3) {
  return catalogCall("SQLPrimaryKeys", StatementHandle, &Statement::primaryKeys,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLPrimaryKeysW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                                SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                                SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                                SQLSMALLINT NameLength3) {
  return catalogCall("SQLPrimaryKeysW", StatementHandle, &Statement::primaryKeys,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProcedureColumns(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                    SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                    SQLSMALLINT NameLength2, SQLCHAR* ProcName,
                                                    SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                                    SQLSMALLINT NameLength4) {
  return catalogCall("SQLProcedureColumns", StatementHandle, &Statement::procedureColumns,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(ProcName, NameLength3), name(ColumnName, NameLength4));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProcedureColumnsW(SQLHSTMT StatementHandle,
                                                     SQLWCHAR* CatalogName, SQLSMALLINT NameLength1,
                                                     SQLWCHAR* SchemaName, SQLSMALLINT NameLength2,
                                                     SQLWCHAR* ProcName, SQLSMALLINT NameLength3,
                                                     SQLWCHAR* ColumnName,
                                                     SQLSMALLINT NameLength4) {
  return catalogCall("SQLProcedureColumnsW", StatementHandle, &Statement::procedureColumns,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(ProcName, NameLength3), name(ColumnName, NameLength4));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProcedures(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                              SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                              SQLSMALLINT NameLength2, SQLCHAR* ProcName,
                                              SQLSMALLINT NameLength3) {
  return catalogCall("SQLProcedures", StatementHandle, &Statement::procedures,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(ProcName, NameLength3));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProceduresW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                               SQLSMALLINT NameLength2, SQLWCHAR* ProcName,
                                               SQLSMALLINT NameLength3) {
  return catalogCall("SQLProceduresW", StatementHandle, &Statement::procedures,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(ProcName, NameLength3));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSpecialColumns(SQLHSTMT StatementHandle,
                                                  SQLUSMALLINT IdentifierType, SQLCHAR* CatalogName,
                                                  SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                  SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                  SQLSMALLINT NameLength3, SQLUSMALLINT Scope,
                                                  SQLUSMALLINT Nullable) {
  return catalogCall("SQLSpecialColumns", StatementHandle, &Statement::specialColumns,
                     Option(IdentifierType, identifierTypeName), name(CatalogName, NameLength1),
                     name(SchemaName, NameLength2), name(TableName, NameLength3),
                     Option(Scope, scopeName), Option(Nullable, nullableName));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSpecialColumnsW(SQLHSTMT StatementHandle,
                                                   SQLUSMALLINT IdentifierType,
                                                   SQLWCHAR* CatalogName, SQLSMALLINT NameLength1,
                                                   SQLWCHAR* SchemaName, SQLSMALLINT NameLength2,
                                                   SQLWCHAR* TableName, SQLSMALLINT NameLength3,
                                                   SQLUSMALLINT Scope, SQLUSMALLINT Nullable) {
  return catalogCall("SQLSpecialColumnsW", StatementHandle, &Statement::specialColumns,
                     Option(IdentifierType, identifierTypeName), name(CatalogName, NameLength1),
                     name(SchemaName, NameLength2), name(TableName, NameLength3),
                     Option(Scope, scopeName), Option(Nullable, nullableName));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLStatistics(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                              SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                              SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                              SQLSMALLINT NameLength3, SQLUSMALLINT Unique,
                                              SQLUSMALLINT Reserved) {
  return catalogCall("SQLStatistics", StatementHandle, &Statement::statistics,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), Option(Unique, indexUniqueName),
                     Option(Reserved, accuracyName));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLStatisticsW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                               SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                               SQLSMALLINT NameLength3, SQLUSMALLINT Unique,
                                               SQLUSMALLINT Reserved) {
  return catalogCall("SQLStatisticsW", StatementHandle, &Statement::statistics,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), Option(Unique, indexUniqueName),
                     Option(Reserved, accuracyName));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTablePrivileges(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                   SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                   SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                   SQLSMALLINT NameLength3) {
  return catalogCall("SQLTablePrivileges", StatementHandle, &Statement::tablePrivileges,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTablePrivilegesW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                                    SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                                    SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                                    SQLSMALLINT NameLength3) {
  return catalogCall("SQLTablePrivilegesW", StatementHandle, &Statement::tablePrivileges,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                          SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                          SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                          SQLSMALLINT NameLength3, SQLCHAR* TableType,
                                          SQLSMALLINT NameLength4) {
  return catalogCall("SQLTables", StatementHandle, &Statement::tables,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), name(TableType, NameLength4));
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTablesW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                           SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                           SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                           SQLSMALLINT NameLength3, SQLWCHAR* TableType,
                                           SQLSMALLINT NameLength4) {
  return catalogCall("SQLTablesW", StatementHandle, &Statement::tables,
                     name(CatalogName, NameLength1), name(SchemaName, NameLength2),
                     name(TableName, NameLength3), name(TableType, NameLength4));
}
