#pragma once
// The listening socket and a thread per connection.
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "devserver/ServerContext.h"

namespace devserver {

class Server {
 public:
  explicit Server(ServerContext& context) : context_(context) {}
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and listens; false with a message.
  bool listen(const std::string& address, int port, std::string& error);
  int port() const { return port_; }
  // Accepts connections until stop(); then ends every session and waits for their threads.
  void run();
  // Safe to call from another thread.
  void stop();

 private:
  struct Connection {
    int socket;
    std::thread thread;
    bool finished = false;
  };
  void serve(Connection& connection, unsigned id);
  void reapFinished();
  void wake();

  ServerContext& context_;
  int listener_ = -1;
  int port_ = 0;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::mutex mutex_;
  std::list<Connection> connections_;
};

}  // namespace devserver
