#include "core/ConnectionProxy.h"

#include <cstdint>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "core/DriverIdentity.h"
#include "core/Environment.h"
#include "core/StringAnswer.h"
#include "platform/ModuleInfo.h"

ConnectionProxy::ConnectionProxy(Environment* environment)
    : environment_(environment), diagnostics_(environment), replayAnswers_(environment) {}

ConnectionProxy::~ConnectionProxy() { attachConnection(nullptr); }

Statement* ConnectionProxy::createStatement() {
  return connection_ != nullptr ? connection_->createStatement() : nullptr;
}

Descriptor* ConnectionProxy::createDescriptor() {
  return connection_ != nullptr ? connection_->createDescriptor() : nullptr;
}

bool ConnectionProxy::isTracing() const { return environment_->isTracing(); }

TraceWriter& ConnectionProxy::traceStream() const { return environment_->traceStream(); }

Environment* ConnectionProxy::environment() const { return environment_; }

Connection* ConnectionProxy::connection() const { return connection_; }

DiagnosticHeader& ConnectionProxy::diagnostics() {
  return connection_ != nullptr ? connection_->diagnostics() : diagnostics_;
}

void ConnectionProxy::attachConnection(Connection* connection) {
  if (connection_ != nullptr) {
    // Out of the environment's list first: a transaction ended on the whole environment by
    // another thread waits for it no longer, and sees none of what follows.
    environment_->removeConnection(connection_);
    // Statements may still use the subclass: free them while it is whole.
    connection_->freeChildren();
    delete connection_;
  }
  connection_ = connection;
  replayAnswers_.clear();
  if (connection_ == nullptr) return;
  // What the connection refuses or changes of the attributes set before connecting is kept for
  // the connect to report: the application set them and must hear that they did not hold.
  const auto replay = [this](SQLRETURN rc) {
    DiagnosticHeader& answered = connection_->diagnostics();
    if (rc != SQL_SUCCESS) replayAnswers_.appendRecords(answered, SQL_NO_ROW_NUMBER);
    answered.clear();
  };
  replay(connection_->setAccessMode(accessMode_));
  replay(connection_->setAsyncEnable(asyncEnable_));
  replay(connection_->setAutocommit(autocommit_));
  replay(connection_->setConnectionTimeout(connectionTimeout_));
  replay(connection_->setCurrentCatalog(currentCatalog_));
  replay(connection_->setLoginTimeout(loginTimeout_));
  replay(connection_->setMetadataId(metadataId_));
  replay(connection_->setPacketSize(packetSize_));
  replay(connection_->setQuietMode(quietMode_));
  replay(connection_->setTraceFile(traceFile_));
  replay(connection_->setTxnIsolation(txnIsolation_));
  connection_->setWideAPI(wideAPI_);
  connection_->setUnicodeTextTypes(unicodeTextTypes_);
}

bool ConnectionProxy::isWideAPI() const {
  return connection_ != nullptr ? connection_->isWideAPI() : wideAPI_;
}

void ConnectionProxy::setWideAPI(bool wide) {
  if (connection_ != nullptr) {
    connection_->setWideAPI(wide);
  } else {
    wideAPI_ = wide;
  }
}

bool ConnectionProxy::isUnicodeTextTypes() const {
  return connection_ != nullptr ? connection_->isUnicodeTextTypes() : unicodeTextTypes_;
}

void ConnectionProxy::setUnicodeTextTypes(bool unicode) {
  if (connection_ != nullptr) {
    connection_->setUnicodeTextTypes(unicode);
  } else {
    unicodeTextTypes_ = unicode;
  }
}

SQLRETURN ConnectionProxy::connect(const char* dsn, SQLINTEGER dsnLength, const char* user,
                                   SQLINTEGER userLength, const char* password,
                                   SQLINTEGER passwordLength) {
  // The connect functions attach a new connection first; none means it could not be made.
  if (connection_ == nullptr) return refuse("HY001");
  return withReplayAnswers(
      connection_->connect(dsn, dsnLength, user, userLength, password, passwordLength));
}

SQLRETURN ConnectionProxy::driverConnect(SQLHWND window, const char* inString,
                                         SQLINTEGER inLength, char* outString,
                                         SQLSMALLINT bufferLength, SQLSMALLINT* outLength,
                                         SQLUSMALLINT completion) {
  if (connection_ == nullptr) return refuse("HY001");
  return withReplayAnswers(connection_->driverConnect(window, inString, inLength, outString,
                                                      bufferLength, outLength, completion));
}

