#include "client/kvl_framing.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "client/kvl_byte_order.h"
#include "client/kvl_cts.h"
#include "client/kvl_random.h"
#include "client/kvl_socket.h"

namespace {

// Deflate cannot expand a stream by more than this factor.
constexpr std::uint64_t maxInflation = 1032;
// Largest data part a request header can announce, IV included.
constexpr std::size_t maxRequestData = 0xFFFFFFFFu - kvlIvSize - 64;
// The request buffer's least size, so that ordinary statements of every length share one.
constexpr std::size_t smallRequestSize = 4096;
// A request buffer up to this size stays with the connection; a larger one goes after its request.
constexpr std::size_t keptRequestSize = std::size_t{64} << 10;
// A compressed payload's buffer up to this size stays for the next one; a larger one goes.
constexpr std::size_t keptPackedSize = std::size_t{16} << 20;

int fail(KvlConnection* connection, int code, const char* message) {
  kvl_set_error(connection, code, message);
  return -1;
}

int failWrite(KvlConnection* connection) {
  return fail(connection, 820, "An error occured while trying to execute sock_write");
}

void releaseRequest(KvlConnection* connection) {
  std::free(connection->request);
  connection->request = nullptr;
  connection->requestCapacity = 0;
}

// Room for a whole request; what the buffer held before is not kept.
bool reserveRequest(KvlConnection* connection, std::size_t size) {
  if (connection->requestCapacity >= size) return true;
  releaseRequest(connection);
  std::size_t capacity = std::max(size, smallRequestSize);
  connection->request = static_cast<std::uint8_t*>(std::malloc(capacity));
  if (connection->request == nullptr) return false;
  connection->requestCapacity = capacity;
  return true;
}

void releasePayload(KvlConnection* connection) {
  std::free(connection->payload);
  connection->payload = nullptr;
  connection->payloadLength = 0;
  connection->payloadCapacity = 0;
}

// An encrypted payload is an IV and the ciphertext; its clear text ends up at the start. Once
// the session is encrypted every payload must be: whoever sits on the path could write a clear
// one.
int decryptPayload(KvlConnection* connection) {
  if (connection->replyHeader.bytes[kvlEncryptedAt] == 0) {
    if (connection->encryptionLevel != 0 && connection->payloadLength > 0) return kvl_fail_packet_size(connection);
    return 0;
  }
  if (connection->encryptionLevel == 0 || connection->payloadLength < kvlIvSize ||
      kvl_aes_cbc_decrypt(connection->payload, connection->payloadLength, &connection->decrypt) != 0) {
    return kvl_fail_packet_size(connection);
  }
  connection->payloadLength -= kvlIvSize;
  return 0;
}

int inflatePayload(KvlConnection* connection) {
  const std::uint8_t* header = connection->replyHeader.bytes;
  if ((header[kvlReplyFlagsAt] & kvlReplyCompressed) == 0) return 0;
  std::uint32_t inflatedSize = kvl_load_be32(header + kvlInflatedSizeAt);
  if (inflatedSize > maxInflation * connection->payloadLength) return kvl_fail_packet_size(connection);
  auto* inflated = static_cast<std::uint8_t*>(std::malloc(std::max<std::size_t>(inflatedSize, 1)));
  if (inflated == nullptr) return fail(connection, -2, "Not enought memory to allocate buffer required by the cursor");
  uLongf produced = inflatedSize;
  int result = uncompress(inflated, &produced, connection->payload, connection->payloadLength);
  if (result != Z_OK || produced != inflatedSize) {
    std::free(inflated);
    // Z_BUF_ERROR: a sound stream that inflates to more than the header said.
    if (result == Z_OK || result == Z_BUF_ERROR) return kvl_fail_packet_size(connection);
    return fail(connection, -5, "An error occured while trying to uncompress received cursor");
  }
  std::free(connection->packed);
  bool kept = connection->payloadCapacity <= keptPackedSize;
  if (!kept) std::free(connection->payload);
  connection->packed = kept ? connection->payload : nullptr;
  connection->packedCapacity = kept ? connection->payloadCapacity : 0;
  connection->payload = inflated;
  connection->payloadLength = inflatedSize;
  connection->payloadCapacity = std::max<std::size_t>(inflatedSize, 1);
  return 0;
}

// A compressed payload is read into the buffer the last one left, unless a payload nobody took
// still holds one.
void receiveIntoPacked(KvlConnection* connection) {
  if ((connection->replyHeader.bytes[kvlReplyFlagsAt] & kvlReplyCompressed) == 0 ||
      connection->payload != nullptr || connection->packed == nullptr) {
    return;
  }
  connection->payload = connection->packed;
  connection->payloadCapacity = connection->packedCapacity;
  connection->packed = nullptr;
  connection->packedCapacity = 0;
}

int gatherAhead(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length) {
  std::size_t needed = connection->aheadOutLength + length;
  if (needed > connection->aheadOutCapacity) {
    std::size_t capacity = std::max({needed, 2 * connection->aheadOutCapacity, smallRequestSize});
    auto* grown = static_cast<std::uint8_t*>(std::realloc(connection->aheadOut, capacity));
    if (grown == nullptr) return fail(connection, -2, "Unable to allocate encbuffer");
    connection->aheadOut = grown;
    connection->aheadOutCapacity = capacity;
  }
  std::memcpy(connection->aheadOut + connection->aheadOutLength, bytes, length);
  connection->aheadOutLength = needed;
  return 0;
}

int sendHeaderOnly(KvlConnection* connection, std::uint8_t command, std::uint8_t selector) {
  kvl_write_header(connection, 0, 0, command, selector);
  return kvl_send_request(connection, nullptr, 0, nullptr, 0);
}

}  // namespace

