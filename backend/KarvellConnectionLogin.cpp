// Login, the set-up commands, transactions and autocommit on the server.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "backend/KarvellConnection.h"
#include "backend/KarvellStatement.h"
#include "backend/SqlLiteral.h"
#include "client/kvl.h"
#include "core/Environment.h"
#include "core/TextUtilities.h"

namespace {

// The client library's codes for failures before any server answer.
constexpr int missingUser = -100;
constexpr int missingPassword = -101;
constexpr int badArgument = -3;
constexpr int outOfMemory = -2;
constexpr int authenticationFailed = 7000;

// "major.minor.patch" as "%d.%d.%d" reads it: the numbers it finds before the first that is
// missing; out-of-range numbers are clamped.
void parseVersion(const std::string& text, int& major, int& minor, int& patch) {
  int* parts[] = {&major, &minor, &patch};
  const char* at = text.c_str();
  for (int i = 0; i < 3; ++i) {
    char* end = nullptr;
    const long value = std::strtol(at, &end, 10);
    if (end == at) return;
    *parts[i] = static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
    if (*end != '.') return;
    at = end + 1;
  }
}

}  // namespace

SQLRETURN KarvellConnection::login(const std::string& password) {
  disconnect();
  serverVersion_.clear();
  versionMajor_ = versionMinor_ = versionPatch_ = 0;
  // A catalog the application set before connecting names this connection's database.
  if (!Connection::getCurrentCatalog().empty()) database_ = Connection::getCurrentCatalog();
  trace("// Server: " + server_);
  trace("// Database: " + database_);
  if (encryption_ < 0) {
    trace("// Invalid encryption: " + encryptionText_);
    return postClientFailure(badArgument, 0, "");
  }
  int code = 0;
  int clientCode = 0;
  std::string clientMessage;
  bool clientRecord = false;
  int attempt = 0;
  if (user_.empty()) {
    attempt = 1;
    trace("// No userID, skip parm step");
  }
  for (; attempt <= 1; ++attempt) {
    if (user_.empty()) {
      code = missingUser;
    } else if (password.empty()) {
      code = missingPassword;
    } else {
      trace("// Attempting connection: " + std::to_string(attempt));
      // SQL_ATTR_LOGIN_TIMEOUT, else the data source's Timeout, bounds the connect and the
      // login together; with neither the client's own waits hold.
      const SQLUINTEGER loginLimit = getLoginTimeout() != 0 ? getLoginTimeout()
                                     : timeoutGiven_        ? static_cast<SQLUINTEGER>(timeout_)
                                                            : 0;
      code = kvl_connect(&client_, server_.c_str(), port_, user_.c_str(), password.c_str(),
                         timeout_, encryption_, static_cast<int>(std::min<SQLUINTEGER>(loginLimit, INT_MAX)));
    }
    if (code == 0) {
      trace("// Successful connection");
      setConnected(true);
      break;
    }
    trace("// Connection attempt failed: " + std::to_string(attempt));
    // A failed login leaves its record behind: keep its error, close its socket.
    if (client_ != nullptr) {
      clientRecord = true;
      clientCode = kvl_error_code(client_);
      clientMessage = kvl_error_message(client_);
      kvl_disconnect(client_, 0);
      client_ = nullptr;
    }
    if (code != -1 || !clientRecord || clientCode != authenticationFailed) break;
    trace("// Authentication error");
  }
  if (!isConnected()) return postClientFailure(code, clientRecord ? clientCode : code,
                                               clientRecord ? clientMessage : "Unknown error");
  inSetup_ = true;
  boundConnectionReplies();
  SQLRETURN rc = setAutocommit(getAutocommit());
  if (SQL_SUCCEEDED(rc)) rc = runSetupCommands();
  inSetup_ = false;
  kvl_set_reply_limit(client_, 0);
  if (!SQL_SUCCEEDED(rc)) disconnect();
  return rc;
}

SQLRETURN KarvellConnection::postClientFailure(int code, int clientCode,
                                               const std::string& clientMessage) {
  switch (code) {
    case missingPassword:
      diagnostics().post("08S01", missingPassword, "Missing password", -1, -1);
      break;
    case missingUser:
      diagnostics().post("08S01", missingUser, "Missing username", -1, -1);
      break;
    case badArgument:
      diagnostics().post("08S01", badArgument, "Invalid connection parameter", -1, -1);
      break;
    case outOfMemory:
      diagnostics().post("08S01", outOfMemory, "Insufficient memory available", -1, -1);
      break;
    default:
      diagnostics().post(clientCode == kvlTimedOut ? "HYT00" : "08S01", clientCode,
                         clientMessage.c_str(), -1, -1);
      break;
  }
  return SQL_ERROR;
}

SQLRETURN KarvellConnection::postRequestFailure(bool endsTransaction, const char* serverState) {
  const char* state = clientFailureState(endsTransaction);
  diagnostics().post(state != nullptr ? state : serverState, kvl_error_code(client_),
                     kvl_error_message(client_), -1, -1);
  return SQL_ERROR;
}

