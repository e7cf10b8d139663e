#include "bench/BenchServer.h"

#include <cstdlib>
#include <utility>

namespace bench {

BenchServer::BenchServer(const std::vector<std::string>& args) : server_(args) {}

BenchServer::~BenchServer() {
  for (const auto& entry : connections_) kvl_disconnect(entry.second, 1);
}

BenchServer* BenchServer::get(const std::vector<std::string>& args, const std::vector<std::string>& setup,
                              std::string& error) {
  using Key = std::pair<std::vector<std::string>, std::vector<std::string>>;
  static std::map<Key, std::unique_ptr<BenchServer>> servers;
  auto found = servers.find(Key(args, setup));
  if (found != servers.end()) return found->second.get();
  // The server of this build, unless the environment names another.
  setenv("KARVELL_DEVSERVER", KARVOD_BENCH_DEVSERVER, 0);
  std::unique_ptr<BenchServer> server(new BenchServer(args));
  if (!server->server_.running()) {
    error = "the development server did not start";
    return nullptr;
  }
  KvlConnection* connection = server->connection(0, error);
  if (connection == nullptr) return nullptr;
  for (const std::string& sql : setup) {
    if (kvl_execute(connection, sql.c_str()) != 0) {
      error = sql + ": " + kvl_error_message(connection);
      return nullptr;
    }
  }
  return servers.emplace(Key(args, setup), std::move(server)).first->second.get();
}

KvlConnection* BenchServer::connection(int encryption, std::string& error) {
  auto found = connections_.find(encryption);
  if (found != connections_.end()) return found->second;
  KvlConnection* connection = nullptr;
  if (kvl_connect(&connection, "127.0.0.1", server_.port(), "karvell", "karvell", 12, encryption) != 0) {
    error = "login at encryption " + std::to_string(encryption) + " failed: " +
            (connection != nullptr ? kvl_error_message(connection) : "no connection record");
    kvl_disconnect(connection, 0);
    return nullptr;
  }
  connections_.emplace(encryption, connection);
  return connection;
}

}  // namespace bench