bool hasUnaskedData(const KvlConnection* connection) {
  return connection->transport == nullptr && connection->socket != platform::noSocket &&
         platform::waitReadable(connection->socket, 0) == platform::SocketWait::ready;
}

int kvl_fail_packet_size(KvlConnection* connection) {
  kvl_set_error(connection, 840, "Wrong PACKET SIZE received from the server");
  return kvl_lose_stream(connection);
}

void kvl_write_header(KvlConnection* connection, std::uint32_t payloadSize, std::uint32_t fieldCount,
                      std::uint8_t command, std::uint8_t selector) {
  std::uint8_t* header = connection->requestHeader.bytes;
  std::memset(header, 0, sizeof connection->requestHeader);
  if (connection->encryptionLevel != 0 && payloadSize != 0) payloadSize += kvlIvSize;
  kvl_store_be32(header + kvlSignatureAt, kvlSignature);
  kvl_store_be32(header + kvlSizeAt, payloadSize);
  header[kvlCommandAt] = command;
  header[kvlSelectorAt] = selector;
  header[kvlRequestFlagsAt] = kvlFlagAlways;
  header[kvlLevelAt] = static_cast<std::uint8_t>(connection->encryptionLevel);
  header[kvlClientKindAt] = connection->unhashedUser ? 3 : 4;
  kvl_store_be32(header + kvlFieldCountAt, fieldCount);
  kvl_store_be32(header + kvlTimeoutAt, connection->timeout);
}

int kvl_send_request(KvlConnection* connection, const std::uint8_t* lengths, std::size_t lengthBytes,
                     const std::uint8_t* data, std::size_t dataLength) {
  // Whenever the header counts an IV one is sent, also in front of empty field data.
  if (connection->lost) return fail(connection, 830, "The connection to the server was lost");
  // Every reply asked for has been read whole: bytes waiting now answer nothing the client sent,
  // and whatever it read as answers may have been another request's. An acknowledgement goes
  // out while the chunk it answers is still arriving; gathered statements are checked as they
  // leave.
  if (!connection->gatheringAhead && connection->repliesOwed == 0 &&
      connection->requestHeader.bytes[kvlCommandAt] != kvlCommandAcknowledge && hasUnaskedData(connection)) {
    kvl_set_error(connection, 840, "Unexpected data received from the server");
    return kvl_lose_stream(connection);
  }
  bool withIv = connection->encryptionLevel != 0 && kvl_load_be32(connection->requestHeader.bytes + kvlSizeAt) != 0;
  std::size_t dataAt = sizeof connection->requestHeader + lengthBytes + (withIv ? kvlIvSize : 0);
  std::size_t total = dataAt + dataLength;
  if (!reserveRequest(connection, total)) return fail(connection, -2, "Unable to allocate encbuffer");
  std::uint8_t* request = connection->request;
  std::memcpy(request, connection->requestHeader.bytes, sizeof connection->requestHeader);
  if (lengthBytes > 0) std::memcpy(request + sizeof connection->requestHeader, lengths, lengthBytes);
  if (dataLength > 0) std::memcpy(request + dataAt, data, dataLength);
  int result = 0;
  if (withIv) {
    std::uint8_t* iv = request + dataAt - kvlIvSize;
    kvl_random_bytes16(iv);
    if (kvl_aes_cbc_encrypt(request + dataAt, dataLength, iv, &connection->encrypt) != kvlIvSize + dataLength) {
      result = failWrite(connection);
    }
  }
  if (result == 0) {
    result = connection->gatheringAhead ? gatherAhead(connection, request, total)
                                        : kvl_socketwrite(connection, request, total);
  }
  if (connection->requestCapacity > keptRequestSize) releaseRequest(connection);
  return result;
}

