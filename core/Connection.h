#pragma once
// A connection to a data source. This base class answers everything that does not depend on the
// server: connection attributes with their limits, SQLGetInfo, SQLGetFunctions, SQLNativeSql,
// the diagnostics and the slow-query log. The server back end derives from it and overrides
// connecting, transactions, statement creation and the answers that describe its server.
//
// Text is UTF-8 throughout; the wide entry points convert on their way in and out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/InfoItems.h"
#include "platform/Mutex.h"
#include "platform/Odbc.h"

class ConnectionChild;
class Descriptor;
class Environment;
class Statement;
class TraceWriter;

using InfoU16 = SQLUSMALLINT;
using InfoU32 = SQLUINTEGER;
using InfoText = std::string;

class Connection {
 public:
  // The driver's own connection attribute: 1 switches the connection to the wide entry points
  // and the wide SQL types for character columns, any other value switches both off.
  static constexpr SQLINTEGER wideApiAttribute = 1057;
  // A driver attribute accepted and ignored, before connecting and after.
  static constexpr SQLINTEGER ignoredAttribute = 30002;

  // Registers with the environment and, while it traces, writes the application, system and
  // driver lines.
  explicit Connection(Environment* environment);
  // Frees the statements and descriptors still registered and leaves the environment.
  virtual ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Held through each call on one of its statements or descriptors (api/Handles.h) and through
  // its own transactions, attributes and disconnect (ConnectionProxy, Environment::endTran).
  platform::Mutex& callMutex() { return callMutex_; }

  virtual void enableQueryLog(SQLUINTEGER thresholdMilliseconds, const std::string& path);
  virtual bool isQueryLogEnabled() const;
  // Appends "time stamp TAB milliseconds TAB SQL" to the query log; a log that cannot be opened
  // loses the line.
  virtual void logQuery(SQLUINTEGER elapsedMilliseconds, const std::string& sql);
  virtual SQLUINTEGER queryLogThreshold() const;

  // Null here: statements and descriptors come from the layers that define them, through the
  // subclass that knows both.
  virtual Statement* createStatement();
  virtual Descriptor* createDescriptor();

  virtual SQLRETURN connectToDsn(const std::string& dsn, const std::string& user,
                                 const std::string& password) = 0;
  // Lengths in bytes or SQL_NTS; a null text is "".
  virtual SQLRETURN connect(const char* dsn, SQLINTEGER dsnLength, const char* user,
                            SQLINTEGER userLength, const char* password,
                            SQLINTEGER passwordLength);
  // The completed connection string comes back whole, so the narrow and wide exports can each
  // cut it in their own unit.
  virtual SQLRETURN driverConnect(SQLHWND window, const std::string& inString,
                                  std::string& outString, SQLUSMALLINT completion) = 0;
  // The narrow form: the completed string copied as answerString does, "01004" when cut and the
  // connect succeeded.
  virtual SQLRETURN driverConnect(SQLHWND window, const char* inString, SQLINTEGER inLength,
                                  char* outString, SQLSMALLINT bufferLength,
                                  SQLSMALLINT* outLength, SQLUSMALLINT completion);
  virtual SQLRETURN disconnect() = 0;