SQLRETURN ConnectionProxy::driverConnect(SQLHWND window, const std::string& inString,
                                         std::string& outString, SQLUSMALLINT completion) {
  if (connection_ == nullptr) return refuse("HY001");
  return withReplayAnswers(connection_->driverConnect(window, inString, outString, completion));
}

SQLRETURN ConnectionProxy::withReplayAnswers(SQLRETURN rc) {
  if (!SQL_SUCCEEDED(rc) || replayAnswers_.isEmpty()) return rc;
  connection_->diagnostics().appendRecords(replayAnswers_, SQL_NO_ROW_NUMBER);
  return SQL_SUCCESS_WITH_INFO;
}

std::unique_lock<platform::Mutex> ConnectionProxy::lockCalls() {
  return std::unique_lock<platform::Mutex>(connection_->callMutex());
}

SQLRETURN ConnectionProxy::disconnect() {
  if (connection_ == nullptr) return refuse("08003");
  // After a statement's call on another thread: the disconnect frees what that call uses.
  const std::unique_lock<platform::Mutex> lock = lockCalls();
  connection_->diagnostics().clear();
  const SQLRETURN rc = connection_->disconnect();
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) connection_->freeChildren();
  return rc;
}

SQLRETURN ConnectionProxy::getDiagRec(SQLSMALLINT recordNumber, char* sqlState,
                                      SQLINTEGER* nativeError, char* messageText,
                                      SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  if (connection_ != nullptr) {
    return connection_->getDiagRec(recordNumber, sqlState, nativeError, messageText,
                                   bufferLength, textLength);
  }
  return diagnostics_.getDiagRec(recordNumber, sqlState, nativeError, messageText, bufferLength,
                                 textLength);
}

SQLRETURN ConnectionProxy::getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                        SQLPOINTER value, SQLSMALLINT bufferLength,
                                        SQLSMALLINT* stringLength) {
  if (connection_ != nullptr) {
    return connection_->getDiagField(recordNumber, identifier, value, bufferLength,
                                     stringLength);
  }
  if (identifier == SQL_DIAG_CONNECTION_NAME || identifier == SQL_DIAG_SERVER_NAME) {
    // No data source yet: both names are empty.
    if (bufferLength < 0) return SQL_ERROR;
    return copyToAppBufferSmallInt(value, stringLength, "", bufferLength,
                                   environment_->outputNts() != 0);
  }
  return diagnostics_.getDiagField(recordNumber, identifier, value, bufferLength, stringLength);
}

SQLRETURN ConnectionProxy::error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  if (connection_ != nullptr) {
    return connection_->error(sqlState, nativeError, messageText, bufferLength, textLength);
  }
  const SQLRETURN rc =
      diagnostics_.getDiagRec(1, sqlState, nativeError, messageText, bufferLength, textLength);
  // A record handed out, even with its message cut, is gone, so that a loop over SQLError ends.
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) diagnostics_.clear();
  return rc;
}

SQLRETURN ConnectionProxy::getFunctions(SQLUSMALLINT functionId, SQLUSMALLINT* supported) {
  if (connection_ == nullptr) return refuse("HY010");
  connection_->diagnostics().clear();
  return connection_->getFunctions(functionId, supported);
}

SQLRETURN ConnectionProxy::nativeSql(const char* inText, SQLINTEGER inLength, char* outText,
                                     SQLINTEGER bufferLength, SQLINTEGER* outLength) {
  if (connection_ == nullptr) return refuse("HY010");
  connection_->diagnostics().clear();
  return connection_->nativeSql(inText, inLength, outText, bufferLength, outLength);
}

SQLRETURN ConnectionProxy::endTran(SQLSMALLINT completionType) {
  if (connection_ == nullptr) return refuse("HY010");
  const std::unique_lock<platform::Mutex> lock = lockCalls();
  connection_->diagnostics().clear();
  return connection_->endTran(completionType);
}