int kvl_flush_ahead(KvlConnection* connection) {
  const std::uint32_t unsent = connection->aheadUnsent;
  if (unsent == 0) return 0;
  connection->aheadUnsent = 0;
  std::size_t written = 0;
  int result = -1;
  if (connection->lossUntold) {
    // Nothing follows a failed write.
  } else if (connection->repliesOwed == unsent && hasUnaskedData(connection)) {
    kvl_set_error(connection, 840, "Unexpected data received from the server");
  } else {
    connection->sendingAhead = true;
    result = kvl_socketwrite(connection, connection->aheadOut, connection->aheadOutLength, &written);
    connection->sendingAhead = false;
  }
  connection->aheadOutLength = 0;
  if (connection->aheadOutCapacity > keptRequestSize) {
    std::free(connection->aheadOut);
    connection->aheadOut = nullptr;
    connection->aheadOutCapacity = 0;
  }
  if (result == 0) return 0;
  // The statements that left whole are still answered; the others are owed no reply.
  std::uint32_t kept = connection->repliesOwed - unsent;
  for (std::size_t end = 0; kept < connection->repliesOwed; ++kept) {
    end += connection->aheadSizes[(connection->aheadFirst + kept) % kvlAheadRequests];
    if (end > written) break;
  }
  for (std::uint32_t k = kept; k < connection->repliesOwed; ++k) {
    connection->aheadBytes -= aheadCount(connection->aheadSizes[(connection->aheadFirst + k) % kvlAheadRequests]);
  }
  connection->repliesOwed = kept;
  if (!connection->lossUntold) {
    connection->lossUntold = true;
    // A cancel shuts the socket down under the write: whatever failed, the cancel is the cause.
    if (connection->cancelled) kvl_set_error(connection, kvlCancelled, "Operation canceled");
    connection->lossCode = connection->errorCode;
    std::memcpy(connection->lossMessage, connection->errorMessage, sizeof connection->lossMessage);
  }
  kvl_clear_error(connection);
  return -1;
}

int kvl_send_text_request(KvlConnection* connection, std::uint8_t command, const char* text, int flag,
                          int serverSide) {
  std::size_t length = std::strlen(text) + 1;
  if (length > maxRequestData - 4) return failWrite(connection);
  kvl_write_header(connection, static_cast<std::uint32_t>(4 + length), 1, command, 0);
  std::uint8_t& flags = connection->requestHeader.bytes[kvlRequestFlagsAt];
  if (flag == 1 && command != kvlCommandQuery) flags |= kvlFlagValue;
  if (serverSide == 1 && command == kvlCommandQuery) flags |= kvlFlagServerCursor;
  std::uint8_t lengths[4];
  kvl_store_be32(lengths, static_cast<std::uint32_t>(length));
  return kvl_send_request(connection, lengths, sizeof lengths, reinterpret_cast<const std::uint8_t*>(text), length);
}

int kvl_send_value(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length, int type, int bindFlag) {
  if (length > maxRequestData) return failWrite(connection);
  uLong bound = compressBound(static_cast<uLong>(length));
  auto* packed = static_cast<std::uint8_t*>(std::malloc(bound));
  uLongf packedLength = bound;
  bool compressed = packed != nullptr && compress2(packed, &packedLength, bytes, static_cast<uLong>(length),
                                                   Z_DEFAULT_COMPRESSION) == Z_OK && packedLength <= maxRequestData;
  const std::uint8_t* sent = compressed ? packed : bytes;
  std::size_t sentLength = compressed ? packedLength : length;
  kvl_write_header(connection, static_cast<std::uint32_t>(sentLength), 1,
                   bindFlag ? kvlCommandBind : kvlCommandAcknowledge, bindFlag ? kvlBindValue : 0);
  std::uint8_t* header = connection->requestHeader.bytes;
  header[kvlValueTypeAt] = static_cast<std::uint8_t>(type);
  header[kvlRequestFlagsAt] |= kvlFlagValue;
  if (compressed) {
    header[kvlRequestFlagsAt] |= kvlFlagCompressed;
    kvl_store_be32(header + kvlValueLengthAt, static_cast<std::uint32_t>(length));
  }
  int result = kvl_send_request(connection, nullptr, 0, sent, sentLength);
  std::free(packed);
  return result;
}

