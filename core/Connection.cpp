#include "core/Connection.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/AppBuffer.h"
#include "core/Charset.h"
#include "core/ConnectionChild.h"
#include "core/Environment.h"
#include "core/StringAnswer.h"
#include "core/TraceFormatter.h"
#include "platform/ModuleInfo.h"
#include "platform/OsVersion.h"

namespace {

// The base function list of SQLGetFunctions. SQLColAttribute and SQLColAttributes share id 6.
const SQLUSMALLINT supportedFunctions[] = {
    SQL_API_SQLALLOCCONNECT,     SQL_API_SQLALLOCENV,        SQL_API_SQLALLOCHANDLE,
    SQL_API_SQLALLOCSTMT,        SQL_API_SQLBINDCOL,         SQL_API_SQLBINDPARAMETER,
    SQL_API_SQLBULKOPERATIONS,   SQL_API_SQLCANCEL,          SQL_API_SQLCLOSECURSOR,
    SQL_API_SQLCOLATTRIBUTE,     SQL_API_SQLCOLATTRIBUTES,   SQL_API_SQLCOLUMNPRIVILEGES,
    SQL_API_SQLCOLUMNS,          SQL_API_SQLCONNECT,         SQL_API_SQLCOPYDESC,
    SQL_API_SQLDESCRIBECOL,      SQL_API_SQLDESCRIBEPARAM,   SQL_API_SQLDISCONNECT,
    SQL_API_SQLDRIVERCONNECT,    SQL_API_SQLENDTRAN,         SQL_API_SQLERROR,
    SQL_API_SQLEXECDIRECT,       SQL_API_SQLEXECUTE,         SQL_API_SQLEXTENDEDFETCH,
    SQL_API_SQLFETCH,            SQL_API_SQLFETCHSCROLL,     SQL_API_SQLFOREIGNKEYS,
    SQL_API_SQLFREECONNECT,      SQL_API_SQLFREEENV,         SQL_API_SQLFREEHANDLE,
    SQL_API_SQLFREESTMT,         SQL_API_SQLGETCONNECTATTR,  SQL_API_SQLGETCONNECTOPTION,
    SQL_API_SQLGETCURSORNAME,    SQL_API_SQLGETDATA,         SQL_API_SQLGETDESCFIELD,
    SQL_API_SQLGETDESCREC,       SQL_API_SQLGETDIAGFIELD,    SQL_API_SQLGETDIAGREC,
    SQL_API_SQLGETENVATTR,       SQL_API_SQLGETFUNCTIONS,    SQL_API_SQLGETINFO,
    SQL_API_SQLGETSTMTATTR,      SQL_API_SQLGETSTMTOPTION,   SQL_API_SQLGETTYPEINFO,
    SQL_API_SQLMORERESULTS,      SQL_API_SQLNATIVESQL,       SQL_API_SQLNUMPARAMS,
    SQL_API_SQLNUMRESULTCOLS,    SQL_API_SQLPARAMDATA,       SQL_API_SQLPARAMOPTIONS,
    SQL_API_SQLPREPARE,          SQL_API_SQLPRIMARYKEYS,     SQL_API_SQLPROCEDURECOLUMNS,
    SQL_API_SQLPROCEDURES,       SQL_API_SQLPUTDATA,         SQL_API_SQLROWCOUNT,
    SQL_API_SQLSETCONNECTATTR,   SQL_API_SQLSETCONNECTOPTION, SQL_API_SQLSETCURSORNAME,
    SQL_API_SQLSETDESCFIELD,     SQL_API_SQLSETDESCREC,      SQL_API_SQLSETENVATTR,
    SQL_API_SQLSETPOS,           SQL_API_SQLSETSTMTATTR,     SQL_API_SQLSETSTMTOPTION,
    SQL_API_SQLSPECIALCOLUMNS,   SQL_API_SQLSTATISTICS,      SQL_API_SQLTABLEPRIVILEGES,
    SQL_API_SQLTABLES,           SQL_API_SQLTRANSACT,
};
static_assert(std::size(supportedFunctions) == 71, "the base function list has 71 entries");

// SQL_API_ALL_FUNCTIONS answers ids below 100, one entry each.
constexpr SQLUSMALLINT odbc2FunctionCount = 100;

SQLUINTEGER integerValue(SQLPOINTER value) {
  return static_cast<SQLUINTEGER>(reinterpret_cast<std::uintptr_t>(value));
}

std::string encodingLine(const char* label, const std::string& name, std::uint32_t code) {
  std::ostringstream line;
  line << "// " << label << ": " << name << " (0x" << std::hex << code << ")";
  return line.str();
}

}  // namespace

