#pragma once
// The environment handle object: the driver's identity, its preferences, the call trace shared by
// every handle made under it, its diagnostics and the connections made on it.
//
// Thread safety: the connection list, the environment's own diagnostics and every trace line are
// guarded by the environment's mutex. The mutex is recursive, because a guarded section may trace
// or post on the same thread. The walk of SQLEndTran has a lock of its own, which a connection
// leaving the list waits for.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "core/DiagnosticHeader.h"
#include "core/DriverPreferences.h"
#include "core/TraceWriter.h"
#include "platform/Mutex.h"
#include "platform/Odbc.h"

class Connection;

class Environment {
 public:
  // Without a preferences object the environment makes its own for the display name's section;
  // either way it owns and deletes it. The trace is opened here, from the "TraceFile" preference,
  // and stays as it is for the environment's life.
  Environment(std::string identifier, std::string moduleName, std::string displayName,
              std::string makerName, DriverPreferences* preferences);
  virtual ~Environment();
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  // True when the trace file is open; test before building a trace line.
  virtual bool isTracing() const;
  virtual TraceWriter& traceStream();
  virtual DiagnosticHeader& diagnostics();
  // Held by operations outside the environment that clear or post its diagnostics (allocating a
  // connection under it), since other threads may be doing the same.
  platform::Mutex& diagnosticsMutex() const { return mutex_; }

  // Connections register on construction and unregister on destruction; the environment does
  // not own them.
  virtual void addConnection(Connection* connection);
  virtual void removeConnection(Connection* connection);
  // A copy of the list, in order of registration.
  virtual std::vector<Connection*> connections() const;

  // SQL_ATTR_ODBC_VERSION and SQL_ATTR_OUTPUT_NTS; integer values travel in the pointer.
  // Another attribute posts "HY092" and answers SQL_ERROR.
  virtual SQLRETURN setEnvAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER stringLength);
  // Writes the 32-bit value of either attribute; another attribute posts "HY092" and answers
  // SQL_ERROR.
  virtual SQLRETURN getEnvAttr(SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER bufferLength,
                               SQLINTEGER* stringLength);
  virtual SQLRETURN getDiagRec(SQLSMALLINT recordNumber, char* sqlState, SQLINTEGER* nativeError,
                               char* messageText, SQLSMALLINT bufferLength,
                               SQLSMALLINT* textLength);
  virtual SQLRETURN getDiagField(SQLSMALLINT recordNumber, SQLSMALLINT identifier,
                                 SQLPOINTER value, SQLSMALLINT bufferLength,
                                 SQLSMALLINT* stringLength);
  // SQLError: the newest record, after which all records are gone.
  virtual SQLRETURN error(char* sqlState, SQLINTEGER* nativeError, char* messageText,
                          SQLSMALLINT bufferLength, SQLSMALLINT* textLength);
  // Ends the transaction of every connected connection, asking all of them even after one
  // failed; any failure posts one "HY000" and answers SQL_ERROR. Each connection's commit holds
  // its call lock, as its own SQLEndTran does.
  virtual SQLRETURN endTran(SQLSMALLINT completionType);

  // Any version is kept as given.
  virtual SQLRETURN setOdbcVersion(SQLUINTEGER version);
  // Output strings are always NUL-terminated: SQL_FALSE is refused with "HYC00".
  virtual SQLRETURN setOutputNts(SQLUINTEGER value);
  virtual SQLUINTEGER odbcVersion() const;
  virtual SQLUINTEGER outputNts() const;

  virtual const std::string& identifier() const;
  // The driver module's file name, the answer of SQL_DRIVER_NAME.
  virtual const std::string& moduleName() const;
  // The preferences' section and the component of the environment's diagnostics.
  virtual const std::string& displayName() const;
  // The first bracket of every diagnostic message.
  virtual const std::string& makerName() const;
  // The host executable's file name without directory, and its file version ("" when none).
  virtual const std::string& applicationName() const;
  virtual const std::string& applicationVersion() const;
  virtual DriverPreferences& preferences();

 private:
  void post(const char* sqlState, const char* message);

  std::string identifier_;
  std::string moduleName_;
  std::string displayName_;
  std::string makerName_;
  std::unique_ptr<DriverPreferences> preferences_;
  mutable platform::Mutex mutex_;
  platform::Mutex walkMutex_;
  TraceWriter trace_;
  bool tracing_ = false;
  DiagnosticHeader diagnostics_;
  std::vector<Connection*> connections_;
  std::atomic<SQLUINTEGER> odbcVersion_{SQL_OV_ODBC3};
  std::string applicationName_;
  std::string applicationVersion_;
};
