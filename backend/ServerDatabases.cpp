#include "backend/ServerDatabases.h"

#include <memory>

#include "backend/ConnectionStringEntry.h"
#include "backend/DriverFactories.h"
#include "backend/KarvellConnection.h"
#include "backend/KarvellStatement.h"
#include "client/kvl.h"
#include "core/Environment.h"

namespace {

template <typename Handle>
SQLRETURN failure(Handle& handle, SQLINTEGER& nativeError, std::string& message) {
  char state[6] = {};
  char text[512] = {};
  SQLSMALLINT length = 0;
  if (SQL_SUCCEEDED(handle.getDiagRec(1, state, &nativeError, text, sizeof text, &length)))
    message = text;
  return SQL_ERROR;
}

const char* encryptionEntry(std::uint32_t encryption) {
  switch (encryption) {
    case 2:
      return "Encryption=AES128;";
    case 3:
      return "Encryption=AES192;";
    case 4:
      return "Encryption=AES256;";
    default:
      return "";
  }
}

}  // namespace

SQLRETURN listServerDatabases(const std::string& server, std::uint16_t port,
                              std::uint32_t encryption, const std::string& user,
                              const std::string& password, std::vector<std::string>& names,
                              SQLINTEGER& nativeError, std::string& message) {
  nativeError = 0;
  const std::unique_ptr<Environment> environment(createEnvironment());
  if (!environment) return SQL_ERROR;
  KarvellConnection connection(environment.get());
  const std::string settings = connectionStringEntry("SERVER", server) +
                               ";PORT=" + std::to_string(port) + ";" +
                               connectionStringEntry("UID", user) + ";" +
                               connectionStringEntry("PWD", password) + ";" +
                               encryptionEntry(encryption);
  std::string completed;
  if (!SQL_SUCCEEDED(
          connection.driverConnect(nullptr, settings, completed, SQL_DRIVER_NOPROMPT)))
    return failure(connection, nativeError, message);
  KarvellStatement statement(&connection);
  SQLRETURN rc = statement.executeFinalizedQuery("show databases", 0);
  if (!SQL_SUCCEEDED(rc)) {
    rc = failure(statement, nativeError, message);
  } else if (KvlCursor* cursor = statement.serverCursor()) {
    // Row by row: a list the server keeps on its side has no row count.
    for (bool more = !kvl_cursor_is_eof(cursor); more;
         more = kvl_cursor_seek(cursor, KVL_SEEK_NEXT) == 1) {
      std::uint32_t length = 0;
      const char* name = kvl_cursor_field(cursor, -1, 1, &length);
      if (name != nullptr) names.emplace_back(name, length);
    }
    rc = SQL_SUCCESS;
  }
  // The statement goes before the connection, which disconnects as it goes.
  statement.freeStmt(SQL_DROP);
  return rc;
}