Connection::Connection(Environment* environment)
    : environment_(environment),
      diagnostics_(environment),
      encoding_(utf8Charset),
      sendEncoding_(utf8Charset),
      receiveEncoding_(utf8Charset) {
  environment_->addConnection(this);
  if (!isTracing()) return;
  TraceWriter& trace = traceStream();
  trace.writeLine("// App: " + environment_->applicationName() + " " +
                  environment_->applicationVersion());
  trace.writeLine("// OS: " + platform::osVersionText() + " (" + platform::platformName() + ")");
  trace.writeLine("// Driver: " + platform::driverVersionText());
}

Connection::~Connection() {
  freeChildren();
  environment_->removeConnection(this);
}

void Connection::enableQueryLog(SQLUINTEGER thresholdMilliseconds, const std::string& path) {
  queryLogOn_ = true;
  queryLogThreshold_ = thresholdMilliseconds;
  queryLogPath_ = path;
}

bool Connection::isQueryLogEnabled() const { return queryLogOn_; }

void Connection::logQuery(SQLUINTEGER elapsedMilliseconds, const std::string& sql) {
  std::string line = traceTimestamp() + "\t" + std::to_string(elapsedMilliseconds) + "\t" + sql;
  line += '\n';
  // Opened for each line, so that several connections (and processes) can share one log; the
  // whole line goes out in one write. The path is UTF-8 on every system. Windows' C runtime
  // appends by moving to the end and then writing, so two threads appending at once can write
  // over each other's line: one line at a time goes out of this process.
  static platform::Mutex appendMutex;
  platform::MutexLock lock(appendMutex);
  std::ofstream log(std::filesystem::u8path(queryLogPath_), std::ios::out | std::ios::app);
  log.write(line.data(), static_cast<std::streamsize>(line.size()));
}

SQLUINTEGER Connection::queryLogThreshold() const { return queryLogThreshold_; }

Statement* Connection::createStatement() { return nullptr; }

Descriptor* Connection::createDescriptor() { return nullptr; }

SQLRETURN Connection::connect(const char* dsn, SQLINTEGER dsnLength, const char* user,
                              SQLINTEGER userLength, const char* password,
                              SQLINTEGER passwordLength) {
  return connectToDsn(stringFromSqlChars(dsn, dsnLength), stringFromSqlChars(user, userLength),
                      stringFromSqlChars(password, passwordLength));
}

SQLRETURN Connection::driverConnect(SQLHWND window, const char* inString, SQLINTEGER inLength,
                                    char* outString, SQLSMALLINT bufferLength,
                                    SQLSMALLINT* outLength, SQLUSMALLINT completion) {
  std::string completed;
  const SQLRETURN rc =
      driverConnect(window, stringFromSqlChars(inString, inLength), completed, completion);
  if (!SQL_SUCCEEDED(rc)) return rc;
  const SQLRETURN copied = answerString(diagnostics_, completed, outString, bufferLength,
                                        outLength);
  return copied == SQL_SUCCESS ? rc : copied;
}

SQLRETURN Connection::setConnectAttr(SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER stringLength) {
  diagnostics_.clear();
  const SQLUINTEGER number = integerValue(value);
  switch (attribute) {
    case SQL_ATTR_ASYNC_ENABLE:
      return setAsyncEnable(number);
    case SQL_ATTR_ACCESS_MODE:
      return setAccessMode(number);
    case SQL_ATTR_AUTOCOMMIT:
      return setAutocommit(number);
    case SQL_ATTR_LOGIN_TIMEOUT:
      return setLoginTimeout(number);
    case SQL_ATTR_TRACEFILE:
      return setTraceFile(stringFromSqlChars(value, stringLength));
    case SQL_ATTR_TRANSLATE_LIB:
      return setTranslateLib(stringFromSqlChars(value, stringLength));
    case SQL_ATTR_TRANSLATE_OPTION:
      return setTranslateOption(number);
    case SQL_ATTR_TXN_ISOLATION:
      return setTxnIsolation(number);
    case SQL_ATTR_CURRENT_CATALOG:
      return setCurrentCatalog(stringFromSqlChars(value, stringLength));
    case SQL_ATTR_QUIET_MODE:
      return setQuietMode(static_cast<SQLHWND>(value));
    case SQL_ATTR_PACKET_SIZE:
      return setPacketSize(number);
    case SQL_ATTR_CONNECTION_TIMEOUT:
      return setConnectionTimeout(number);
    case SQL_ATTR_METADATA_ID:
      return setMetadataId(number);
    case wideApiAttribute:
      setWideAPI(number == 1);
      setUnicodeTextTypes(number == 1);
      return SQL_SUCCESS;
    case ignoredAttribute:
      return SQL_SUCCESS;
    default:
      post("HY092");
      return SQL_ERROR;
  }
}

