#include "tests/support/FaultProxy.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace testsupport {

namespace {

constexpr std::size_t kHeaderSize = 32;

// Where a byte stream stands in its frames.
class FrameCursor {
 public:
  bool atStart() const { return fill_ == 0 && left_ == 0; }
  // The header just completed by the last byte taken, or null.
  const std::uint8_t* completedHeader() const { return justCompleted_ ? header_ : nullptr; }

  void take(std::uint8_t byte) {
    justCompleted_ = false;
    if (fill_ < kHeaderSize) {
      header_[fill_++] = byte;
      if (fill_ < kHeaderSize) return;
      justCompleted_ = true;
      left_ = std::uint64_t{header_[4]} << 24 | std::uint64_t{header_[5]} << 16 |
              std::uint64_t{header_[6]} << 8 | header_[7];
      if (left_ == 0) fill_ = 0;
      return;
    }
    if (--left_ == 0) fill_ = 0;
  }

 private:
  std::uint8_t header_[kHeaderSize] = {};
  std::size_t fill_ = 0;
  std::uint64_t left_ = 0;
  bool justCompleted_ = false;
};

bool sendAll(int socket, const std::uint8_t* bytes, std::size_t length) {
  while (length) {
    const ssize_t sent = send(socket, bytes, length, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes += sent;
    length -= static_cast<std::size_t>(sent);
  }
  return true;
}

ssize_t receive(int socket, std::uint8_t* bytes, std::size_t length) {
  for (;;) {
    const ssize_t got = recv(socket, bytes, length, 0);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace

struct FaultProxy::Link {
  int client = -1;
  int server = -1;
  bool clientOpen = true;  // the client may still send
  bool serverOpen = true;  // the server may still send
  bool held = false;
  FrameCursor requests;
  FrameCursor replies;
};

FaultProxy::FaultProxy(int upstreamPort) : upstreamPort_(upstreamPort) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    ADD_FAILURE() << "proxy: pipe: " << std::strerror(errno);
    return;
  }
  own_ = {wake_[0], wake_[1]};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    listener_ = own(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ADD_FAILURE() << "proxy: cannot listen: " << std::strerror(errno);
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread(&FaultProxy::run, this);
}

FaultProxy::~FaultProxy() {
  if (thread_.joinable()) {
    stopping_ = true;
    const char byte = 0;
    if (write(wake_[1], &byte, 1) < 0) ADD_FAILURE() << "proxy: cannot wake";
    thread_.join();
  }
  for (auto& link : links_) close(*link);
  for (int descriptor : {listener_, wake_[0], wake_[1]})
    if (descriptor >= 0) closeDescriptor(descriptor);
}

void FaultProxy::arm(const Fault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  fault_ = fault;
  armed_ = true;
  counting_ = false;
  repliesSeen_ = 0;
}

void FaultProxy::dropConnections() {
  dropping_ = true;
  const char byte = 0;
  if (write(wake_[1], &byte, 1) < 0) return;
  while (dropping_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

int FaultProxy::foreignDescriptors() {
  std::lock_guard<std::mutex> lock(mutex_);
  DIR* directory = opendir("/proc/self/fd");
  if (directory == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = readdir(directory)) {
    char* end = nullptr;
    const long descriptor = std::strtol(entry->d_name, &end, 10);
    if (*entry->d_name == 0 || *end != 0 || descriptor == dirfd(directory)) continue;
    if (own_.count(static_cast<int>(descriptor)) == 0) ++count;
  }
  closedir(directory);
  return count;
}

int FaultProxy::own(int descriptor) {
  if (descriptor >= 0) own_.insert(descriptor);
  return descriptor;
}

void FaultProxy::closeDescriptor(int descriptor) {
  std::lock_guard<std::mutex> lock(mutex_);
  ::close(descriptor);
  own_.erase(descriptor);
}

void FaultProxy::run() {
  std::vector<pollfd> waits;
  std::vector<std::pair<Link*, bool>> owners;  // per wait after the first two: link, from client
  while (!stopping_) {
    waits = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
    owners.clear();
    for (auto& link : links_) {
      if (link->clientOpen) {
        waits.push_back({link->client, POLLIN, 0});
        owners.emplace_back(link.get(), true);
      }
      if (link->serverOpen && !link->held) {
        waits.push_back({link->server, POLLIN, 0});
        owners.emplace_back(link.get(), false);
      }
    }
    if (poll(waits.data(), waits.size(), -1) < 0) {
      if (errno == EINTR) continue;
      ADD_FAILURE() << "proxy: poll: " << std::strerror(errno);
      return;
    }
    if (waits[0].revents) {
      char drain[16];
      while (read(wake_[0], drain, sizeof drain) > 0) {
      }
      if (dropping_) {
        for (auto& link : links_) close(*link);
        links_.clear();
        dropping_ = false;
        continue;
      }
    }
    if (waits[1].revents & POLLIN) accept();
    std::vector<Link*> finished;
    for (std::size_t i = 2; i < waits.size(); ++i) {
      if (!waits[i].revents) continue;
      auto [link, client] = owners[i - 2];
      if (std::find(finished.begin(), finished.end(), link) != finished.end()) continue;
      if (!(client ? fromClient(*link) : fromServer(*link))) finished.push_back(link);
    }
    for (Link* link : finished) {
      close(*link);
      links_.erase(std::find_if(links_.begin(), links_.end(),
                                [link](const auto& owned) { return owned.get() == link; }));
    }
  }
}

void FaultProxy::accept() {
  auto link = std::make_unique<Link>();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    link->client = own(accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC));
    if (link->client < 0) return;
    link->server = own(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(upstreamPort_));
  if (link->server < 0 ||
      connect(link->server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ADD_FAILURE() << "proxy: cannot reach the server: " << std::strerror(errno);
    close(*link);
    return;
  }
  links_.push_back(std::move(link));
}

bool FaultProxy::fromClient(Link& link) {
  std::uint8_t bytes[16384];
  const ssize_t got = receive(link.client, bytes, sizeof bytes);
  if (got <= 0) {
    // A held link has nothing more to give the client; otherwise the end travels on.
    if (link.held || got < 0 || !link.serverOpen) return false;
    link.clientOpen = false;
    shutdown(link.server, SHUT_WR);
    return true;
  }
  clientBytes_ += static_cast<std::uint64_t>(got);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (ssize_t i = 0; i < got; ++i) {
      link.requests.take(bytes[i]);
      const std::uint8_t* header = link.requests.completedHeader();
      if (header && armed_ && !counting_ && (fault_.command == 0 || header[8] == fault_.command))
        counting_ = true;
    }
  }
  return link.held || sendAll(link.server, bytes, static_cast<std::size_t>(got));
}

bool FaultProxy::fromServer(Link& link) {
  std::uint8_t bytes[16384];
  const ssize_t got = receive(link.server, bytes, sizeof bytes);
  if (got <= 0) {
    if (got < 0 || !link.clientOpen) return false;
    link.serverOpen = false;
    shutdown(link.client, SHUT_WR);
    return true;
  }
  std::size_t pass = static_cast<std::size_t>(got);
  bool hit = false;
  Action action = Action::kCut;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = 0; i < pass; ++i) {
      if (link.replies.atStart() && counting_ && !triggered_ && repliesSeen_++ == fault_.reply) {
        triggered_ = true;
        passed_ = 0;
      }
      if (triggered_ && passed_++ == fault_.offset) {
        pass = i;
        hit = true;
        action = fault_.action;
        armed_ = counting_ = triggered_ = false;
        break;
      }
      link.replies.take(bytes[i]);
    }
  }
  if (!sendAll(link.client, bytes, pass)) return false;
  if (!hit) return true;
  if (action == Action::kCut) return false;
  link.held = true;
  return true;
}

void FaultProxy::close(Link& link) {
  for (int* descriptor : {&link.client, &link.server}) {
    if (*descriptor < 0) continue;
    shutdown(*descriptor, SHUT_RDWR);
    closeDescriptor(*descriptor);
    *descriptor = -1;
  }
}

}  // namespace testsupport
#endif