SQLRETURN ConnectionProxy::setConnectAttr(SQLINTEGER attribute, SQLPOINTER value,
                                          SQLINTEGER stringLength) {
  if (connection_ != nullptr) {
    // Some attributes are carried to the server (autocommit), and statements read them all.
    const std::unique_lock<platform::Mutex> lock = lockCalls();
    connection_->diagnostics().clear();
    return connection_->setConnectAttr(attribute, value, stringLength);
  }
  diagnostics_.clear();
  const auto number = static_cast<SQLUINTEGER>(reinterpret_cast<std::uintptr_t>(value));
  // Stored as given: the connection validates and clamps when they are replayed into it.
  switch (attribute) {
    case SQL_ATTR_ASYNC_ENABLE:
      asyncEnable_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_ACCESS_MODE:
      accessMode_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_AUTOCOMMIT:
      autocommit_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_LOGIN_TIMEOUT:
      loginTimeout_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_TXN_ISOLATION:
      txnIsolation_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_PACKET_SIZE:
      packetSize_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_CONNECTION_TIMEOUT:
      connectionTimeout_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_METADATA_ID:
      metadataId_ = number;
      return SQL_SUCCESS;
    case SQL_ATTR_TRACEFILE:
      traceFile_ = stringFromSqlChars(value, stringLength);
      return SQL_SUCCESS;
    case SQL_ATTR_CURRENT_CATALOG:
      currentCatalog_ = stringFromSqlChars(value, stringLength);
      return SQL_SUCCESS;
    case SQL_ATTR_QUIET_MODE:
      quietMode_ = static_cast<SQLHWND>(value);
      return SQL_SUCCESS;
    case Connection::wideApiAttribute:
      wideAPI_ = number == 1;
      unicodeTextTypes_ = number == 1;
      return SQL_SUCCESS;
    case Connection::ignoredAttribute:
      return SQL_SUCCESS;
    case SQL_ATTR_TRANSLATE_LIB:
    case SQL_ATTR_TRANSLATE_OPTION:
      return refuse("HY011");
    default:
      return refuse("HY092");
  }
}

SQLRETURN ConnectionProxy::getConnectAttr(SQLINTEGER attribute, SQLPOINTER value,
                                          SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  if (connection_ != nullptr) {
    const std::unique_lock<platform::Mutex> lock = lockCalls();
    connection_->diagnostics().clear();
    return connection_->getConnectAttr(attribute, value, bufferLength, stringLength);
  }
  diagnostics_.clear();
  SQLUINTEGER number = 0;
  switch (attribute) {
    case SQL_ATTR_ASYNC_ENABLE:
      number = asyncEnable_;
      break;
    case SQL_ATTR_ACCESS_MODE:
      number = accessMode_;
      break;
    case SQL_ATTR_AUTOCOMMIT:
      number = autocommit_;
      break;
    case SQL_ATTR_LOGIN_TIMEOUT:
      number = loginTimeout_;
      break;
    case SQL_ATTR_TXN_ISOLATION:
      number = txnIsolation_;
      break;
    case SQL_ATTR_PACKET_SIZE:
      number = packetSize_;
      break;
    case SQL_ATTR_CONNECTION_TIMEOUT:
      number = connectionTimeout_;
      break;
    case SQL_ATTR_METADATA_ID:
      number = metadataId_;
      break;
    case SQL_ATTR_CONNECTION_DEAD:
      number = SQL_CD_TRUE;
      break;
    case SQL_ATTR_AUTO_IPD:
      number = SQL_TRUE;
      break;
    case Connection::wideApiAttribute:
      number = wideAPI_ ? 1 : 0;
      break;
    case SQL_ATTR_QUIET_MODE:
      if (value != nullptr) *static_cast<SQLHWND*>(value) = quietMode_;
      if (stringLength != nullptr) *stringLength = 0;
      return SQL_SUCCESS;
    case SQL_ATTR_TRACEFILE:
      return answerString(diagnostics_, traceFile_, value, bufferLength, stringLength);
    case SQL_ATTR_CURRENT_CATALOG:
      return answerString(diagnostics_, currentCatalog_, value, bufferLength, stringLength);
    case SQL_ATTR_TRANSLATE_LIB:
    case SQL_ATTR_TRANSLATE_OPTION:
      return refuse("HY011");
    default:
      return refuse("HY092");
  }
  if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = number;
  if (stringLength != nullptr) *stringLength = 0;
  return SQL_SUCCESS;
}

SQLRETURN ConnectionProxy::getInfo(SQLUSMALLINT infoType, SQLPOINTER value,
                                   SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  if (connection_ != nullptr) {
    return connection_->getInfo(infoType, value, bufferLength, stringLength);
  }
  // The Driver Manager asks these while it loads the driver; nothing here needs a server.
  switch (infoType) {
    case SQL_DRIVER_NAME:
      return answerString(diagnostics_, driverFileName(), value, bufferLength, stringLength);
    case SQL_DRIVER_VER:
      return answerString(diagnostics_, odbcDriverVersion(platform::driverVersionText()), value,
                          bufferLength, stringLength);
    case SQL_DRIVER_ODBC_VER:
      return answerString(diagnostics_, driverOdbcVersion(), value, bufferLength, stringLength);
    default:
      if (stringLength != nullptr) *stringLength = 0;
      return SQL_ERROR;
  }
}

SQLRETURN ConnectionProxy::refuse(const char* sqlState) {
  diagnostics_.clear();
  diagnostics_.post(sqlState, 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
  return SQL_ERROR;
}
