#pragma once
// The listening socket and the session threads. A thread that ends its session waits for the
// next connection, as a real server's workers do: starting a thread for each connection put the
// scheduling of a new thread, a millisecond and more on a busy machine, into every connect.
#include <condition_variable>
#include <deque>
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
  struct Accepted {
    int socket;
    unsigned id;
  };
  struct Worker {
    std::thread thread;
    int socket = -1;  // of the session it serves; -1 while it waits
    bool finished = false;
  };
  // Hands an accepted connection to a waiting worker, or to a new one when none waits for it.
  void dispatch(int socket, unsigned id);
  void work(Worker& worker);
  void serve(int socket, unsigned id);
  void reapFinished();
  void wake();

  ServerContext& context_;
  int listener_ = -1;
  int port_ = 0;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::mutex mutex_;
  std::condition_variable accepted_;
  std::deque<Accepted> queue_;  // connections that no worker has taken yet
  int waiting_ = 0;             // workers waiting for one
  std::list<Worker> workers_;
};

}  // namespace devserver