SQLRETURN Connection::getConnectAttr(SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER bufferLength, SQLINTEGER* stringLength) {
  diagnostics_.clear();
  SQLUINTEGER number = 0;
  switch (attribute) {
    case SQL_ATTR_ASYNC_ENABLE:
      number = getAsyncEnable();
      break;
    case SQL_ATTR_ACCESS_MODE:
      number = getAccessMode();
      break;
    case SQL_ATTR_AUTOCOMMIT:
      number = getAutocommit();
      break;
    case SQL_ATTR_LOGIN_TIMEOUT:
      number = getLoginTimeout();
      break;
    case SQL_ATTR_TRANSLATE_OPTION:
      number = getTranslateOption();
      break;
    case SQL_ATTR_TXN_ISOLATION:
      number = getTxnIsolation();
      break;
    case SQL_ATTR_PACKET_SIZE:
      number = getPacketSize();
      break;
    case SQL_ATTR_CONNECTION_TIMEOUT:
      number = getConnectionTimeout();
      break;
    case SQL_ATTR_CONNECTION_DEAD:
      number = getConnectionDead();
      break;
    case SQL_ATTR_AUTO_IPD:
      number = getAutoIpd();
      break;
    case SQL_ATTR_METADATA_ID:
      number = getMetadataId();
      break;
    case wideApiAttribute:
      number = isWideAPI() ? 1 : 0;
      break;
    case SQL_ATTR_QUIET_MODE:
      if (value != nullptr) *static_cast<SQLHWND*>(value) = getQuietMode();
      if (stringLength != nullptr) *stringLength = 0;
      return SQL_SUCCESS;
    case SQL_ATTR_TRACEFILE:
      return answerString(diagnostics_, getTraceFile(), value, bufferLength, stringLength);
    case SQL_ATTR_TRANSLATE_LIB:
      return answerString(diagnostics_, getTranslateLib(), value, bufferLength, stringLength);
    case SQL_ATTR_CURRENT_CATALOG:
      return answerString(diagnostics_, getCurrentCatalog(), value, bufferLength, stringLength);
    default:
      post("HY092");
      return SQL_ERROR;
  }
  if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = number;
  if (stringLength != nullptr) *stringLength = 0;
  return SQL_SUCCESS;
}

SQLRETURN Connection::getDiagRec(SQLSMALLINT recordNumber, char* sqlState,
                                 SQLINTEGER* nativeError, char* messageText,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  return getDiagRecOf(diagnostics_, recordNumber, sqlState, nativeError, messageText, bufferLength,
                      textLength);
}

SQLRETURN Connection::getDiagRecOf(const DiagnosticHeader& diagnostics, SQLSMALLINT recordNumber,
                                   char* sqlState, SQLINTEGER* nativeError, char* messageText,
                                   SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  return diagnostics.getDiagRecWithComponent(getInfoDbmsName().c_str(), recordNumber, sqlState,
                                             nativeError, messageText, bufferLength, textLength);
}

SQLRETURN Connection::getDiagFieldOf(const DiagnosticHeader& diagnostics, SQLSMALLINT recordNumber,
                                     SQLSMALLINT identifier, SQLPOINTER value,
                                     SQLSMALLINT bufferLength, SQLSMALLINT* stringLength) {
  if (identifier == SQL_DIAG_CONNECTION_NAME || identifier == SQL_DIAG_SERVER_NAME) {
    return getDiagField(recordNumber, identifier, value, bufferLength, stringLength);
  }
  return diagnostics.getDiagField(recordNumber, identifier, value, bufferLength, stringLength);
}

SQLRETURN Connection::getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                   SQLPOINTER value, SQLSMALLINT bufferLength,
                                   SQLSMALLINT* stringLength) {
  if (identifier == SQL_DIAG_CONNECTION_NAME || identifier == SQL_DIAG_SERVER_NAME) {
    if (bufferLength < 0) return SQL_ERROR;
    return copyStringToAppBufferSmallInt(value, stringLength, getInfoDataSourceName(),
                                         bufferLength, environment_->outputNts() != 0);
  }
  return diagnostics_.getDiagField(recordNumber, identifier, value, bufferLength, stringLength);
}

