#include "platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>

namespace platform {

namespace {

SOCKET native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

SocketWait waitFor(SocketHandle socket, bool forWriting, int timeoutMs) {
  fd_set ready;
  fd_set exceptions;
  FD_ZERO(&ready);
  FD_ZERO(&exceptions);
  FD_SET(native(socket), &ready);
  FD_SET(native(socket), &exceptions);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int result = ::select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr, &exceptions,
                        timeoutMs < 0 ? nullptr : &limit);
  if (result == SOCKET_ERROR) return ::WSAGetLastError() == WSAENOTSOCK ? SocketWait::exceptional : SocketWait::failed;
  if (result == 0) return SocketWait::timedOut;
  if (FD_ISSET(native(socket), &exceptions)) return SocketWait::exceptional;
  return SocketWait::ready;
}

std::ptrdiff_t transferResult(int result) {
  if (result != SOCKET_ERROR) return result;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? transferPending : -1;
}

int chunkLength(std::size_t length) { return length > 0x40000000u ? 0x40000000 : static_cast<int>(length); }

}  // namespace

bool startSockets() {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketHandle openStreamSocket() {
  SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket == INVALID_SOCKET) return noSocket;
  BOOL on = TRUE;
  // On, idle and interval in milliseconds; Windows sends ten probes before it gives up.
  tcp_keepalive keepAlive{1, 60000, 6000};
  DWORD returned = 0;
  ::WSAIoctl(socket, SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &returned,
             nullptr, nullptr);
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  u_long nonBlocking = 1;
  if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
    ::closesocket(socket);
    return noSocket;
  }
  return static_cast<SocketHandle>(socket);
}

int startConnect(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr.s_addr = address;
  if (::connect(native(socket), reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) return 0;
  return ::WSAGetLastError();
}

SocketWait waitWritable(SocketHandle socket, int timeoutMs) { return waitFor(socket, true, timeoutMs); }

SocketWait waitReadable(SocketHandle socket, int timeoutMs) { return waitFor(socket, false, timeoutMs); }

std::ptrdiff_t sendSome(SocketHandle socket, const void* bytes, std::size_t length) {
  return transferResult(::send(native(socket), static_cast<const char*>(bytes), chunkLength(length), 0));
}

std::ptrdiff_t receiveSome(SocketHandle socket, void* bytes, std::size_t length) {
  return transferResult(::recv(native(socket), static_cast<char*>(bytes), chunkLength(length), 0));
}

int pendingError(SocketHandle socket) {
  int error = 0;
  int size = sizeof error;
  if (::getsockopt(native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0) return -1;
  return error;
}

void closeSocket(SocketHandle socket) {
  ::shutdown(native(socket), SD_BOTH);
  ::closesocket(native(socket));
}

void shutdownSocket(SocketHandle socket) { ::shutdown(native(socket), SD_BOTH); }

}  // namespace platform
