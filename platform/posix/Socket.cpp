#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

// errno to the Winsock number of the same condition; anything without one passes unchanged.
int winsockNumber(int error) {
  switch (error) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EAGAIN: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case EOPNOTSUPP: return 10045;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case EPIPE:
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return error;
  }
}

int descriptor(SocketHandle socket) { return static_cast<int>(socket); }

SocketWait waitFor(SocketHandle socket, short events, int timeoutMs) {
  pollfd entry{descriptor(socket), events, 0};
  int result;
  do {
    result = ::poll(&entry, 1, timeoutMs);
  } while (result < 0 && errno == EINTR);
  if (result < 0) return SocketWait::failed;
  if (result == 0) return SocketWait::timedOut;
  if (entry.revents & POLLNVAL) return SocketWait::exceptional;
  // A refused or reset connect shows as an error condition while writing; a reader lets recv
  // report the peer's close or reset instead.
  if (events == POLLOUT && (entry.revents & POLLERR)) return SocketWait::exceptional;
  return SocketWait::ready;
}

std::ptrdiff_t transferResult(ssize_t result) {
  if (result >= 0) return result;
  return errno == EAGAIN || errno == EWOULDBLOCK ? transferPending : -1;
}

}  // namespace

bool startSockets() { return true; }

SocketHandle openStreamSocket() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return noSocket;
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  int idle = 60, interval = 10, probes = 6;
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
    ::close(fd);
    return noSocket;
  }
  return fd;
}

int startConnect(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr.s_addr = address;
  if (::connect(descriptor(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) return 0;
  return winsockNumber(errno);
}

SocketWait waitWritable(SocketHandle socket, int timeoutMs) { return waitFor(socket, POLLOUT, timeoutMs); }

SocketWait waitReadable(SocketHandle socket, int timeoutMs) { return waitFor(socket, POLLIN, timeoutMs); }

std::ptrdiff_t sendSome(SocketHandle socket, const void* bytes, std::size_t length) {
  ssize_t sent;
  do {
    sent = ::send(descriptor(socket), bytes, length, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return transferResult(sent);
}

std::ptrdiff_t receiveSome(SocketHandle socket, void* bytes, std::size_t length) {
  ssize_t received;
  do {
    received = ::recv(descriptor(socket), bytes, length, 0);
  } while (received < 0 && errno == EINTR);
  return transferResult(received);
}

int pendingError(SocketHandle socket) {
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(descriptor(socket), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return -1;
  return winsockNumber(error);
}

void closeSocket(SocketHandle socket) {
  ::shutdown(descriptor(socket), SHUT_RDWR);
  ::close(descriptor(socket));
}

void shutdownSocket(SocketHandle socket) { ::shutdown(descriptor(socket), SHUT_RDWR); }

}  // namespace platform
