#include "client/kvl_socket.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "client/kvl_framing.h"

namespace {

constexpr std::uint32_t connectLimitSeconds = 12;
// A payload buffer grows as bytes arrive, so a header announcing gigabytes costs nothing until
// the bytes are really there.
constexpr std::size_t payloadStep = std::size_t{1} << 20;

int milliseconds(std::uint32_t seconds) {
  return static_cast<int>(std::min<std::uint64_t>(std::uint64_t{seconds} * 1000, INT_MAX));
}

int fail(KvlConnection* connection, int code, const char* message) {
  kvl_set_error(connection, code, message);
  return -1;
}

bool isPending(int error) {
  return error == 0 || error == platform::socketInterrupted || error == platform::socketWouldBlock ||
         error == platform::socketInProgress;
}

platform::SocketHandle failConnect(KvlConnection* connection, platform::SocketHandle socket, int code,
                                   const char* message) {
  kvl_set_error(connection, code, message);
  platform::closeSocket(socket);
  connection->socket = platform::noSocket;
  return platform::noSocket;
}

int readExactly(KvlConnection* connection, std::uint8_t* into, std::size_t length, std::uint32_t timeout) {
  while (length > 0) {
    std::ptrdiff_t received;
    if (connection->transport != nullptr) {
      received = connection->transport->receive(connection, into, length);
    } else if (connection->socket == platform::noSocket) {
      received = -1;
    } else {
      platform::SocketWait wait = platform::waitReadable(connection->socket, timeout == 0 ? -1 : milliseconds(timeout));
      if (wait == platform::SocketWait::exceptional) {
        return fail(connection, 830, "select returns except_fds inside kvl_socketread");
      }
      if (wait == platform::SocketWait::failed) {
        int error = kvl_socket_error(connection->socket);
        if (error != 0) return fail(connection, error, "An error occured while executing kvl_socketread");
        continue;
      }
      if (wait == platform::SocketWait::timedOut) {
        return fail(connection, 810, "A timeout error occured inside kvl_socketread");
      }
      received = platform::receiveSome(connection->socket, into, length);
      if (received == platform::transferPending) continue;
    }
    if (received <= 0) return fail(connection, 830, "An error occured while executing sock_read");
    into += received;
    length -= static_cast<std::size_t>(received);
  }
  return 0;
}

int readPayload(KvlConnection* connection, std::uint32_t timeout) {
  std::size_t size = connection->expectedSize;
  std::size_t have = 0;
  while (have < size) {
    std::size_t target = std::min(size, std::max(payloadStep, 2 * have));
    if (kvl_alloc_inbuffer(connection, target) != 0) return -1;
    if (readExactly(connection, connection->payload + have, target - have, timeout) != 0) return -1;
    have = target;
  }
  connection->payloadLength = connection->expectedSize;
  return 0;
}

}  // namespace

int kvl_socket_error(platform::SocketHandle socket) {
  int error = platform::pendingError(socket);
  return isPending(error) ? 0 : error;
}

platform::SocketHandle kvl_socket_open(KvlConnection* connection) {
  std::uint32_t address = 0;
  if (!platform::resolveIpv4(connection->host, address)) {
    fail(connection, 802, "Error while resolving hostname (gethostbyaddr)");
    return platform::noSocket;
  }
  platform::SocketHandle socket = platform::openStreamSocket();
  if (socket == platform::noSocket) {
    fail(connection, 802, "Error initializing the socket function");
    return platform::noSocket;
  }
  using Clock = std::chrono::steady_clock;
  std::uint32_t limit = connection->timeout > 0 ? connection->timeout : connectLimitSeconds;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(limit);
  int started = platform::startConnect(socket, address, static_cast<std::uint16_t>(connection->port));
  if (!isPending(started)) {
    return failConnect(connection, socket, started, "An error occured while executing the connect function");
  }
  while (started != 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return failConnect(connection, socket, 810, "Connection timeout while trying to connect");
    platform::SocketWait wait = platform::waitWritable(socket, static_cast<int>(left));
    if (wait == platform::SocketWait::timedOut) continue;
    int error = kvl_socket_error(socket);
    if (wait == platform::SocketWait::failed && error == 0) continue;
    if (wait != platform::SocketWait::ready || error != 0) {
      return failConnect(connection, socket, error != 0 ? error : -1, "An error occured while trying to connect");
    }
    started = 0;
  }
  connection->socket = socket;
  return socket;
}

void kvl_socket_close(KvlConnection* connection) {
  if (connection->socket == platform::noSocket) return;
  platform::closeSocket(connection->socket);
  connection->socket = platform::noSocket;
}

int kvl_socketwrite(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length) {
  // A time-out of 0 waits as long as a connect may, so large statements reach a busy server.
  int waitMs = milliseconds(connection->timeout > 0 ? connection->timeout : connectLimitSeconds);
  while (length > 0) {
    std::ptrdiff_t sent;
    if (connection->transport != nullptr) {
      sent = connection->transport->send(connection, bytes, length);
    } else if (connection->socket == platform::noSocket) {
      sent = -1;
    } else {
      platform::SocketWait wait = platform::waitWritable(connection->socket, waitMs);
      if (wait == platform::SocketWait::exceptional) {
        return fail(connection, 802, "select returns except_fds inside kvl_socketwrite");
      }
      if (wait == platform::SocketWait::failed) {
        int error = kvl_socket_error(connection->socket);
        if (error != 0) return fail(connection, error, "An error occured inside kvl_socketwrite");
        continue;
      }
      if (wait == platform::SocketWait::timedOut) {
        return fail(connection, 810, "A timeout error occured inside kvl_socketwrite");
      }
      sent = platform::sendSome(connection->socket, bytes, length);
      if (sent == platform::transferPending) continue;
    }
    if (sent < 1) return fail(connection, 820, "An error occured while trying to execute sock_write");
    bytes += sent;
    length -= static_cast<std::size_t>(sent);
  }
  return 0;
}

int kvl_socketread(KvlConnection* connection, int what, std::uint32_t timeout) {
  if (what == 1) return readExactly(connection, connection->replyHeader.bytes, sizeof connection->replyHeader, timeout);
  return readPayload(connection, timeout);
}