int kvl_send_ack(KvlConnection* connection, int code) {
  int end = 0;
  if (code == 10) {
    if (sendHeaderOnly(connection, kvlCommandAcknowledge10, 0) != 0) return -1;
    return kvl_read_reply(connection, -1, -1, 0, &end, 0);
  }
  if (code == kvlBindEnd || code == kvlBindEndOther) {
    if (sendHeaderOnly(connection, kvlCommandBind, static_cast<std::uint8_t>(code)) != 0) return -1;
    return kvl_read_reply(connection, -1, -1, 0, &end, 0);
  }
  return sendHeaderOnly(connection, kvlCommandAcknowledge, static_cast<std::uint8_t>(code));
}

int kvl_read_header(KvlConnection* connection, std::int64_t expectedSize, std::int64_t expectedFields, int* end,
                    std::uint32_t timeout) {
  const std::uint8_t* header = connection->replyHeader.bytes;
  *end = 0;
  connection->expectedSize = 0;
  if (kvl_load_be32(header + kvlSignatureAt) != kvlSignature) {
    kvl_set_error(connection, 840, "Wrong SIGNATURE HEADER from the server");
    return kvl_lose_stream(connection);
  }
  int code = kvl_load_be16(header + kvlCodeAt);
  if (code == kvlEndCode) {
    *end = 1;
    code = 0;
  }
  std::uint32_t size = kvl_load_be32(header + kvlSizeAt);
  if (code == 0 && expectedSize != -1 && size != expectedSize) return kvl_fail_packet_size(connection);
  connection->expectedSize = size;
  if (code == 0 && expectedFields != -1 && kvl_load_be32(header + kvlReplyFieldCountAt) != expectedFields) {
    kvl_set_error(connection, 840, "Wrong NUMBER OF FIELDS received from the server");
    return kvl_lose_stream(connection);
  }
  if (code == 0) return 0;
  // An error reply: its payload, if any, is the message.
  if (size > 0) {
    if (kvl_socketread(connection, 0, timeout) != 0) return -1;
    if (decryptPayload(connection) != 0) return kvl_lose_stream(connection);
  }
  const char* text = size > 0 ? reinterpret_cast<const char*>(connection->payload) : "";
  kvl_set_error_text(connection, code, text, size > 0 ? connection->payloadLength : 0);
  releasePayload(connection);
  return -1;
}

int kvl_read_reply(KvlConnection* connection, std::int64_t expectedSize, std::int64_t expectedFields, int stopAtEnd,
                   int* end, std::uint32_t timeout) {
  if (kvl_read_reply_header(connection, expectedSize, expectedFields, end, timeout) != 0) return -1;
  return kvl_read_reply_payload(connection, stopAtEnd, *end, timeout);
}

int kvl_read_reply_header(KvlConnection* connection, std::int64_t expectedSize, std::int64_t expectedFields, int* end,
                          std::uint32_t timeout) {
  if (kvl_socketread(connection, 1, timeout) != 0) return -1;
  return kvl_read_header(connection, expectedSize, expectedFields, end, timeout);
}

int kvl_read_reply_payload(KvlConnection* connection, int stopAtEnd, int end, std::uint32_t timeout) {
  connection->payloadLength = 0;
  if (connection->expectedSize == 0) return 0;
  receiveIntoPacked(connection);
  if (kvl_socketread(connection, 0, timeout) != 0) return -1;
  if (stopAtEnd && end) {
    // Read only to stay in step with the stream.
    connection->payloadLength = 0;
    return 0;
  }
  if (decryptPayload(connection) != 0 || inflatePayload(connection) != 0) return kvl_lose_stream(connection);
  return 0;
}

int kvl_alloc_inbuffer(KvlConnection* connection, std::size_t size) {
  if (connection->payloadCapacity >= size) return 0;
  auto* grown = static_cast<std::uint8_t*>(std::realloc(connection->payload, size));
  if (grown == nullptr) return fail(connection, -2, "Unable to allocate inbuffer");
  connection->payload = grown;
  connection->payloadCapacity = size;
  return 0;
}

std::uint8_t* kvl_read_data(KvlConnection* connection, std::uint32_t* length, int* end) {
  *length = 0;
  if (kvl_read_reply(connection, -1, -1, 1, end, 0) != 0) {
    int code = connection->errorCode;
    char message[kvlTextSize];
    std::memcpy(message, connection->errorMessage, sizeof message);
    kvl_send_ack(connection, kvlAckGaveUp);
    kvl_set_error(connection, code, message);
    return nullptr;
  }
  *length = connection->payloadLength;
  return connection->payload;
}