void KarvellConnection::readServerVersion() {
  std::unique_ptr<KarvellStatement> info(new (std::nothrow) KarvellStatement(this));
  if (!info) return;
  if (SQL_SUCCEEDED(info->executeText("SHOW INFO")) && info->serverCursor() != nullptr) {
    KvlCursor* cursor = info->serverCursor();
    // Row by row: a result the server keeps on its side has no row count.
    for (bool more = !kvl_cursor_is_eof(cursor); more;
         more = kvl_cursor_seek(cursor, KVL_SEEK_NEXT) == 1) {
      std::uint32_t length = 0;
      const char* name = kvl_cursor_field(cursor, -1, 1, &length);
      if (name == nullptr || compareNoCase(std::string(name, length).c_str(), "server_version") != 0)
        continue;
      const char* value = kvl_cursor_field(cursor, -1, 2, &length);
      serverVersion_ = value != nullptr ? std::string(value, length) : std::string();
      parseVersion(serverVersion_, versionMajor_, versionMinor_, versionPatch_);
      break;
    }
  }
  info->freeStmt(SQL_DROP);
}

SQLRETURN KarvellConnection::runSetupCommands() {
  readServerVersion();
  if (kvl_connection_lost(client_) != 0) return postRequestFailure(false);
  // The server keeps the client's name for its own listing; a refusal changes nothing here.
  // A stream lost on the way does: the connect fails.
  if (kvl_execute(client_,
                  ("SET CLIENT TYPE TO " + quotedLiteral(environment()->applicationName()) + ";")
                      .c_str()) != 0 &&
      kvl_connection_lost(client_) != 0) {
    return postRequestFailure(false);
  }
  if (database_.empty()) return SQL_SUCCESS;
  if (kvl_execute(client_, ("USE DATABASE " + quotedLiteral(database_) + ";").c_str()) != 0)
    return postRequestFailure(false);
  return SQL_SUCCESS;
}

SQLRETURN KarvellConnection::disconnect() {
  if (!isConnected()) return SQL_SUCCESS;
  // A statement still holding a result the server keeps asks the server to close it when it is
  // freed, through the client connection: that must still be there.
  freeChildren();
  trace("// closing connection");
  kvl_disconnect(client_, 1);
  client_ = nullptr;
  setConnected(false);
  return SQL_SUCCESS;
}

SQLRETURN KarvellConnection::endTran(SQLSMALLINT completionType) {
  diagnostics().clear();
  if (!isConnected()) {
    diagnostics().post("08S01", 0, "", -1, -1);
    return SQL_ERROR;
  }
  if (!isAlive()) {
    diagnostics().post("08S01", kvl_error_code(client_), kvl_error_message(client_), -1, -1);
    return SQL_ERROR;
  }
  boundConnectionReplies();
  const int rc = completionType == SQL_ROLLBACK ? kvl_rollback(client_) : kvl_commit(client_);
  kvl_set_reply_limit(client_, 0);
  return rc == 0 ? SQL_SUCCESS : postRequestFailure(true);
}

SQLRETURN KarvellConnection::setAutocommit(SQLUINTEGER autocommit) {
  diagnostics().clear();
  const SQLRETURN stored = Connection::setAutocommit(autocommit);
  if (!SQL_SUCCEEDED(stored) || !isConnected()) return stored;
  trace("// set auto-commit: " + std::to_string(autocommit));
  const char* sql = autocommit != 0 ? "SET AUTOCOMMIT TO ON;" : "SET AUTOCOMMIT TO OFF;";
  if (inSetup_) return kvl_execute(client_, sql) == 0 ? SQL_SUCCESS : postRequestFailure(false);
  boundConnectionReplies();
  const int rc = kvl_execute(client_, sql);
  kvl_set_reply_limit(client_, 0);
  return rc == 0 ? SQL_SUCCESS : postRequestFailure(false);
}

SQLRETURN KarvellConnection::setTxnIsolation(SQLUINTEGER isolation) {
  diagnostics().clear();
  // The levels SQL_TXN_ISOLATION_OPTION lists, so that an application may choose what it read
  // there; the server isolates every transaction fully whichever it names.
  if (isTxnIsolationLevel(isolation) && (isolation & getInfoTxnIsolationOption()) == 0) {
    diagnostics().post("HYC00", 0, "", -1, -1);
    return SQL_ERROR;
  }
  return Connection::setTxnIsolation(isolation);
}

SQLRETURN KarvellConnection::setCurrentCatalog(const std::string& catalog) {
  diagnostics().clear();
  if (!isConnected()) return Connection::setCurrentCatalog(catalog);
  trace("// use database: " + catalog);
  boundConnectionReplies();
  const int rc = kvl_execute(client_, ("USE DATABASE " + quotedLiteral(catalog) + ";").c_str());
  kvl_set_reply_limit(client_, 0);
  // The server refuses a database it does not have as it refuses a statement.
  if (rc != 0) return postRequestFailure(false, "HY000");
  database_ = catalog;
  return SQL_SUCCESS;
}

std::string KarvellConnection::getCurrentCatalog() {
  return isConnected() ? database_ : Connection::getCurrentCatalog();
}

InfoText KarvellConnection::getInfoDbmsVer() {
  char text[40];
  std::snprintf(text, sizeof text, "%d.%d.%d", versionMajor_, versionMinor_, versionPatch_);
  return text;
}
