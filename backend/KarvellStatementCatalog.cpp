// The catalog functions, answered from the server's PRAGMA statements and its sqlite_master
// table through a private statement on the same connection. Names and patterns from the
// application only ever reach the server inside quotes, with the quote character doubled.
#include <algorithm>
#include <boost/algorithm/string/trim.hpp>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/KarvellConnection.h"
#include "backend/KarvellStatement.h"
#include "core/AppBuffer.h"
#include "core/Environment.h"
#include "statement/Descriptor.h"
#include "statement/DescriptorRecord.h"
#include "statement/Recordset.h"

namespace {

using CatalogRow = KarvellStatement::CatalogRow;

// Tables whose names begin with this are the server's own.
const std::string systemTablePrefix = "sqlite_";
const std::string automaticIndexPrefix = "sqlite_autoindex_";
// The server's code for a table it does not know.
constexpr SQLINTEGER unknownTableCode = 7015;

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string upperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The text between `quote` characters, each quote inside doubled.
std::string quoted(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

std::string pragmaOn(const char* pragma, const std::string& name) {
  return std::string("PRAGMA ") + pragma + "(" + quoted(name, '"') + ")";
}

// LIKE as the server applies it: "%" any run, "_" one character, ASCII case ignored.
bool likeMatches(const std::string& pattern, const std::string& text) {
  const std::string p = lowerAscii(pattern);
  const std::string t = lowerAscii(text);
  std::size_t i = 0;
  std::size_t j = 0;
  std::size_t star = std::string::npos;
  std::size_t resume = 0;
  while (j < t.size()) {
    if (i < p.size() && p[i] == '%') {
      star = i++;
      resume = j;
    } else if (i < p.size() && (p[i] == '_' || p[i] == t[j])) {
      ++i;
      ++j;
    } else if (star != std::string::npos) {
      i = star + 1;
      j = ++resume;
    } else {
      return false;
    }
  }
  while (i < p.size() && p[i] == '%') ++i;
  return i == p.size();
}

// Cell `column` (1-based) of a server row.
OptionalText cell(const CatalogRow& row, std::size_t column) {
  if (column > row.size() || !row[column - 1]) return std::nullopt;
  return std::string(*row[column - 1]);
}

std::string text(const CatalogRow& row, std::size_t column) {
  return cell(row, column).value_or("");
}

// The leading decimal number of a cell, 0 for NULL or none.
SQLSMALLINT number(const CatalogRow& row, std::size_t column) {
  SQLSMALLINT value = 0;
  if (column <= row.size() && row[column - 1]) {
    const std::string_view digits = *row[column - 1];
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
  }
  return value;
}

OptionalInt optionalInt(const std::optional<std::uint32_t>& value) {
  if (!value) return std::nullopt;
  return static_cast<SQLINTEGER>(*value);
}

}  // namespace

template <typename Visit>
SQLRETURN KarvellStatement::runCatalogQuery(const std::string& sql, bool unknownTableIsEmpty,
                                            Visit visit) {
  KarvellStatement query(karvell_);
  query.setStmtAttr(SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(queryTimeout()), 0);
  SQLRETURN ran = SQL_SUCCESS;
  {
    Waiting waiting(this);
    ran = query.executeFinalizedQuery(sql, 0);
  }
  if (!SQL_SUCCEEDED(ran)) {
    SQLINTEGER code = 0;
    query.diagnostics().getDiagField(1, SQL_DIAG_NATIVE, &code, 0, nullptr);
    if (unknownTableIsEmpty && code == unknownTableCode) return SQL_NO_DATA;
    diagnostics_.copyRecords(query.diagnostics());
    return SQL_ERROR;
  }
  Recordset* source = query.recordset();
  if (source == nullptr) return SQL_SUCCESS;
  const Descriptor& ird = *query.impRowDesc();
  std::vector<const DescriptorRecord*> records;
  for (SQLSMALLINT column = 1; column <= ird.getCount(); ++column)
    records.push_back(ird.getRecord(column));
  // Every value whole, straight from the cursor's bytes, into one row reused for every row.
  CatalogRow row(records.size());
  while (source->next() == SQL_SUCCESS) {
    source->bindRow(0, SQL_RD_ON);
    for (std::size_t column = 0; column < records.size(); ++column) {
      const auto* values = static_cast<const char* const*>(records[column]->getDataPtr());
      const SQLLEN* lengths = records[column]->getOctetLengthPtr();
      const SQLLEN* indicators = records[column]->getIndicatorPtr();
      row[column].reset();
      if (values != nullptr && values[0] != nullptr && lengths != nullptr &&
          (indicators == nullptr || indicators[0] != SQL_NULL_DATA)) {
        row[column].emplace(values[0], static_cast<std::size_t>(lengths[0]));
      }
    }
    visit(static_cast<const CatalogRow&>(row));
  }
  return SQL_SUCCESS;
}

template <typename Work>
SQLRETURN KarvellStatement::catalogCall(const std::string& logText, SQLRETURN shaped, Work work) {
  if (!SQL_SUCCEEDED(shaped)) return shaped;
  const SQLRETURN rc = work();
  if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) return rc;
  if (karvell_->isQueryLogEnabled()) logQueryIfSlow(logText);
  return shaped;
}