  // String attributes are UTF-8 of `stringLength` bytes (SQL_NTS: up to the NUL); an attribute
  // this driver does not know, or one it only reads, is refused with "HY092", a value the
  // attribute does not take with "HY024".
  virtual SQLRETURN setConnectAttr(SQLINTEGER attribute, SQLPOINTER value,
                                   SQLINTEGER stringLength);
  // Integers are written as 32 bits (the quiet-mode window as a pointer), strings as UTF-8 with
  // the full length reported; an unknown attribute is refused with "HY092".
  virtual SQLRETURN getConnectAttr(SQLINTEGER attribute, SQLPOINTER value,
                                   SQLINTEGER bufferLength, SQLINTEGER* stringLength);
  // Routes the info type to its answer operation and writes the answer at the item's width
  // (InfoItems.h); SQL_ERROR without a record for a type it does not answer.
  virtual SQLRETURN getInfo(SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT bufferLength,
                            SQLSMALLINT* stringLength);
  virtual SQLRETURN getDiagRec(SQLSMALLINT recordNumber, char* sqlState,
                               SQLINTEGER* nativeError, char* messageText,
                               SQLSMALLINT bufferLength, SQLSMALLINT* textLength);
  virtual SQLRETURN getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                 SQLPOINTER value, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* stringLength);
  // The same on the diagnostics of this connection or of one of its statements and
  // descriptors: messages name the server as their component, and the connection and server
  // names are the connection's.
  SQLRETURN getDiagRecOf(const DiagnosticHeader& diagnostics, SQLSMALLINT recordNumber,
                         char* sqlState, SQLINTEGER* nativeError, char* messageText,
                         SQLSMALLINT bufferLength, SQLSMALLINT* textLength);
  SQLRETURN getDiagFieldOf(const DiagnosticHeader& diagnostics, SQLSMALLINT recordNumber,
                           SQLSMALLINT identifier, SQLPOINTER value, SQLSMALLINT bufferLength,
                           SQLSMALLINT* stringLength);
  // SQLError: the newest record, after which all records are gone.
  virtual SQLRETURN error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                          SQLSMALLINT bufferLength, SQLSMALLINT* textLength);
  virtual SQLRETURN getFunctions(SQLUSMALLINT functionId, SQLUSMALLINT* supported);
  virtual SQLRETURN nativeSql(const char* inText, SQLINTEGER inLength, char* outText,
                              SQLINTEGER bufferLength, SQLINTEGER* outLength);
  virtual std::string toNativeSql(const std::string& sql);
  virtual SQLRETURN endTran(SQLSMALLINT completionType);
  virtual DiagnosticHeader& diagnostics();
  virtual bool isConnected() const;
  virtual void setConnected(bool connected);
  virtual bool isTransactionOpen();
  // Runs before the autocommit mode changes; a failure keeps the old mode.
  virtual SQLRETURN beforeAutocommitChange();
  // The C type that SQL_C_DEFAULT stands for with a column of the SQL type.
  virtual SQLSMALLINT defaultCType(SQLSMALLINT sqlType);
  virtual bool isWideAPI() const;
  virtual void setWideAPI(bool wide);
  virtual void setSendEncoding(const std::string& name);
  virtual void setReceiveEncoding(const std::string& name);
  virtual void setEncoding(const std::string& name);
  virtual void setUnicodeTextTypes(bool unicode);
  virtual std::uint32_t encoding() const;
  virtual std::uint32_t sendEncoding() const;
  virtual std::uint32_t receiveEncoding() const;
  virtual bool isUnicodeTextTypes() const;
  virtual bool suppressDeclareCursor();
  // The function list of SQLGetFunctions.
  virtual std::size_t supportedFunctionCount();
  virtual SQLUSMALLINT supportedFunctionId(std::size_t index);

  virtual SQLRETURN setAccessMode(SQLUINTEGER mode);
  virtual SQLRETURN setAsyncEnable(SQLUINTEGER enable);
  virtual SQLRETURN setAutocommit(SQLUINTEGER autocommit);
  virtual SQLRETURN setConnectionTimeout(SQLUINTEGER seconds);
  virtual SQLRETURN setCurrentCatalog(const std::string& catalog);
  virtual SQLRETURN setLoginTimeout(SQLUINTEGER seconds);
  virtual SQLRETURN setMetadataId(SQLUINTEGER metadataId);
  virtual SQLRETURN setPacketSize(SQLUINTEGER bytes);
  virtual SQLRETURN setQuietMode(SQLHWND window);
  virtual SQLRETURN setTraceFile(const std::string& path);
  virtual SQLRETURN setTranslateLib(const std::string& library);
  virtual SQLRETURN setTranslateOption(SQLUINTEGER option);
  virtual SQLRETURN setTxnIsolation(SQLUINTEGER isolation);
  virtual SQLUINTEGER getAccessMode();
  virtual SQLUINTEGER getAsyncEnable();
  virtual SQLUINTEGER getAutoIpd();
  virtual SQLUINTEGER getAutocommit();
  virtual SQLUINTEGER getConnectionDead();
  virtual SQLUINTEGER getConnectionTimeout();
  virtual std::string getCurrentCatalog();
  virtual SQLUINTEGER getLoginTimeout();
  virtual SQLUINTEGER getMetadataId();
  virtual SQLUINTEGER getPacketSize();
  virtual SQLHWND getQuietMode();
  virtual std::string getTraceFile();
  virtual std::string getTranslateLib();
  virtual SQLUINTEGER getTranslateOption();
  virtual SQLUINTEGER getTxnIsolation();

  // One answer operation per SQLGetInfo item: getInfoAccessibleProcedures ... getInfoUserName,
  // returning InfoU16, InfoU32 or InfoText as InfoItems.h lists them.
