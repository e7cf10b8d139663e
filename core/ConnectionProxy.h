#pragma once
// The connection handle object (SQLHDBC). The real Connection is made only when the application
// connects; until then the handle keeps the attributes set on it, answers the few questions the
// Driver Manager asks while it loads the driver, and holds its own diagnostics. Once a connection
// is attached, the stored attributes are replayed into it and every operation goes to it.
//
// The Driver Manager serialises the calls on one handle, but threads may share the connection
// through statements of their own: what talks to the server or changes what statements read
// (transactions, attributes, disconnecting) holds the connection's call lock, as statement and
// descriptor calls do (api/Handles.h). Connecting makes the connection and needs none.
#include <mutex>
#include <string>

#include "core/DiagnosticHeader.h"
#include "platform/Mutex.h"
#include "platform/Odbc.h"

class Connection;
class Descriptor;
class Environment;
class Statement;
class TraceWriter;

class ConnectionProxy {
 public:
  explicit ConnectionProxy(Environment* environment);
  // Deletes the attached connection, with the statements and descriptors still made on it.
  virtual ~ConnectionProxy();
  ConnectionProxy(const ConnectionProxy&) = delete;
  ConnectionProxy& operator=(const ConnectionProxy&) = delete;

  // Null until a connection is attached.
  virtual Statement* createStatement();
  virtual Descriptor* createDescriptor();

  bool isTracing() const;
  TraceWriter& traceStream() const;
  Environment* environment() const;
  Connection* connection() const;
  // The attached connection's diagnostics, else the handle's own.
  DiagnosticHeader& diagnostics();

  // Takes ownership: deletes the connection attached before, then replays the stored attributes
  // into the new one; what it refuses or changes of them, the connect that follows reports.
  // Attributes set through the previous connection are lost with it.
  void attachConnection(Connection* connection);

  bool isWideAPI() const;
  void setWideAPI(bool wide);
  bool isUnicodeTextTypes() const;
  void setUnicodeTextTypes(bool unicode);

  // The connection's answer; a successful one answers SQL_SUCCESS_WITH_INFO, with the records,
  // when an attribute replayed at attach was refused or changed.
  SQLRETURN connect(const char* dsn, SQLINTEGER dsnLength, const char* user,
                    SQLINTEGER userLength, const char* password, SQLINTEGER passwordLength);
  SQLRETURN driverConnect(SQLHWND window, const char* inString, SQLINTEGER inLength,
                          char* outString, SQLSMALLINT bufferLength, SQLSMALLINT* outLength,
                          SQLUSMALLINT completion);
  SQLRETURN driverConnect(SQLHWND window, const std::string& inString, std::string& outString,
                          SQLUSMALLINT completion);
  // A successful disconnect frees the statements and descriptors made on the connection; the
  // connection itself stays attached.
  SQLRETURN disconnect();
  SQLRETURN getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                       char* messageText, SQLSMALLINT bufferLength, SQLSMALLINT* textLength);
  SQLRETURN getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier, SQLPOINTER value,
                         SQLSMALLINT bufferLength, SQLSMALLINT* stringLength);
  SQLRETURN error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                  SQLSMALLINT bufferLength, SQLSMALLINT* textLength);
  SQLRETURN getFunctions(SQLUSMALLINT functionId, SQLUSMALLINT* supported);
  SQLRETURN nativeSql(const char* inText, SQLINTEGER inLength, char* outText,
                      SQLINTEGER bufferLength, SQLINTEGER* outLength);
  SQLRETURN endTran(SQLSMALLINT completionType);
  // Before a connection is attached: strings are UTF-8 of `stringLength` bytes (SQL_NTS: up to
  // the NUL, a null value is ""); the translate attributes answer "HY011", attributes this
  // driver does not know "HY092".
  SQLRETURN setConnectAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER stringLength);
  SQLRETURN getConnectAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER bufferLength,
                           SQLINTEGER* stringLength);
  // Before a connection is attached only SQL_DRIVER_NAME, SQL_DRIVER_VER and
  // SQL_DRIVER_ODBC_VER are answered; any other type is SQL_ERROR without a record.
  SQLRETURN getInfo(SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT bufferLength,
                    SQLSMALLINT* stringLength);

 private:
  // Clears the handle's own diagnostics and posts the state: SQL_ERROR.
  SQLRETURN refuse(const char* sqlState);
  // The attached connection's call lock.
  std::unique_lock<platform::Mutex> lockCalls();
  // A connect's answer, with the records of the attributes the connection refused or changed
  // when they were replayed into it: SQL_SUCCESS_WITH_INFO when there are some.
  SQLRETURN withReplayAnswers(SQLRETURN rc);

  Environment* environment_;
  Connection* connection_ = nullptr;
  DiagnosticHeader diagnostics_;
  DiagnosticHeader replayAnswers_;
  SQLUINTEGER accessMode_ = SQL_MODE_READ_WRITE;
  SQLUINTEGER asyncEnable_ = SQL_ASYNC_ENABLE_OFF;
  SQLUINTEGER autocommit_ = SQL_AUTOCOMMIT_ON;
  SQLUINTEGER connectionTimeout_ = 0;
  std::string currentCatalog_;
  SQLUINTEGER loginTimeout_ = 0;
  SQLUINTEGER metadataId_ = SQL_FALSE;
  SQLUINTEGER packetSize_ = 0;
  SQLHWND quietMode_ = nullptr;
  std::string traceFile_;
  SQLUINTEGER txnIsolation_ = SQL_TXN_READ_COMMITTED;
  bool wideAPI_ = false;
  bool unicodeTextTypes_ = false;
};