SQLRETURN KarvellStatement::startCatalog() {
  diagnostics_.clear();
  if (!karvell_->isAlive()) return post("08S01");
  if (karvell_->isQueryLogEnabled()) startQueryTimer();
  return SQL_SUCCESS;
}

SQLRETURN KarvellStatement::columnPrivileges(const char* catalog, SQLINTEGER catalogLength,
                                             const char* schema, SQLINTEGER schemaLength,
                                             const char* table, SQLINTEGER tableLength,
                                             const char* column, SQLINTEGER columnLength) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  return catalogCall("SQLColumnPrivileges: " + stringFromSqlChars(table, tableLength),
                     Statement::columnPrivileges(catalog, catalogLength, schema, schemaLength,
                                                 table, tableLength, column, columnLength),
                     []() -> SQLRETURN { return SQL_SUCCESS; });
}

SQLRETURN KarvellStatement::procedures(const char* catalog, SQLINTEGER catalogLength,
                                       const char* schema, SQLINTEGER schemaLength,
                                       const char* procedure, SQLINTEGER procedureLength) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  return catalogCall("SQLProcedures",
                     Statement::procedures(catalog, catalogLength, schema, schemaLength, procedure,
                                           procedureLength),
                     []() -> SQLRETURN { return SQL_SUCCESS; });
}

SQLRETURN KarvellStatement::tablePrivileges(const char* catalog, SQLINTEGER catalogLength,
                                            const char* schema, SQLINTEGER schemaLength,
                                            const char* table, SQLINTEGER tableLength) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  const std::string schemaName = stringFromSqlChars(schema, schemaLength);
  const std::string tableName = stringFromSqlChars(table, tableLength);
  return catalogCall(
      "SQLTablePrivileges: " + tableName,
      Statement::tablePrivileges(catalog, catalogLength, schema, schemaLength, table, tableLength),
      [&]() -> SQLRETURN {
        // The server keeps no privileges: the connection's user may do everything.
        const std::string user = karvell_->getInfoUserName();
        for (const char* privilege : {"SELECT", "INSERT", "UPDATE", "DELETE"}) {
          addTablePrivilegesRow({}, schemaName, tableName, std::string("_SYSTEM"), user,
                                std::string(privilege), std::string("NO"));
        }
        return SQL_SUCCESS;
      });
}

SQLRETURN KarvellStatement::tables(const char* catalog, SQLINTEGER catalogLength,
                                   const char* schema, SQLINTEGER schemaLength, const char* table,
                                   SQLINTEGER tableLength, const char* tableType,
                                   SQLINTEGER tableTypeLength) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  const std::string catalogName = stringFromSqlChars(catalog, catalogLength);
  const std::string schemaName = stringFromSqlChars(schema, schemaLength);
  const std::string pattern = stringFromSqlChars(table, tableLength);
  const std::string types = stringFromSqlChars(tableType, tableTypeLength);
  return catalogCall(
      "SQLTables",
      Statement::tables(catalog, catalogLength, schema, schemaLength, table, tableLength, tableType,
                        tableTypeLength),
      [&]() -> SQLRETURN { return listTables(catalogName, schemaName, pattern, types); });
}

