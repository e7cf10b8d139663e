#pragma once
// The driver's own entry points, called without a Driver Manager: the module loaded by its path
// (KARVOD_DRIVER) and a connection to the test's server opened through its own functions.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <string>

namespace integrationtest {

class DriverEntryPoints {
 public:
  explicit DriverEntryPoints(int port)
      : module_(dlopen(std::getenv("KARVOD_DRIVER"), RTLD_NOW | RTLD_LOCAL)) {
    if (module_ == nullptr) {
      ADD_FAILURE() << dlerror();
      return;
    }
    const auto allocHandle = entry(&SQLAllocHandle, "SQLAllocHandle");
    const auto setEnvAttr = entry(&SQLSetEnvAttr, "SQLSetEnvAttr");
    const auto driverConnect = entry(&SQLDriverConnect, "SQLDriverConnect");
    if (!allocHandle || !setEnvAttr || !driverConnect ||
        allocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_) != SQL_SUCCESS)
      return;
    setEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (allocHandle(SQL_HANDLE_DBC, env_, &dbc_) != SQL_SUCCESS) return;
    std::string in =
        "Server=127.0.0.1;Port=" + std::to_string(port) + ";UID=karvell;PWD=karvell";
    connected_ = SQL_SUCCEEDED(driverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]),
                                             SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
  }

  ~DriverEntryPoints() {
    if (module_ == nullptr) return;
    const auto freeHandle = entry(&SQLFreeHandle, "SQLFreeHandle");
    if (connected_) entry(&SQLDisconnect, "SQLDisconnect")(dbc_);
    if (dbc_ != SQL_NULL_HDBC) freeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_ != SQL_NULL_HENV) freeHandle(SQL_HANDLE_ENV, env_);
    dlclose(module_);
  }

  DriverEntryPoints(const DriverEntryPoints&) = delete;
  DriverEntryPoints& operator=(const DriverEntryPoints&) = delete;

  // The module's function of that name, of the type the ODBC headers give `declared`.
  template <typename Function>
  Function* entry(Function* /* declared */, const char* name) const {
    void* address = module_ != nullptr ? dlsym(module_, name) : nullptr;
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<Function*>(address);
  }

  bool connected() const { return connected_; }
  SQLHDBC dbc() const { return dbc_; }

 private:
  void* module_;
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

}  // namespace integrationtest
