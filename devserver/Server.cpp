#include "devserver/Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "devserver/Session.h"

namespace devserver {

Server::~Server() {
  if (listener_ >= 0) close(listener_);
  if (wakeRead_ >= 0) close(wakeRead_);
  if (wakeWrite_ >= 0) close(wakeWrite_);
}

bool Server::listen(const std::string& address, int port, std::string& error) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::strerror(errno);
    return false;
  }
  wakeRead_ = pipeEnds[0];
  wakeWrite_ = pipeEnds[1];

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int rc = getaddrinfo(address.c_str(), service.c_str(), &hints, &found); rc != 0) {
    error = address + ": " + gai_strerror(rc);
    return false;
  }
  listener_ = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
  const int on = 1;
  const bool ok = listener_ >= 0 &&
                  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
                  bind(listener_, found->ai_addr, found->ai_addrlen) == 0 &&
                  ::listen(listener_, SOMAXCONN) == 0;
  freeaddrinfo(found);
  if (!ok) {
    error = address + ":" + service + ": " + std::strerror(errno);
    return false;
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                            : reinterpret_cast<sockaddr_in&>(bound).sin_port);
  return true;
}

void Server::wake() {
  const char byte = 0;
  // A full pipe already holds a wake-up; nothing is lost when this write fails.
  if (write(wakeWrite_, &byte, 1) < 0) return;
}

void Server::stop() {
  context_.requestStop();
  wake();
}

void Server::run() {
  unsigned nextId = 1;
  while (!context_.stopping()) {
    pollfd waits[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (poll(waits, 2, -1) < 0 && errno != EINTR) break;
    if (waits[1].revents) {
      char drain[64];
      while (read(wakeRead_, drain, sizeof drain) > 0) {
      }
      reapFinished();
    }
    if (!(waits[0].revents & POLLIN)) continue;
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      // Out of descriptors or memory the connection stays queued and poll wakes at once again;
      // a pause keeps that from spinning until a session ends.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
        context_.sleep(0.05);
      continue;
    }
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    dispatch(client, nextId++);
  }
  // Stopping: every session's socket is shut down, which ends its blocking reads and writes, and
  // the connections no worker took are closed unserved.
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Worker& worker : workers_)
      if (worker.socket >= 0) shutdown(worker.socket, SHUT_RDWR);
    for (const Accepted& connection : queue_) {
      close(connection.socket);
      context_.openConnections()--;
    }
    queue_.clear();
  }
  accepted_.notify_all();
  for (Worker& worker : workers_) worker.thread.join();
  workers_.clear();
}

void Server::dispatch(int socket, unsigned id) {
  std::lock_guard<std::mutex> lock(mutex_);
  context_.openConnections()++;
  queue_.push_back({socket, id});
  if (static_cast<std::size_t>(waiting_) >= queue_.size()) {
    accepted_.notify_one();
    return;
  }
  Worker& worker = workers_.emplace_back();
  worker.thread = std::thread(&Server::work, this, std::ref(worker));
}

void Server::work(Worker& worker) {
  // Enough waiting workers for a burst of connects; a worker beyond them ends with its session.
  constexpr int kSpareWorkers = 8;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    ++waiting_;
    accepted_.wait(lock, [this] { return !queue_.empty() || context_.stopping(); });
    --waiting_;
    if (queue_.empty()) break;
    const Accepted connection = queue_.front();
    queue_.pop_front();
    worker.socket = connection.socket;
    lock.unlock();
    serve(connection.socket, connection.id);
    lock.lock();
    // The stop shuts down only the sockets of sessions still running, under the lock.
    worker.socket = -1;
    close(connection.socket);
    if (waiting_ >= kSpareWorkers || context_.stopping()) break;
  }
  worker.finished = true;
  lock.unlock();
  wake();
}

void Server::serve(int socket, unsigned id) {
  std::cerr << "session " << id << ": connected\n";
  {
    Session session(socket, id, context_);
    session.run();
  }
  // The peer sees the end now, before the worker turns to the next connection.
  shutdown(socket, SHUT_RDWR);
  context_.openConnections()--;
  std::cerr << "session " << id << ": closed\n";
}

void Server::reapFinished() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (!it->finished) {
      ++it;
      continue;
    }
    it->thread.join();
    it = workers_.erase(it);
  }
}

}  // namespace devserver