SQLRETURN KarvellStatement::listTables(const std::string& catalog, const std::string& schema,
                                       const std::string& pattern, const std::string& types) {
  const bool onlyCatalog = schema.empty() && pattern.empty() && types.empty();
  if (catalog == "%" && onlyCatalog) {
    return runCatalogQuery("PRAGMA database_list", false, [this](const CatalogRow& database) {
      addTablesRow(cell(database, 2), {}, {}, std::string(), {});
    });
  }
  if (catalog.empty() && schema == "%" && pattern.empty() && types.empty()) return SQL_SUCCESS;
  if (catalog.empty() && schema.empty() && pattern.empty() && types == "%") {
    for (const char* type : {"TABLE", "SYSTEM TABLE", "VIEW"}) {
      addTablesRow({}, {}, {}, std::string(type), {});
    }
    return SQL_SUCCESS;
  }

  const bool includeViews = karvell_->includeViews();
  const bool microsoftQuery =
      includeViews && environment()->applicationName().compare(0, 15, "Microsoft Query") == 0;
  bool wantTables = types.empty();
  bool wantSystemTables = types.empty();
  bool wantViews = types.empty() || includeViews;
  std::size_t start = 0;
  while (start <= types.size()) {
    const std::size_t end = std::min(types.find_first_of(",'\"", start), types.size());
    const std::string token =
        upperAscii(boost::algorithm::trim_copy(types.substr(start, end - start)));
    wantTables = wantTables || token == "TABLE";
    wantSystemTables = wantSystemTables || token == "SYSTEM TABLE";
    wantViews = wantViews || token == "VIEW";
    start = end + 1;
  }

  const std::string prefixLength = std::to_string(systemTablePrefix.size());
  std::string sql = "select tbl_name, upper(type) from sqlite_master where 1=1  and (0 ";
  if (wantTables) {
    sql += " or (type = 'table' and substr(lower(tbl_name), 1, " + prefixLength + ") != '" +
           systemTablePrefix + "') ";
  }
  if (wantSystemTables) {
    sql += " or substr(lower(tbl_name), 1, " + prefixLength + ") = '" + systemTablePrefix + "' ";
  }
  if (wantViews) sql += " or type = 'view' ";
  sql += ") ";
  if (!pattern.empty()) sql += " and lower(tbl_name) like lower(" + quoted(pattern, '\'') + ")";
  sql += "ORDER BY tbl_name ";

  bool masterSeen = false;
  const SQLRETURN rc = runCatalogQuery(sql, false, [&](const CatalogRow& row) {
    const std::string name = text(row, 1);
    std::string type = text(row, 2);
    const std::string lowerName = lowerAscii(name);
    if (lowerName.compare(0, systemTablePrefix.size(), systemTablePrefix) == 0 && type == "TABLE") {
      type = "SYSTEM TABLE";
      masterSeen = masterSeen || lowerName == "sqlite_master";
    } else if (microsoftQuery && type == "VIEW") {
      type = "TABLE";
    }
    addTablesRow({}, {}, name, type, {});
  });
  if (!SQL_SUCCEEDED(rc)) return rc;
  // The server lists its catalog table only when asked for it by name.
  if (wantSystemTables && !masterSeen &&
      (pattern.empty() || likeMatches(pattern, "sqlite_master"))) {
    addSystemTables();
  }
  return SQL_SUCCESS;
}

void KarvellStatement::addSystemTables() {
  addTablesRow({}, {}, std::string("sqlite_master"), std::string("SYSTEM TABLE"), {});
}

