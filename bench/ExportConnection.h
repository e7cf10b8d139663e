#pragma once
// Connections through the driver's exported functions, as an application makes them, to the
// benchmarks' development servers: one per server data, made on first use and kept for the whole
// program.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <map>
#include <string>
#include <vector>

#include "bench/BenchServer.h"

namespace bench {

// The connection to the server whose data `setup` creates; null after SkipWithError.
inline SQLHDBC exportConnection(benchmark::State& state, const std::vector<std::string>& setup) {
  static std::map<std::vector<std::string>, SQLHDBC> connections;
  const auto found = connections.find(setup);
  if (found != connections.end()) return found->second;
  std::string error;
  BenchServer* server = BenchServer::get({}, setup, error);
  if (server == nullptr) {
    state.SkipWithError(error.c_str());
    return SQL_NULL_HDBC;
  }
  SQLHENV env = SQL_NULL_HENV;
  SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
  std::string in =
      "SERVER=127.0.0.1;PORT=" + std::to_string(server->port()) + ";UID=karvell;PWD=karvell";
  if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(&in[0]), SQL_NTS,
                                      nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
    state.SkipWithError("SQLDriverConnect failed");
    return SQL_NULL_HDBC;
  }
  return connections.emplace(setup, dbc).first->second;
}

}  // namespace bench
