#pragma once
// A Connection with no server behind it, for tests of everything above the back end. It keeps,
// in order, every call that reaches its connect, disconnect and attribute-setter operations
// ("setLoginTimeout(30)", "connectToDsn(dsn,user)") and then behaves as the base class does.
// connectToDsn takes the DSN and user as the connection's names and counts as connected when
// `connectResult` succeeds. CountingChild stands in for the statements made on a connection.
//
// Header-only: the test support library is linked into test programs that have no driver core.
#include <string>
#include <vector>

#include "core/AppBuffer.h"
#include "core/Connection.h"
#include "core/ConnectionChild.h"

namespace testsupport {

class RecordingConnection : public Connection {
 public:
  explicit RecordingConnection(Environment* environment) : Connection(environment) {}

  std::vector<std::string> calls;
  SQLRETURN connectResult = SQL_SUCCESS;
  SQLRETURN disconnectResult = SQL_SUCCESS;

  SQLRETURN connectToDsn(const std::string& dsn, const std::string& user,
                         const std::string&) override {
    calls.push_back("connectToDsn(" + dsn + "," + user + ")");
    dataSourceName_ = dsn;
    user_ = user;
    setConnected(SQL_SUCCEEDED(connectResult));
    return connectResult;
  }

  using Connection::driverConnect;
  SQLRETURN driverConnect(SQLHWND, const std::string& inString, std::string& outString,
                          SQLUSMALLINT completion) override {
    calls.push_back("driverConnect(" + inString + "," + std::to_string(completion) + ")");
    outString = inString;
    setConnected(SQL_SUCCEEDED(connectResult));
    return connectResult;
  }

  SQLRETURN disconnect() override {
    calls.push_back("disconnect()");
    if (SQL_SUCCEEDED(disconnectResult)) setConnected(false);
    return disconnectResult;
  }

  SQLRETURN setAccessMode(SQLUINTEGER v) override {
    return record("setAccessMode", v, Connection::setAccessMode(v));
  }
  SQLRETURN setAsyncEnable(SQLUINTEGER v) override {
    return record("setAsyncEnable", v, Connection::setAsyncEnable(v));
  }
  SQLRETURN setAutocommit(SQLUINTEGER v) override {
    return record("setAutocommit", v, Connection::setAutocommit(v));
  }
  SQLRETURN setConnectionTimeout(SQLUINTEGER v) override {
    return record("setConnectionTimeout", v, Connection::setConnectionTimeout(v));
  }
  SQLRETURN setCurrentCatalog(const std::string& v) override {
    return record("setCurrentCatalog", v, Connection::setCurrentCatalog(v));
  }
  SQLRETURN setLoginTimeout(SQLUINTEGER v) override {
    return record("setLoginTimeout", v, Connection::setLoginTimeout(v));
  }
  SQLRETURN setMetadataId(SQLUINTEGER v) override {
    return record("setMetadataId", v, Connection::setMetadataId(v));
  }
  SQLRETURN setPacketSize(SQLUINTEGER v) override {
    return record("setPacketSize", v, Connection::setPacketSize(v));
  }
  SQLRETURN setQuietMode(SQLHWND v) override {
    return record("setQuietMode", v == nullptr ? "null" : "window", Connection::setQuietMode(v));
  }
  SQLRETURN setTraceFile(const std::string& v) override {
    return record("setTraceFile", v, Connection::setTraceFile(v));
  }
  SQLRETURN setTranslateLib(const std::string& v) override {
    return record("setTranslateLib", v, Connection::setTranslateLib(v));
  }
  SQLRETURN setTranslateOption(SQLUINTEGER v) override {
    return record("setTranslateOption", v, Connection::setTranslateOption(v));
  }
  SQLRETURN setTxnIsolation(SQLUINTEGER v) override {
    return record("setTxnIsolation", v, Connection::setTxnIsolation(v));
  }
  void setWideAPI(bool v) override {
    record("setWideAPI", v, SQL_SUCCESS);
    Connection::setWideAPI(v);
  }
  void setUnicodeTextTypes(bool v) override {
    record("setUnicodeTextTypes", v, SQL_SUCCESS);
    Connection::setUnicodeTextTypes(v);
  }

 private:
  SQLRETURN record(const char* setter, const std::string& value, SQLRETURN rc) {
    calls.push_back(std::string(setter) + "(" + value + ")");
    return rc;
  }
  SQLRETURN record(const char* setter, SQLUINTEGER value, SQLRETURN rc) {
    return record(setter, std::to_string(value), rc);
  }
};

// A statement stand-in that counts its destruction, to show what the connection frees.
class CountingChild : public ConnectionChild {
 public:
  CountingChild(Connection* connection, int& freed) : ConnectionChild(connection), freed_(freed) {}
  ~CountingChild() override { ++freed_; }

 private:
  int& freed_;
};

}  // namespace testsupport
