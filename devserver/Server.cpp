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
    std::lock_guard<std::mutex> lock(mutex_);
    Connection& connection = connections_.emplace_back();
    connection.socket = client;
    context_.openConnections()++;
    connection.thread = std::thread(&Server::serve, this, std::ref(connection), nextId++);
  }
  // Stopping: every session's socket is shut down, which ends its blocking reads and writes.
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Connection& connection : connections_) shutdown(connection.socket, SHUT_RDWR);
  }
  for (Connection& connection : connections_) connection.thread.join();
  for (Connection& connection : connections_) close(connection.socket);
  connections_.clear();
}

void Server::serve(Connection& connection, unsigned id) {
  std::cerr << "session " << id << ": connected\n";
  {
    Session session(connection.socket, id, context_);
    session.run();
  }
  // The peer sees the end now; the descriptor itself is closed when the thread is joined.
  shutdown(connection.socket, SHUT_RDWR);
  context_.openConnections()--;
  std::cerr << "session " << id << ": closed\n";
  {
    std::lock_guard<std::mutex> lock(mutex_);
    connection.finished = true;
  }
  wake();
}

void Server::reapFinished() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (!it->finished) {
      ++it;
      continue;
    }
    it->thread.join();
    close(it->socket);
    it = connections_.erase(it);
  }
}

}  // namespace devserver