#define KARVOD_DECLARE_INFO_ANSWER(name, type, kind, value) virtual Info##kind getInfo##name();
  KARVOD_INFO_ITEMS(KARVOD_DECLARE_INFO_ANSWER)
#undef KARVOD_DECLARE_INFO_ANSWER

  // Limits of attribute values; 0 is no limit.
  virtual SQLULEN keysetSizeLimit();
  virtual SQLULEN maxLengthLowerLimit();
  virtual SQLULEN maxLengthUpperLimit();
  virtual SQLULEN queryTimeoutLowerLimit();
  virtual SQLULEN queryTimeoutUpperLimit();
  virtual SQLUINTEGER connectionTimeoutLimit();
  virtual SQLUINTEGER loginTimeoutLimit();
  virtual SQLUINTEGER packetSizeLowerLimit();
  virtual SQLUINTEGER packetSizeUpperLimit();

  bool isTracing() const;
  // The environment's trace; callers test isTracing() first.
  TraceWriter& traceStream() const;
  Environment* environment() const;

  // Frees the statements and descriptors the application has not freed. The connection handle
  // calls it after a successful disconnect and before it deletes the connection, while the
  // subclass that the statements may still use is whole.
  void freeChildren();

 protected:
  // One of the four levels ODBC defines.
  static bool isTxnIsolationLevel(SQLUINTEGER isolation);
  // Filled by the back end while connecting.
  std::string user_;
  std::string dataSourceName_;
  std::string server_;
  std::string database_;

 private:
  friend class ConnectionChild;
  void addChild(ConnectionChild* child);
  void removeChild(ConnectionChild* child);
  void descriptorFreed(const Descriptor* descriptor);
  bool cursorNameTaken(const ConnectionChild* asking, const std::string& name);
  // Posts a driver state: native error 0, the standard text, no row or column.
  void post(const char* sqlState);
  SQLRETURN clampTimeout(SQLUINTEGER seconds, SQLUINTEGER limit, SQLUINTEGER& field);
  // "HY024": a value the attribute does not take.
  SQLRETURN refuseValue();
  // The translate attributes: "HY011" before connecting, "HYC00" after.
  SQLRETURN refuseTranslation();

  Environment* environment_;
  DiagnosticHeader diagnostics_;
  bool connected_ = false;
  bool queryLogOn_ = false;
  SQLUINTEGER queryLogThreshold_ = 0;
  std::string queryLogPath_;
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
  std::uint32_t encoding_;
  std::uint32_t sendEncoding_;
  std::uint32_t receiveEncoding_;
  platform::Mutex childrenMutex_;
  platform::Mutex callMutex_;
  std::vector<ConnectionChild*> children_;
};
