#pragma once
// Non-blocking IPv4 TCP sockets with waits in milliseconds. Error numbers are Winsock's on every
// platform, so both builds report the same native errors.
#include <cstddef>
#include <cstdint>

namespace platform {

using SocketHandle = std::intptr_t;
constexpr SocketHandle noSocket = -1;

// Error numbers that mean "not done yet" rather than a failure.
constexpr int socketInterrupted = 10004;  // WSAEINTR
constexpr int socketWouldBlock = 10035;   // WSAEWOULDBLOCK
constexpr int socketInProgress = 10036;   // WSAEINPROGRESS

// Once per process before any other call (WSAStartup 2.2 on Windows); false when unavailable.
bool startSockets();

// The host's first IPv4 address in network byte order; a dotted address is taken as it stands.
bool resolveIpv4(const char* host, std::uint32_t& address);

// A stream socket with no-delay, in non-blocking mode; noSocket on failure. Keep-alive probes
// start after a minute of silence and give up after about another, so that a peer that vanished
// without closing (power lost, cable pulled) is found by a read that waits without a time limit.
SocketHandle openStreamSocket();

// Starts connecting to address (network order) and port: 0 when connected at once, else the
// error number (socketWouldBlock or socketInProgress while the connect is pending).
int startConnect(SocketHandle socket, std::uint32_t address, std::uint16_t port);

enum class SocketWait { ready, timedOut, exceptional, failed };
// Waits at most timeoutMs (-1: no limit). Exceptional: a failed connect or an invalid socket;
// failed: the wait itself went wrong (see pendingError).
SocketWait waitWritable(SocketHandle socket, int timeoutMs);
SocketWait waitReadable(SocketHandle socket, int timeoutMs);

// Bytes moved, 0 when the peer has closed (receive only), transferPending when the socket is not
// ready after all, -1 on failure. Interrupted calls are repeated; sending never raises SIGPIPE.
constexpr std::ptrdiff_t transferPending = -2;
std::ptrdiff_t sendSome(SocketHandle socket, const void* bytes, std::size_t length);
std::ptrdiff_t receiveSome(SocketHandle socket, void* bytes, std::size_t length);

// The socket's pending error (SO_ERROR), 0 for none, -1 when it cannot be read.
int pendingError(SocketHandle socket);

// Shuts down both directions and releases the socket.
void closeSocket(SocketHandle socket);
// Shuts down both directions without releasing the socket: a wait or a transfer on it in another
// thread returns at once.
void shutdownSocket(SocketHandle socket);

}  // namespace platform