SQLRETURN KarvellStatement::columns(const char* catalog, SQLINTEGER catalogLength,
                                    const char* schema, SQLINTEGER schemaLength, const char* table,
                                    SQLINTEGER tableLength, const char* column,
                                    SQLINTEGER columnLength) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  const std::string tableName = stringFromSqlChars(table, tableLength);
  const std::string pattern = upperAscii(stringFromSqlChars(column, columnLength));
  return catalogCall(
      "SQLColumns: " + tableName,
      Statement::columns(catalog, catalogLength, schema, schemaLength, table, tableLength, column,
                         columnLength),
      [&]() -> SQLRETURN {
        SQLINTEGER position = 0;
        return runCatalogQuery(
            pragmaOn("table_info", tableName), false, [&](const CatalogRow& row) {
              ++position;
              const std::string name = text(row, 2);
              if (!pattern.empty() && pattern != "%" && upperAscii(name) != pattern) return;
              const DeclaredType type = mapDeclaredType(text(row, 3));
              const bool notNull = number(row, 4) != 0;
              addColumnsRow({}, {}, tableName, name, type.sqlType, type.typeName,
                            static_cast<SQLINTEGER>(type.columnSize),
                            static_cast<SQLINTEGER>(type.octetLength), type.scale, type.radix,
                            static_cast<SQLSMALLINT>(notNull ? SQL_NO_NULLS : SQL_NULLABLE), {},
                            cell(row, 5), type.verboseType, type.datetimeSub,
                            optionalInt(type.charOctetLength), position,
                            std::string(notNull ? "NO" : "YES"));
            });
      });
}

SQLRETURN KarvellStatement::statistics(const char* catalog, SQLINTEGER catalogLength,
                                       const char* schema, SQLINTEGER schemaLength,
                                       const char* table, SQLINTEGER tableLength,
                                       SQLUSMALLINT unique, SQLUSMALLINT reserved) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  const std::string tableName = stringFromSqlChars(table, tableLength);
  return catalogCall(
      "SQLStatistics: " + tableName,
      Statement::statistics(catalog, catalogLength, schema, schemaLength, table, tableLength,
                            unique, reserved),
      [&]() -> SQLRETURN {
        // Every index first: the server answers one request at a time.
        std::vector<std::pair<std::string, bool>> indexes;
        SQLRETURN rc =
            runCatalogQuery(pragmaOn("index_list", tableName), true, [&](const CatalogRow& index) {
              const bool isUnique = number(index, 3) != 0;
              if (unique != SQL_INDEX_UNIQUE || isUnique)
                indexes.emplace_back(text(index, 2), isUnique);
            });
        if (rc != SQL_SUCCESS) return rc;
        for (const auto& [name, isUnique] : indexes) {
          rc = runCatalogQuery(pragmaOn("index_info", name), true, [&](const CatalogRow& column) {
            addStatisticsRow({}, {}, tableName, static_cast<SQLSMALLINT>(isUnique ? 0 : 1), name,
                             name, static_cast<SQLSMALLINT>(SQL_INDEX_OTHER),
                             static_cast<SQLSMALLINT>(number(column, 1) + 1), cell(column, 3), {},
                             {}, {}, {});
          });
          if (rc != SQL_SUCCESS) return rc;
        }
        return rc;
      });
}

SQLRETURN KarvellStatement::primaryKeys(const char* catalog, SQLINTEGER catalogLength,
                                        const char* schema, SQLINTEGER schemaLength,
                                        const char* table, SQLINTEGER tableLength) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  const std::string tableName = stringFromSqlChars(table, tableLength);
  return catalogCall(
      "SQLPrimaryKeys: " + tableName,
      Statement::primaryKeys(catalog, catalogLength, schema, schemaLength, table, tableLength),
      [&]() -> SQLRETURN { return listPrimaryKey(tableName); });
}

