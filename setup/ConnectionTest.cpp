// The connection test through the driver's own exported functions, not through a Driver
// Manager: the handles are this driver's objects.
#include <vector>

#include "platform/Odbc.h"
#include "setup/TestSheet.h"

namespace {

std::u16string infoText(SQLHDBC connection, SQLUSMALLINT item) {
  SQLWCHAR buffer[256] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfoW(connection, item, buffer, sizeof buffer, &length))) {
    return std::u16string();
  }
  std::size_t units = 0;
  while (units < 255 && buffer[units] != 0) ++units;
  return std::u16string(buffer, buffer + units);
}

// Every record, those that come with SQL_SUCCESS_WITH_INFO too, each message whole.
std::vector<std::u16string> diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<std::u16string> messages;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::vector<SQLWCHAR> message(1024);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, message.data(),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
    if (SQL_SUCCEEDED(rc) && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.resize(static_cast<std::size_t>(length) + 1);
      rc = SQLGetDiagRecW(type, handle, record, state, &native, message.data(),
                          static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    messages.emplace_back(message.data(), message.data() + (length < 0 ? 0 : length));
  }
  return messages;
}

}  // namespace

ConnectionTestResult testConnectionWithDriver(void* window, const std::u16string& connectionString) {
  ConnectionTestResult result;
  SQLHENV environment = SQL_NULL_HENV;
  SQLHDBC connection = SQL_NULL_HDBC;
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment);
  if (SQL_SUCCEEDED(rc)) {
    rc = SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(SQL_OV_ODBC2)), 0);
  }
  if (SQL_SUCCEEDED(rc)) rc = SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection);
  if (SQL_SUCCEEDED(rc)) {
    std::u16string text = connectionString;
    rc = SQLDriverConnectW(connection, static_cast<SQLHWND>(window),
                           reinterpret_cast<SQLWCHAR*>(&text[0]), SQL_NTS, nullptr, 0, nullptr,
                           SQL_DRIVER_COMPLETE_REQUIRED);
  }
  if (SQL_SUCCEEDED(rc)) {
    result.kind = ConnectionTestResult::Kind::connected;
    result.dbmsName = infoText(connection, SQL_DBMS_NAME);
    result.dbmsVersion = infoText(connection, SQL_DBMS_VER);
    SQLDisconnect(connection);
  } else if (rc == SQL_NO_DATA) {
    result.kind = ConnectionTestResult::Kind::cancelled;
  } else if (connection != SQL_NULL_HDBC) {
    result.diagnostics = diagnostics(SQL_HANDLE_DBC, connection);
  } else if (environment != SQL_NULL_HENV) {
    result.diagnostics = diagnostics(SQL_HANDLE_ENV, environment);
  }
  if (connection != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, connection);
  if (environment != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, environment);
  return result;
}