SQLRETURN Connection::error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                            SQLSMALLINT bufferLength, SQLSMALLINT* textLength) {
  const SQLRETURN rc =
      diagnostics_.getDiagRec(1, sqlState, nativeError, messageText, bufferLength, textLength);
  // A record handed out, even with its message cut, is gone, so that a loop over SQLError ends.
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) diagnostics_.clear();
  return rc;
}

SQLRETURN Connection::getFunctions(SQLUSMALLINT functionId, SQLUSMALLINT* supported) {
  diagnostics_.clear();
  if (supported == nullptr) {
    post("HY009");
    return SQL_ERROR;
  }
  const std::size_t count = supportedFunctionCount();
  if (functionId == SQL_API_ODBC3_ALL_FUNCTIONS) {
    std::fill_n(supported, SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, 0);
    for (std::size_t i = 0; i < count; ++i) {
      const SQLUSMALLINT id = supportedFunctionId(i);
      if (id < SQL_API_ODBC3_ALL_FUNCTIONS_SIZE * 16) {
        supported[id >> 4] = static_cast<SQLUSMALLINT>(supported[id >> 4] | (1u << (id & 15)));
      }
    }
  } else if (functionId == SQL_API_ALL_FUNCTIONS) {
    std::fill_n(supported, odbc2FunctionCount, 0);
    for (std::size_t i = 0; i < count; ++i) {
      const SQLUSMALLINT id = supportedFunctionId(i);
      if (id < odbc2FunctionCount) supported[id] = SQL_TRUE;
    }
  } else {
    *supported = SQL_FALSE;
    for (std::size_t i = 0; i < count; ++i) {
      if (supportedFunctionId(i) == functionId) *supported = SQL_TRUE;
    }
  }
  return SQL_SUCCESS;
}

SQLRETURN Connection::nativeSql(const char* inText, SQLINTEGER inLength, char* outText,
                                SQLINTEGER bufferLength, SQLINTEGER* outLength) {
  diagnostics_.clear();
  return answerString(diagnostics_, toNativeSql(stringFromSqlChars(inText, inLength)), outText,
                      bufferLength, outLength);
}

std::string Connection::toNativeSql(const std::string& sql) { return sql; }

SQLRETURN Connection::endTran(SQLSMALLINT) { return SQL_SUCCESS; }

DiagnosticHeader& Connection::diagnostics() { return diagnostics_; }

bool Connection::isConnected() const { return connected_; }

void Connection::setConnected(bool connected) { connected_ = connected; }

bool Connection::isTransactionOpen() { return false; }

SQLRETURN Connection::beforeAutocommitChange() { return SQL_SUCCESS; }

SQLSMALLINT Connection::defaultCType(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
      return SQL_C_WCHAR;
    case SQL_BIT:
      return SQL_C_BIT;
    case SQL_TINYINT:
      return SQL_C_STINYINT;
    case SQL_BIGINT:
      return SQL_C_SBIGINT;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return SQL_C_BINARY;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return SQL_C_CHAR;
    case SQL_INTEGER:
      return SQL_C_SLONG;
    case SQL_SMALLINT:
      return SQL_C_SSHORT;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return SQL_C_DOUBLE;
    case SQL_REAL:
      return SQL_C_FLOAT;
    default:
      // The typed date, time and timestamp types share their numbers with their C types.
      return sqlType;
  }
}

bool Connection::isWideAPI() const { return wideAPI_; }

void Connection::setWideAPI(bool wide) { wideAPI_ = wide; }

void Connection::setSendEncoding(const std::string& name) {
  sendEncoding_ = charsetCode(name);
  if (isTracing()) traceStream().writeLine(encodingLine("sendEncoding", name, sendEncoding_));
}

void Connection::setReceiveEncoding(const std::string& name) {
  receiveEncoding_ = charsetCode(name);
  if (isTracing()) {
    traceStream().writeLine(encodingLine("receiveEncoding", name, receiveEncoding_));
  }
}

void Connection::setEncoding(const std::string& name) { encoding_ = charsetCode(name); }

void Connection::setUnicodeTextTypes(bool unicode) { unicodeTextTypes_ = unicode; }

std::uint32_t Connection::encoding() const { return encoding_; }

std::uint32_t Connection::sendEncoding() const { return sendEncoding_; }