SQLRETURN KarvellStatement::listPrimaryKey(const std::string& table) {
  // The key's own index says so in its origin; a server that does not tell has it as its first
  // automatic index.
  std::optional<std::string> key;
  SQLRETURN rc = runCatalogQuery(pragmaOn("index_list", table), true, [&](const CatalogRow& index) {
    const OptionalText origin = cell(index, 4);
    const std::string name = text(index, 2);
    const bool isKey = origin ? *origin == "pk"
                              : lowerAscii(name).compare(0, automaticIndexPrefix.size(),
                                                         automaticIndexPrefix) == 0;
    if (isKey && !key) key = name;
  });
  if (rc != SQL_SUCCESS) return rc;
  if (key) {
    return runCatalogQuery(pragmaOn("index_info", *key), true, [&](const CatalogRow& column) {
      addPrimaryKeysRow({}, {}, table, cell(column, 3),
                        static_cast<SQLSMALLINT>(number(column, 1) + 1), *key);
    });
  }
  // A key on the rowid alias has no index: the table's columns tell their place in the key.
  std::vector<std::pair<SQLSMALLINT, std::string>> keyColumns;
  rc = runCatalogQuery(pragmaOn("table_info", table), true, [&](const CatalogRow& column) {
    if (number(column, 6) != 0) keyColumns.emplace_back(number(column, 6), text(column, 2));
  });
  std::sort(keyColumns.begin(), keyColumns.end());
  for (const auto& [sequence, name] : keyColumns) {
    addPrimaryKeysRow({}, {}, table, name, sequence, {});
  }
  return rc;
}

SQLRETURN KarvellStatement::specialColumns(SQLUSMALLINT identifierType, const char* catalog,
                                           SQLINTEGER catalogLength, const char* schema,
                                           SQLINTEGER schemaLength, const char* table,
                                           SQLINTEGER tableLength, SQLUSMALLINT scope,
                                           SQLUSMALLINT nullable) {
  if (startCatalog() == SQL_ERROR) return SQL_ERROR;
  const std::string tableName = stringFromSqlChars(table, tableLength);
  return catalogCall("SQLSpecialColumns: " + tableName,
                     Statement::specialColumns(identifierType, catalog, catalogLength, schema,
                                               schemaLength, table, tableLength, scope, nullable),
                     [&]() -> SQLRETURN {
                       if (identifierType != SQL_BEST_ROWID) return SQL_SUCCESS;
                       // Every table has its rowid; a view, or a table that is not there, has none.
                       KarvellStatement lookup(karvell_);
                       const SQLRETURN rc =
                           lookup.tables(catalog, catalogLength, schema, schemaLength, table,
                                         tableLength, nullptr, 0);
                       if (!SQL_SUCCEEDED(rc)) {
                         diagnostics_.copyRecords(lookup.diagnostics());
                         return rc;
                       }
                       if (lookup.listsTable(tableName)) {
                         // The rowid is the server's 64-bit integer.
                         const DeclaredType rowid = mapDeclaredType("BIGINT");
                         addSpecialColumnsRow(static_cast<SQLSMALLINT>(SQL_SCOPE_SESSION),
                                              std::string("ROWID"), rowid.sqlType, rowid.typeName,
                                              static_cast<SQLINTEGER>(rowid.columnSize),
                                              static_cast<SQLINTEGER>(rowid.octetLength),
                                              rowid.scale, static_cast<SQLSMALLINT>(SQL_PC_PSEUDO));
                       }
                       return SQL_SUCCESS;
                     });
}

bool KarvellStatement::listsTable(const std::string& table) {
  // SQLTables takes the name as a pattern: "%" or "_" would find other tables. The server
  // ignores ASCII case in names. The listed name is read as the server's bytes: SQL_C_CHAR
  // would be in the application's code page, which a name outside ASCII never matches.
  const std::string wanted = lowerAscii(table);
  std::string listed(wanted.size() + 1, '\0');
  char type[sizeof "SYSTEM TABLE"] = {};
  while (fetch() == SQL_SUCCESS) {
    SQLLEN length = 0;
    SQLLEN typeLength = 0;
    if (getData(3, SQL_C_BINARY, &listed[0], static_cast<SQLLEN>(listed.size()), &length) ==
            SQL_SUCCESS &&
        length == static_cast<SQLLEN>(wanted.size()) &&
        lowerAscii(listed.substr(0, wanted.size())) == wanted &&
        getData(4, SQL_C_CHAR, type, sizeof type, &typeLength) == SQL_SUCCESS) {
      // A view's rows have no rowid of their own.
      return std::string(type) != "VIEW";
    }
  }
  return false;
}
