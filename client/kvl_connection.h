#pragma once
// The connection record, the library's one-time start-up and its error sink.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "client/kvl.h"
#include "client/kvl_aes.h"
#include "platform/Socket.h"

// The 32 big-endian bytes in front of every request and reply (offsets in kvl_framing.h).
struct KvlPacketHeader {
  std::uint8_t bytes[32];
};

// Moves the bytes of a connection that does not talk through its socket (the fuzzers feed the
// replies from memory). Each answers the bytes moved, 0 when the peer is gone, -1 on failure.
struct KvlTransport {
  std::ptrdiff_t (*receive)(KvlConnection* connection, std::uint8_t* bytes, std::size_t length);
  std::ptrdiff_t (*send)(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length);
};

constexpr std::size_t kvlTextSize = 512;  // host, user, password and error text with their NUL
// Statements in flight at once. While the client sends, it reads nothing, and the server blocks
// once its replies fill both sides' socket buffers; requests of at most these bytes, answered by
// as many replies, fit the smallest buffers of either platform, so neither side waits on the other.
constexpr std::uint32_t kvlAheadRequests = 64;
constexpr std::size_t kvlAheadBytes = std::size_t{32} << 10;

struct KvlConnection {
  std::uint32_t timeout;  // seconds, sent in every request; 0: the connect and the writes wait 12 s
  platform::SocketHandle socket;
  std::uint32_t port;
  char host[kvlTextSize];
  char user[kvlTextSize];
  char password[kvlTextSize];
  char errorMessage[kvlTextSize];
  int errorCode;
  std::uint32_t unhashedUser;
  const char* token;  // not owned
  void* userData;
  std::uint32_t encryptionLevel;  // 0, or 2, 3, 4 for AES-128, -192, -256
  AesContext encrypt;
  AesContext decrypt;
  std::uint32_t expectedSize;  // payload size of the reply being read
  std::uint8_t* payload;       // the current reply payload, until a cursor takes it
  std::uint32_t payloadLength;
  std::size_t payloadCapacity;
  // A compressed payload as it arrived, kept for the next compressed reply: its inflated form
  // becomes the payload, an allocation of its own that a cursor takes.
  std::uint8_t* packed;
  std::size_t packedCapacity;
  // The request being sent, header to data, so that it leaves in one write; kept for the next
  // request unless it grew large.
  std::uint8_t* request;
  std::size_t requestCapacity;
  KvlPacketHeader requestHeader;
  KvlPacketHeader replyHeader;
  const KvlTransport* transport;  // null: the socket
  // Statements sent ahead whose replies are still to be read, oldest first: their count, the
  // ring of their request sizes from aheadFirst on, and the sum of those sizes (each counted up
  // to the window's bytes).
  std::uint32_t repliesOwed;
  std::uint32_t aheadFirst;
  std::uint32_t aheadSizes[kvlAheadRequests];
  std::size_t aheadBytes;
  // The newest of them, gathered to leave together in one write.
  std::uint8_t* aheadOut;
  std::size_t aheadOutLength;
  std::size_t aheadOutCapacity;
  std::uint32_t aheadUnsent;
  bool gatheringAhead;  // the request being framed joins the gathered ones
  bool sendingAhead;    // the gathered ones are being written: a failure is held, not yet a loss
  // A write of gathered statements failed: the statements before them still get their replies,
  // and the first that did not leave tells the failure, which then loses the stream.
  bool lossUntold;
  int lossCode;
  char lossMessage[kvlTextSize];
  std::int64_t replyDeadline;     // steady-clock milliseconds bounding reply waits; 0: none
  std::atomic<bool> lost;         // the stream is no longer trusted: the socket is closed
  std::atomic<bool> cancelled;
  // kvl_cancel shuts the socket down from another thread: it must not meet the socket closing.
  std::mutex socketMutex;
};

// Once per process: random generator seed, AES tables, socket start-up.
void kvl_init();
// A zeroed record with the texts cut to 511 characters; null when it cannot be allocated.
KvlConnection* kvl_connection_new(const char* host, std::uint32_t port, const char* user, const char* password,
                                  std::uint32_t timeout, std::uint32_t level);
void kvl_connection_free(KvlConnection* connection);
// Marks the connection lost and closes its socket; the error stays, unless a cancel caused the
// failure. Answers -1.
int kvl_lose_stream(KvlConnection* connection);
// Stores at most 511 bytes of text, stopping early at a NUL.
void kvl_set_error_text(KvlConnection* connection, int code, const char* text, std::size_t length);
