#pragma once
// The connection's TCP socket: connecting with the record's time-out and moving exact byte
// counts, each wait bounded as the protocol asks.
#include <cstddef>
#include <cstdint>

#include "client/kvl_connection.h"

// Resolves and connects; stores and answers the socket, or -1 with the error set.
platform::SocketHandle kvl_socket_open(KvlConnection* connection);
void kvl_socket_close(KvlConnection* connection);
// Sends all bytes, each wait bounded by the record's time-out (12 s when it is 0). 0 or -1;
// *written, when given, counts the bytes that went out, also when the rest could not.
int kvl_socketwrite(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length,
                    std::size_t* written = nullptr);
// what 1: the 32-byte reply header; what 0: the expected size into the payload buffer, which
// grows as the bytes arrive. Each wait lasts at most timeout seconds (0: no limit). 0 or -1.
int kvl_socketread(KvlConnection* connection, int what, std::uint32_t timeout);
// The socket's pending error, 0 for none (also for an interrupted or pending call), or -1.
int kvl_socket_error(platform::SocketHandle socket);