std::uint32_t Connection::receiveEncoding() const { return receiveEncoding_; }

bool Connection::isUnicodeTextTypes() const { return unicodeTextTypes_; }

bool Connection::suppressDeclareCursor() { return true; }

std::size_t Connection::supportedFunctionCount() { return std::size(supportedFunctions); }

SQLUSMALLINT Connection::supportedFunctionId(std::size_t index) {
  return index < std::size(supportedFunctions) ? supportedFunctions[index] : 0;
}

SQLRETURN Connection::setAccessMode(SQLUINTEGER mode) {
  if (mode != SQL_MODE_READ_WRITE && mode != SQL_MODE_READ_ONLY) return refuseValue();
  accessMode_ = mode;
  return SQL_SUCCESS;
}

SQLRETURN Connection::setAsyncEnable(SQLUINTEGER enable) {
  if (enable != SQL_ASYNC_ENABLE_OFF && enable != SQL_ASYNC_ENABLE_ON) return refuseValue();
  if (enable == SQL_ASYNC_ENABLE_ON && getInfoAsyncMode() == SQL_AM_NONE) {
    post("HYC00");
    return SQL_ERROR;
  }
  asyncEnable_ = enable;
  return SQL_SUCCESS;
}

SQLRETURN Connection::setAutocommit(SQLUINTEGER autocommit) {
  if (autocommit != SQL_AUTOCOMMIT_OFF && autocommit != SQL_AUTOCOMMIT_ON) return refuseValue();
  // Without transactions every statement commits by itself: manual commit cannot be had.
  if (autocommit == SQL_AUTOCOMMIT_OFF && getInfoTxnCapable() == SQL_TC_NONE) {
    post("HYC00");
    return SQL_ERROR;
  }
  const SQLRETURN rc = beforeAutocommitChange();
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return rc;
  autocommit_ = autocommit;
  return rc;
}

SQLRETURN Connection::setConnectionTimeout(SQLUINTEGER seconds) {
  return clampTimeout(seconds, connectionTimeoutLimit(), connectionTimeout_);
}

SQLRETURN Connection::setCurrentCatalog(const std::string& catalog) {
  currentCatalog_ = catalog;
  return SQL_SUCCESS;
}

SQLRETURN Connection::setLoginTimeout(SQLUINTEGER seconds) {
  return clampTimeout(seconds, loginTimeoutLimit(), loginTimeout_);
}

SQLRETURN Connection::setMetadataId(SQLUINTEGER metadataId) {
  if (metadataId != SQL_FALSE && metadataId != SQL_TRUE) return refuseValue();
  metadataId_ = metadataId;
  return SQL_SUCCESS;
}

SQLRETURN Connection::setPacketSize(SQLUINTEGER bytes) {
  if (isConnected()) {
    post("HY011");
    return SQL_ERROR;
  }
  const SQLUINTEGER lower = packetSizeLowerLimit();
  const SQLUINTEGER upper = packetSizeUpperLimit();
  SQLUINTEGER stored = bytes;
  if (bytes != 0 && lower != 0 && bytes < lower) stored = lower;
  if (bytes != 0 && upper != 0 && bytes > upper) stored = upper;
  packetSize_ = stored;
  if (stored == bytes) return SQL_SUCCESS;
  post("01S02");
  return SQL_SUCCESS_WITH_INFO;
}

SQLRETURN Connection::setQuietMode(SQLHWND window) {
  quietMode_ = window;
  return SQL_SUCCESS;
}

SQLRETURN Connection::setTraceFile(const std::string& path) {
  traceFile_ = path;
  return SQL_SUCCESS;
}

SQLRETURN Connection::setTranslateLib(const std::string&) { return refuseTranslation(); }

SQLRETURN Connection::setTranslateOption(SQLUINTEGER) { return refuseTranslation(); }

SQLRETURN Connection::setTxnIsolation(SQLUINTEGER isolation) {
  if (!isTxnIsolationLevel(isolation)) return refuseValue();
  if (isTransactionOpen()) {
    post("HY011");
    return SQL_ERROR;
  }
  txnIsolation_ = isolation;
  return SQL_SUCCESS;
}

SQLUINTEGER Connection::getAccessMode() { return accessMode_; }

SQLUINTEGER Connection::getAsyncEnable() { return asyncEnable_; }

SQLUINTEGER Connection::getAutoIpd() { return SQL_TRUE; }

SQLUINTEGER Connection::getAutocommit() { return autocommit_; }

