// The catalog functions: each traces its call (ENTER/EXIT) and has the statement install its
// catalog result, which the application then fetches. The wide forms pass UTF-8 copies of their
// texts with 32-bit byte counts.
#include <string>
#include <vector>

#include "api/StatementCall.h"
#include "api/WideIn.h"
#include "core/TraceFormatter.h"
#include "platform/Export.h"

using namespace api;

namespace {

const char* narrow(const SQLCHAR* text) { return reinterpret_cast<const char*>(text); }

// A text argument of the call line, and its length as the caller gave it.
void addText(std::vector<std::string>& arguments, const SQLCHAR* text, SQLSMALLINT length) {
  arguments.push_back(narrowTextArgument(text, length));
  arguments.push_back(lengthOrNts(length));
}

void addText(std::vector<std::string>& arguments, const WideIn& text, SQLSMALLINT length) {
  arguments.push_back(wideTextArgument(text.text()));
  arguments.push_back(lengthOrNts(length));
}

// SQLForeignKeys writes its last text right after the comma.
std::vector<std::string> foreignKeyLine(std::vector<std::string> arguments) {
  arguments[9] += "," + arguments[10];
  arguments.erase(arguments.begin() + 10);
  return arguments;
}

}  // namespace

KARVOD_EXPORT SQLRETURN SQL_API SQLColumnPrivileges(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                    SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                    SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                    SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                                    SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLColumnPrivileges", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, TableName, NameLength3);
        addText(arguments, ColumnName, NameLength4);
        return arguments;
      },
      [&] {
        return statement->columnPrivileges(narrow(CatalogName), NameLength1, narrow(SchemaName),
                                           NameLength2, narrow(TableName), NameLength3,
                                           narrow(ColumnName), NameLength4);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColumnPrivilegesW(SQLHSTMT StatementHandle,
                                                     SQLWCHAR* CatalogName, SQLSMALLINT NameLength1,
                                                     SQLWCHAR* SchemaName, SQLSMALLINT NameLength2,
                                                     SQLWCHAR* TableName, SQLSMALLINT NameLength3,
                                                     SQLWCHAR* ColumnName,
                                                     SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn tableNameText(TableName, NameLength3);
  const WideIn columnNameText(ColumnName, NameLength4);
  return timed(
      "SQLColumnPrivilegesW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, tableNameText, NameLength3);
        addText(arguments, columnNameText, NameLength4);
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(),
            {&catalogNameText, &schemaNameText, &tableNameText, &columnNameText}, [&] {
              return statement->columnPrivileges(catalogNameText.text(), catalogNameText.length(),
                                                 schemaNameText.text(), schemaNameText.length(),
                                                 tableNameText.text(), tableNameText.length(),
                                                 columnNameText.text(), columnNameText.length());
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColumns(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                           SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                           SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                           SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                           SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLColumns", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, TableName, NameLength3);
        addText(arguments, ColumnName, NameLength4);
        return arguments;
      },
      [&] {
        return statement->columns(narrow(CatalogName), NameLength1, narrow(SchemaName), NameLength2,
                                  narrow(TableName), NameLength3, narrow(ColumnName), NameLength4);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLColumnsW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                            SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                            SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                            SQLSMALLINT NameLength3, SQLWCHAR* ColumnName,
                                            SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn tableNameText(TableName, NameLength3);
  const WideIn columnNameText(ColumnName, NameLength4);
  return timed(
      "SQLColumnsW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, tableNameText, NameLength3);
        addText(arguments, columnNameText, NameLength4);
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(),
            {&catalogNameText, &schemaNameText, &tableNameText, &columnNameText}, [&] {
              return statement->columns(catalogNameText.text(), catalogNameText.length(),
                                        schemaNameText.text(), schemaNameText.length(),
                                        tableNameText.text(), tableNameText.length(),
                                        columnNameText.text(), columnNameText.length());
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLForeignKeys(SQLHSTMT StatementHandle, SQLCHAR* PKCatalogName,
                                               SQLSMALLINT NameLength1, SQLCHAR* PKSchemaName,
                                               SQLSMALLINT NameLength2, SQLCHAR* PKTableName,
                                               SQLSMALLINT NameLength3, SQLCHAR* FKCatalogName,
                                               SQLSMALLINT NameLength4, SQLCHAR* FKSchemaName,
                                               SQLSMALLINT NameLength5, SQLCHAR* FKTableName,
                                               SQLSMALLINT NameLength6) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLForeignKeys", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, PKCatalogName, NameLength1);
        addText(arguments, PKSchemaName, NameLength2);
        addText(arguments, PKTableName, NameLength3);
        addText(arguments, FKCatalogName, NameLength4);
        addText(arguments, FKSchemaName, NameLength5);
        addText(arguments, FKTableName, NameLength6);
        return foreignKeyLine(arguments);
      },
      [&] {
        return statement->foreignKeys(narrow(PKCatalogName), NameLength1, narrow(PKSchemaName),
                                      NameLength2, narrow(PKTableName), NameLength3,
                                      narrow(FKCatalogName), NameLength4, narrow(FKSchemaName),
                                      NameLength5, narrow(FKTableName), NameLength6);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLForeignKeysW(SQLHSTMT StatementHandle, SQLWCHAR* PKCatalogName,
                                                SQLSMALLINT NameLength1, SQLWCHAR* PKSchemaName,
                                                SQLSMALLINT NameLength2, SQLWCHAR* PKTableName,
                                                SQLSMALLINT NameLength3, SQLWCHAR* FKCatalogName,
                                                SQLSMALLINT NameLength4, SQLWCHAR* FKSchemaName,
                                                SQLSMALLINT NameLength5, SQLWCHAR* FKTableName,
                                                SQLSMALLINT NameLength6) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn pKCatalogNameText(PKCatalogName, NameLength1);
  const WideIn pKSchemaNameText(PKSchemaName, NameLength2);
  const WideIn pKTableNameText(PKTableName, NameLength3);
  const WideIn fKCatalogNameText(FKCatalogName, NameLength4);
  const WideIn fKSchemaNameText(FKSchemaName, NameLength5);
  const WideIn fKTableNameText(FKTableName, NameLength6);
  return timed(
      "SQLForeignKeysW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, pKCatalogNameText, NameLength1);
        addText(arguments, pKSchemaNameText, NameLength2);
        addText(arguments, pKTableNameText, NameLength3);
        addText(arguments, fKCatalogNameText, NameLength4);
        addText(arguments, fKSchemaNameText, NameLength5);
        addText(arguments, fKTableNameText, NameLength6);
        return foreignKeyLine(arguments);
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(),
            {&pKCatalogNameText, &pKSchemaNameText, &pKTableNameText, &fKCatalogNameText,
             &fKSchemaNameText, &fKTableNameText},
            [&] {
              return statement->foreignKeys(
                  pKCatalogNameText.text(), pKCatalogNameText.length(), pKSchemaNameText.text(),
                  pKSchemaNameText.length(), pKTableNameText.text(), pKTableNameText.length(),
                  fKCatalogNameText.text(), fKCatalogNameText.length(), fKSchemaNameText.text(),
                  fKSchemaNameText.length(), fKTableNameText.text(), fKTableNameText.length());
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                               SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                               SQLSMALLINT NameLength3) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLPrimaryKeys", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, TableName, NameLength3);
        return arguments;
      },
      [&] {
        return statement->primaryKeys(narrow(CatalogName), NameLength1, narrow(SchemaName),
                                      NameLength2, narrow(TableName), NameLength3);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLPrimaryKeysW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                                SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                                SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                                SQLSMALLINT NameLength3) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn tableNameText(TableName, NameLength3);
  return timed(
      "SQLPrimaryKeysW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, tableNameText, NameLength3);
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(), {&catalogNameText, &schemaNameText, &tableNameText}, [&] {
              return statement->primaryKeys(catalogNameText.text(), catalogNameText.length(),
                                            schemaNameText.text(), schemaNameText.length(),
                                            tableNameText.text(), tableNameText.length());
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProcedureColumns(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                    SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                    SQLSMALLINT NameLength2, SQLCHAR* ProcName,
                                                    SQLSMALLINT NameLength3, SQLCHAR* ColumnName,
                                                    SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLProcedureColumns", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, ProcName, NameLength3);
        addText(arguments, ColumnName, NameLength4);
        return arguments;
      },
      [&] {
        return statement->procedureColumns(narrow(CatalogName), NameLength1, narrow(SchemaName),
                                           NameLength2, narrow(ProcName), NameLength3,
                                           narrow(ColumnName), NameLength4);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProcedureColumnsW(SQLHSTMT StatementHandle,
                                                     SQLWCHAR* CatalogName, SQLSMALLINT NameLength1,
                                                     SQLWCHAR* SchemaName, SQLSMALLINT NameLength2,
                                                     SQLWCHAR* ProcName, SQLSMALLINT NameLength3,
                                                     SQLWCHAR* ColumnName,
                                                     SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn procNameText(ProcName, NameLength3);
  const WideIn columnNameText(ColumnName, NameLength4);
  return timed(
      "SQLProcedureColumnsW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, procNameText, NameLength3);
        addText(arguments, columnNameText, NameLength4);
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(),
            {&catalogNameText, &schemaNameText, &procNameText, &columnNameText}, [&] {
              return statement->procedureColumns(catalogNameText.text(), catalogNameText.length(),
                                                 schemaNameText.text(), schemaNameText.length(),
                                                 procNameText.text(), procNameText.length(),
                                                 columnNameText.text(), columnNameText.length());
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProcedures(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                              SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                              SQLSMALLINT NameLength2, SQLCHAR* ProcName,
                                              SQLSMALLINT NameLength3) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLProcedures", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, ProcName, NameLength3);
        return arguments;
      },
      [&] {
        return statement->procedures(narrow(CatalogName), NameLength1, narrow(SchemaName),
                                     NameLength2, narrow(ProcName), NameLength3);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLProceduresW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                               SQLSMALLINT NameLength2, SQLWCHAR* ProcName,
                                               SQLSMALLINT NameLength3) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn procNameText(ProcName, NameLength3);
  return timed(
      "SQLProceduresW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, procNameText, NameLength3);
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(), {&catalogNameText, &schemaNameText, &procNameText}, [&] {
              return statement->procedures(catalogNameText.text(), catalogNameText.length(),
                                           schemaNameText.text(), schemaNameText.length(),
                                           procNameText.text(), procNameText.length());
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSpecialColumns(SQLHSTMT StatementHandle,
                                                  SQLUSMALLINT IdentifierType, SQLCHAR* CatalogName,
                                                  SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                  SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                  SQLSMALLINT NameLength3, SQLUSMALLINT Scope,
                                                  SQLUSMALLINT Nullable) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLSpecialColumns", statement,
      [&] {
        std::vector<std::string> arguments;
        arguments.push_back(identifierTypeName(IdentifierType));
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, TableName, NameLength3);
        arguments.push_back(scopeName(Scope));
        arguments.push_back(nullableName(Nullable));
        return arguments;
      },
      [&] {
        return statement->specialColumns(IdentifierType, narrow(CatalogName), NameLength1,
                                         narrow(SchemaName), NameLength2, narrow(TableName),
                                         NameLength3, Scope, Nullable);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLSpecialColumnsW(SQLHSTMT StatementHandle,
                                                   SQLUSMALLINT IdentifierType,
                                                   SQLWCHAR* CatalogName, SQLSMALLINT NameLength1,
                                                   SQLWCHAR* SchemaName, SQLSMALLINT NameLength2,
                                                   SQLWCHAR* TableName, SQLSMALLINT NameLength3,
                                                   SQLUSMALLINT Scope, SQLUSMALLINT Nullable) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn tableNameText(TableName, NameLength3);
  return timed(
      "SQLSpecialColumnsW", statement,
      [&] {
        std::vector<std::string> arguments;
        arguments.push_back(identifierTypeName(IdentifierType));
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, tableNameText, NameLength3);
        arguments.push_back(scopeName(Scope));
        arguments.push_back(nullableName(Nullable));
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(), {&catalogNameText, &schemaNameText, &tableNameText}, [&] {
              return statement->specialColumns(IdentifierType, catalogNameText.text(),
                                               catalogNameText.length(), schemaNameText.text(),
                                               schemaNameText.length(), tableNameText.text(),
                                               tableNameText.length(), Scope, Nullable);
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLStatistics(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                              SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                              SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                              SQLSMALLINT NameLength3, SQLUSMALLINT Unique,
                                              SQLUSMALLINT Reserved) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLStatistics", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, TableName, NameLength3);
        arguments.push_back(indexUniqueName(Unique));
        arguments.push_back(accuracyName(Reserved));
        return arguments;
      },
      [&] {
        return statement->statistics(narrow(CatalogName), NameLength1, narrow(SchemaName),
                                     NameLength2, narrow(TableName), NameLength3, Unique, Reserved);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLStatisticsW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                               SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                               SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                               SQLSMALLINT NameLength3, SQLUSMALLINT Unique,
                                               SQLUSMALLINT Reserved) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn tableNameText(TableName, NameLength3);
  return timed(
      "SQLStatisticsW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, tableNameText, NameLength3);
        arguments.push_back(indexUniqueName(Unique));
        arguments.push_back(accuracyName(Reserved));
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(), {&catalogNameText, &schemaNameText, &tableNameText}, [&] {
              return statement->statistics(catalogNameText.text(), catalogNameText.length(),
                                           schemaNameText.text(), schemaNameText.length(),
                                           tableNameText.text(), tableNameText.length(), Unique,
                                           Reserved);
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTablePrivileges(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                                   SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                                   SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                                   SQLSMALLINT NameLength3) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLTablePrivileges", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, TableName, NameLength3);
        return arguments;
      },
      [&] {
        return statement->tablePrivileges(narrow(CatalogName), NameLength1, narrow(SchemaName),
                                          NameLength2, narrow(TableName), NameLength3);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTablePrivilegesW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                                    SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                                    SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                                    SQLSMALLINT NameLength3) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn tableNameText(TableName, NameLength3);
  return timed(
      "SQLTablePrivilegesW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, tableNameText, NameLength3);
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(), {&catalogNameText, &schemaNameText, &tableNameText}, [&] {
              return statement->tablePrivileges(catalogNameText.text(), catalogNameText.length(),
                                                schemaNameText.text(), schemaNameText.length(),
                                                tableNameText.text(), tableNameText.length());
            });
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT StatementHandle, SQLCHAR* CatalogName,
                                          SQLSMALLINT NameLength1, SQLCHAR* SchemaName,
                                          SQLSMALLINT NameLength2, SQLCHAR* TableName,
                                          SQLSMALLINT NameLength3, SQLCHAR* TableType,
                                          SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  return timed(
      "SQLTables", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, CatalogName, NameLength1);
        addText(arguments, SchemaName, NameLength2);
        addText(arguments, TableName, NameLength3);
        addText(arguments, TableType, NameLength4);
        return arguments;
      },
      [&] {
        return statement->tables(narrow(CatalogName), NameLength1, narrow(SchemaName), NameLength2,
                                 narrow(TableName), NameLength3, narrow(TableType), NameLength4);
      });
}

KARVOD_EXPORT SQLRETURN SQL_API SQLTablesW(SQLHSTMT StatementHandle, SQLWCHAR* CatalogName,
                                           SQLSMALLINT NameLength1, SQLWCHAR* SchemaName,
                                           SQLSMALLINT NameLength2, SQLWCHAR* TableName,
                                           SQLSMALLINT NameLength3, SQLWCHAR* TableType,
                                           SQLSMALLINT NameLength4) {
  Statement* statement = asStatement(StatementHandle);
  const WideIn catalogNameText(CatalogName, NameLength1);
  const WideIn schemaNameText(SchemaName, NameLength2);
  const WideIn tableNameText(TableName, NameLength3);
  const WideIn tableTypeText(TableType, NameLength4);
  return timed(
      "SQLTablesW", statement,
      [&] {
        std::vector<std::string> arguments;
        addText(arguments, catalogNameText, NameLength1);
        addText(arguments, schemaNameText, NameLength2);
        addText(arguments, tableNameText, NameLength3);
        addText(arguments, tableTypeText, NameLength4);
        return arguments;
      },
      [&] {
        return withWideTexts(
            statement->diagnostics(),
            {&catalogNameText, &schemaNameText, &tableNameText, &tableTypeText}, [&] {
              return statement->tables(catalogNameText.text(), catalogNameText.length(),
                                       schemaNameText.text(), schemaNameText.length(),
                                       tableNameText.text(), tableNameText.length(),
                                       tableTypeText.text(), tableTypeText.length());
            });
      });
}
