#include "client/kvl_socket.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "client/kvl_framing.h"

namespace {

constexpr std::uint32_t connectLimitSeconds = 12;
// A payload up to this size is read into one allocation of its own size; a larger one grows by
// doubling as its bytes arrive, so a header announcing gigabytes costs no more than this until
// the bytes are really there.
constexpr std::size_t payloadStep = std::size_t{16} << 20;

int milliseconds(std::uint32_t seconds) {
  return static_cast<int>(std::min<std::uint64_t>(std::uint64_t{seconds} * 1000, INT_MAX));
}

// A transfer that fails leaves the stream at an unknown place.
int fail(KvlConnection* connection, int code, const char* message) {
  kvl_set_error(connection, code, message);
  return kvl_lose_stream(connection);
}

std::int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The wait left before the connection's reply deadline, or waitMs when that is sooner (-1: no
// limit on either side).
int boundedWait(const KvlConnection* connection, int waitMs) {
  if (connection->replyDeadline == 0) return waitMs;
  const std::int64_t left = std::max<std::int64_t>(connection->replyDeadline - nowMs(), 0);
  return waitMs >= 0 && waitMs < left ? waitMs : static_cast<int>(std::min<std::int64_t>(left, INT_MAX));
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

// What goes wrong in one direction, in the texts users see.
struct Direction {
  platform::SocketWait (*wait)(platform::SocketHandle socket, int timeoutMs);
  int exceptionalCode;
  const char* exceptional;
  const char* waitFailed;
  const char* timedOut;
  int failedCode;
  const char* failed;
  // A read's time-out bounds the whole read, so a peer that trickles bytes cannot stretch it; a
  // write's bounds each wait, as a large request may take long to leave on a slow link.
  bool boundsWhole;
  // Whether the transfer is tried before the first wait: a reply's payload comes with its header,
  // so waiting for it mostly costs a system call for nothing, and a reader learns of a close or
  // reset from recv either way. A header is waited for (the reply comes a round trip after the
  // request), a write too, where the wait tells a refused or reset connection apart.
  bool triesFirst;
};

const Direction reading{platform::waitReadable,
                        830,
                        "select returns except_fds inside kvl_socketread",
                        "An error occured while executing kvl_socketread",
                        "A timeout error occured inside kvl_socketread",
                        830,
                        "An error occured while executing sock_read",
                        true,
                        false};
const Direction payloadReading = [] {
  Direction direction = reading;
  direction.triesFirst = true;
  return direction;
}();
const Direction writing{platform::waitWritable,
                        802,
                        "select returns except_fds inside kvl_socketwrite",
                        "An error occured inside kvl_socketwrite",
                        "A timeout error occured inside kvl_socketwrite",
                        820,
                        "An error occured while trying to execute sock_write",
                        false,
                        false};

// A long wait is taken in slices of this length, so that a cancel from another thread ends it even
// where shutting the socket down does not wake a waiting thread (Wine's select, for one).
constexpr int cancelSliceMs = 100;

// 1 when the socket is ready, 0 when the wait is to be repeated, -1 with the error set. A wait
// that may be sliced waits at most one slice and answers 0 when it is over.
int awaitSocket(KvlConnection* connection, const Direction& direction, int timeoutMs, bool sliced) {
  if (connection->cancelled) return fail(connection, kvlCancelled, "Operation canceled");
  const bool slice = sliced && (timeoutMs < 0 || timeoutMs > cancelSliceMs);
  switch (direction.wait(connection->socket, slice ? cancelSliceMs : timeoutMs)) {
    case platform::SocketWait::ready: return 1;
    case platform::SocketWait::exceptional: return fail(connection, direction.exceptionalCode, direction.exceptional);
    case platform::SocketWait::timedOut:
      return slice ? 0 : fail(connection, 810, direction.timedOut);
    case platform::SocketWait::failed: break;
  }
  int error = kvl_socket_error(connection->socket);
  return error != 0 ? fail(connection, error, direction.waitFailed) : 0;
}

// Moves exactly length bytes within waitMs (-1: no limit), for the whole transfer or for each
// wait as the direction says. move(viaTransport, bytes, length) answers the bytes moved, 0 when
// the peer is gone, or a failure. 0 or -1; *moved, when given, counts the bytes moved.
template <typename Byte, typename Move>
int transfer(KvlConnection* connection, const Direction& direction, Byte* bytes, std::size_t length, int waitMs,
             Move move, std::size_t* moved = nullptr) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
  while (length > 0) {
    std::ptrdiff_t done = -1;
    if (connection->transport != nullptr) {
      done = move(true, bytes, length);
    } else if (connection->socket != platform::noSocket) {
      if (direction.triesFirst) {
        if (connection->cancelled) return fail(connection, kvlCancelled, "Operation canceled");
        done = move(false, bytes, length);
      }
      if (!direction.triesFirst || done == platform::transferPending) {
        int wait = waitMs;
        if (waitMs >= 0 && direction.boundsWhole) {
          auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
          wait = static_cast<int>(std::max<decltype(left)>(left, 0));
        }
        // A wait bounded per wait rather than as a whole cannot be sliced: each slice would renew it.
        int ready = awaitSocket(connection, direction, wait, direction.boundsWhole || waitMs < 0);
        if (ready < 0) return -1;
        if (ready == 0) continue;
        done = move(false, bytes, length);
        if (done == platform::transferPending) continue;
      }
    }
    if (done < 1) return fail(connection, direction.failedCode, direction.failed);
    bytes += done;
    length -= static_cast<std::size_t>(done);
    if (moved != nullptr) *moved += static_cast<std::size_t>(done);
  }
  return 0;
}

int readExactly(KvlConnection* connection, const Direction& direction, std::uint8_t* into, std::size_t length,
                std::uint32_t timeout) {
  const int waitMs = boundedWait(connection, timeout == 0 ? -1 : milliseconds(timeout));
  return transfer(connection, direction, into, length, waitMs,
                  [connection](bool viaTransport, std::uint8_t* bytes, std::size_t count) {
                    return viaTransport ? connection->transport->receive(connection, bytes, count)
                                        : platform::receiveSome(connection->socket, bytes, count);
                  });
}

int readPayload(KvlConnection* connection, std::uint32_t timeout) {
  std::size_t size = connection->expectedSize;
  std::size_t have = 0;
  while (have < size) {
    std::size_t target = std::min(size, std::max(payloadStep, 2 * have));
    if (kvl_alloc_inbuffer(connection, target) != 0) return -1;
    if (readExactly(connection, payloadReading, connection->payload + have, target - have, timeout) != 0) return -1;
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
  Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(boundedWait(connection, milliseconds(limit)));
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
  std::lock_guard<std::mutex> lock(connection->socketMutex);
  connection->socket = socket;
  return socket;
}

void kvl_socket_close(KvlConnection* connection) {
  std::lock_guard<std::mutex> lock(connection->socketMutex);
  if (connection->socket == platform::noSocket) return;
  platform::closeSocket(connection->socket);
  connection->socket = platform::noSocket;
}

int kvl_socketwrite(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length, std::size_t* written) {
  // A time-out of 0 waits as long as a connect may, so large statements reach a busy server.
  int waitMs = milliseconds(connection->timeout > 0 ? connection->timeout : connectLimitSeconds);
  return transfer(
      connection, writing, bytes, length, waitMs,
      [connection](bool viaTransport, const std::uint8_t* at, std::size_t count) {
        return viaTransport ? connection->transport->send(connection, at, count)
                            : platform::sendSome(connection->socket, at, count);
      },
      written);
}

int kvl_socketread(KvlConnection* connection, int what, std::uint32_t timeout) {
  if (what == 1) {
    return readExactly(connection, reading, connection->replyHeader.bytes, sizeof connection->replyHeader, timeout);
  }
  return readPayload(connection, timeout);
}
