#include "core/Environment.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "platform/HostApplication.h"

Environment::Environment(std::string identifier, std::string moduleName, std::string displayName,
                         std::string makerName, DriverPreferences* preferences)
    : identifier_(std::move(identifier)),
      moduleName_(std::move(moduleName)),
      displayName_(std::move(displayName)),
      makerName_(std::move(makerName)),
      preferences_(preferences),
      trace_(mutex_),
      diagnostics_(this) {
  if (!preferences_) preferences_ = std::make_unique<DriverPreferences>(identifier_, displayName_);
  platform::readHostApplication(applicationName_, applicationVersion_);
  const std::string traceFile = preferences_->getTraceFile();
  tracing_ = !traceFile.empty() && trace_.open(traceFile);
}

Environment::~Environment() = default;

bool Environment::isTracing() const { return tracing_; }

TraceWriter& Environment::traceStream() { return trace_; }

DiagnosticHeader& Environment::diagnostics() { return diagnostics_; }

void Environment::addConnection(Connection* connection) {
  platform::MutexLock lock(mutex_);
  connections_.push_back(connection);
}

void Environment::removeConnection(Connection* connection) {
  // Not while endTran walks the connections: it may be ending this one's transaction.
  platform::MutexLock walk(walkMutex_);
  platform::MutexLock lock(mutex_);
  auto found = std::find(connections_.begin(), connections_.end(), connection);
  if (found != connections_.end()) connections_.erase(found);
}

std::vector<Connection*> Environment::connections() const {
  platform::MutexLock lock(mutex_);
  return connections_;
}

SQLRETURN Environment::setEnvAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
  platform::MutexLock lock(mutex_);
  diagnostics_.clear();
  const auto integer = static_cast<SQLUINTEGER>(reinterpret_cast<std::uintptr_t>(value));
  switch (attribute) {
    case SQL_ATTR_ODBC_VERSION:
      return setOdbcVersion(integer);
    case SQL_ATTR_OUTPUT_NTS:
      return setOutputNts(integer);
    default:
      post("HY092", "");
      return SQL_ERROR;
  }
}

SQLRETURN Environment::getEnvAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                  SQLINTEGER*) {
  platform::MutexLock lock(mutex_);
  diagnostics_.clear();
  SQLUINTEGER answer = 0;
  switch (attribute) {
    case SQL_ATTR_ODBC_VERSION:
      answer = odbcVersion();
      break;
    case SQL_ATTR_OUTPUT_NTS:
      answer = outputNts();
      break;
    default:
      post("HY092", "");
      return SQL_ERROR;
  }
  if (value) *static_cast<SQLUINTEGER*>(value) = answer;
  return SQL_SUCCESS;
}

SQLRETURN Environment::getDiagRec(SQLSMALLINT recordNumber, char* sqlState,
                                  SQLINTEGER* nativeError, char* messageText,
                                  SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  platform::MutexLock lock(mutex_);
  return diagnostics_.getDiagRec(recordNumber, sqlState, nativeError, messageText, bufferLength,
                                 textLength);
}

SQLRETURN Environment::getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                    SQLPOINTER value, SQLSMALLINT bufferLength,
                                    SQLSMALLINT* stringLength) {
  platform::MutexLock lock(mutex_);
  if (identifier == SQL_DIAG_CONNECTION_NAME || identifier == SQL_DIAG_SERVER_NAME) {
    // An environment belongs to no connection or server: both names are empty.
    if (bufferLength < 0) return SQL_ERROR;
    return copyToAppBufferSmallInt(value, stringLength, "", bufferLength, outputNts() != 0);
  }
  return diagnostics_.getDiagField(recordNumber, identifier, value, bufferLength, stringLength);
}

SQLRETURN Environment::error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                             SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  platform::MutexLock lock(mutex_);
  SQLRETURN rc =
      diagnostics_.getDiagRec(1, sqlState, nativeError, messageText, bufferLength, textLength);
  // A record handed out, even with its message cut, is gone: a caller looping until SQLError
  // stops succeeding must come to an end.
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) diagnostics_.clear();
  return rc;
}

SQLRETURN Environment::endTran(SQLSMALLINT completionType) {
  // The commits go over the network, each after the calls running on its connection: the
  // environment's own lock, which every trace line and diagnostic takes, is not held meanwhile.
  // The walk's lock keeps the connections of the list from going until it is done.
  platform::MutexLock walk(walkMutex_);
  bool failed = false;
  for (Connection* connection : connections()) {
    platform::MutexLock calls(connection->callMutex());
    if (!connection->isConnected()) continue;
    SQLRETURN rc = connection->endTran(completionType);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) failed = true;
  }
  if (!failed) return SQL_SUCCESS;
  platform::MutexLock lock(mutex_);
  post("HY000", "Transaction failed for a connection");
  return SQL_ERROR;
}

SQLRETURN Environment::setOdbcVersion(SQLUINTEGER version) {
  odbcVersion_ = version;
  return SQL_SUCCESS;
}

SQLRETURN Environment::setOutputNts(SQLUINTEGER value) {
  if (value != SQL_FALSE) return SQL_SUCCESS;
  platform::MutexLock lock(mutex_);
  post("HYC00", "");
  return SQL_ERROR;
}

SQLUINTEGER Environment::odbcVersion() const { return odbcVersion_; }

SQLUINTEGER Environment::outputNts() const { return SQL_TRUE; }

const std::string& Environment::identifier() const { return identifier_; }

const std::string& Environment::moduleName() const { return moduleName_; }

const std::string& Environment::displayName() const { return displayName_; }

const std::string& Environment::makerName() const { return makerName_; }

const std::string& Environment::applicationName() const { return applicationName_; }

const std::string& Environment::applicationVersion() const { return applicationVersion_; }

DriverPreferences& Environment::preferences() { return *preferences_; }

void Environment::post(const char* sqlState, const char* message) {
  diagnostics_.post(sqlState, 0, message, SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
}