SQLUINTEGER Connection::getConnectionDead() { return isConnected() ? SQL_CD_FALSE : SQL_CD_TRUE; }

SQLUINTEGER Connection::getConnectionTimeout() { return connectionTimeout_; }

std::string Connection::getCurrentCatalog() { return currentCatalog_; }

SQLUINTEGER Connection::getLoginTimeout() { return loginTimeout_; }

SQLUINTEGER Connection::getMetadataId() { return metadataId_; }

SQLUINTEGER Connection::getPacketSize() { return packetSize_; }

SQLHWND Connection::getQuietMode() { return quietMode_; }

std::string Connection::getTraceFile() { return traceFile_; }

std::string Connection::getTranslateLib() { return std::string(); }

SQLUINTEGER Connection::getTranslateOption() { return 0; }

SQLUINTEGER Connection::getTxnIsolation() { return txnIsolation_; }

SQLULEN Connection::keysetSizeLimit() { return 0; }

SQLULEN Connection::maxLengthLowerLimit() { return 0; }

SQLULEN Connection::maxLengthUpperLimit() { return 0; }

SQLULEN Connection::queryTimeoutLowerLimit() { return 0; }

SQLULEN Connection::queryTimeoutUpperLimit() { return 0; }

SQLUINTEGER Connection::connectionTimeoutLimit() { return 0; }

SQLUINTEGER Connection::loginTimeoutLimit() { return 0; }

SQLUINTEGER Connection::packetSizeLowerLimit() { return 0; }

SQLUINTEGER Connection::packetSizeUpperLimit() { return 0; }

bool Connection::isTracing() const { return environment_->isTracing(); }

TraceWriter& Connection::traceStream() const { return environment_->traceStream(); }

Environment* Connection::environment() const { return environment_; }

void Connection::freeChildren() {
  // One at a time, so that the children still registered hear of a descriptor that goes; each
  // is deleted outside the lock, since its destructor leaves the registry.
  for (;;) {
    ConnectionChild* child = nullptr;
    {
      platform::MutexLock lock(childrenMutex_);
      if (children_.empty()) return;
      child = children_.back();
      children_.pop_back();
    }
    delete child;
  }
}

void Connection::addChild(ConnectionChild* child) {
  platform::MutexLock lock(childrenMutex_);
  child->registryIndex_ = children_.size();
  children_.push_back(child);
}

void Connection::removeChild(ConnectionChild* child) {
  platform::MutexLock lock(childrenMutex_);
  // freeChildren takes a child out before deleting it.
  const std::size_t index = child->registryIndex_;
  if (index >= children_.size() || children_[index] != child) return;
  // The last child takes the freed place: freeing any number of children costs one step each.
  children_[index] = children_.back();
  children_[index]->registryIndex_ = index;
  children_.pop_back();
}

void Connection::descriptorFreed(const Descriptor* descriptor) {
  platform::MutexLock lock(childrenMutex_);
  for (ConnectionChild* child : children_) child->descriptorFreed(descriptor);
}

bool Connection::cursorNameTaken(const ConnectionChild* asking, const std::string& name) {
  platform::MutexLock lock(childrenMutex_);
  return std::any_of(children_.begin(), children_.end(), [&](const ConnectionChild* child) {
    return child != asking && child->hasCursorName(name);
  });
}

void Connection::post(const char* sqlState) {
  diagnostics_.post(sqlState, 0, "", SQL_NO_COLUMN_NUMBER, SQL_NO_ROW_NUMBER);
}

SQLRETURN Connection::refuseTranslation() {
  // No translation library is ever loaded: taking one would promise a translation that never
  // happens. Before connecting ODBC has the attribute refused as set too early.
  post(isConnected() ? "HYC00" : "HY011");
  return SQL_ERROR;
}

SQLRETURN Connection::refuseValue() {
  post("HY024");
  return SQL_ERROR;
}

bool Connection::isTxnIsolationLevel(SQLUINTEGER isolation) {
  return isolation == SQL_TXN_READ_UNCOMMITTED || isolation == SQL_TXN_READ_COMMITTED ||
         isolation == SQL_TXN_REPEATABLE_READ || isolation == SQL_TXN_SERIALIZABLE;
}

SQLRETURN Connection::clampTimeout(SQLUINTEGER seconds, SQLUINTEGER limit, SQLUINTEGER& field) {
  if (limit == 0 || seconds <= limit) {
    field = seconds;
    return SQL_SUCCESS;
  }
  field = limit;
  post("01S02");
  return SQL_SUCCESS_WITH_INFO;
}
