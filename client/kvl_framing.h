#pragma once
// Requests and replies: the 32-byte headers, the payload encryption and compression, and the
// checks every reply passes before its payload is used.
#include <cstddef>
#include <cstdint>

#include "client/kvl_connection.h"

// Header offsets.
constexpr std::size_t kvlSignatureAt = 0;
constexpr std::size_t kvlSizeAt = 4;
constexpr std::size_t kvlCommandAt = 8;     // request: command, selector, flags
constexpr std::size_t kvlSelectorAt = 9;
constexpr std::size_t kvlRequestFlagsAt = 10;
constexpr std::size_t kvlValueTypeAt = 12;
constexpr std::size_t kvlLevelAt = 13;
constexpr std::size_t kvlClientKindAt = 14;
constexpr std::size_t kvlFieldCountAt = 16;
constexpr std::size_t kvlValueLengthAt = 20;
constexpr std::size_t kvlTimeoutAt = 24;
constexpr std::size_t kvlParameterAt = 28;
constexpr std::size_t kvlCodeAt = 8;        // reply: code (16 bits), flags, encrypted
constexpr std::size_t kvlReplyFlagsAt = 10;
constexpr std::size_t kvlEncryptedAt = 11;
constexpr std::size_t kvlInflatedSizeAt = 12;
constexpr std::size_t kvlRowsAt = 16;
constexpr std::size_t kvlColumnsAt = 20;
constexpr std::size_t kvlReplyFieldCountAt = 24;

constexpr std::uint32_t kvlSignature = 0x53514C53;  // "SQLS"
constexpr int kvlEndCode = 777;                     // the end of a chunked result, not an error
constexpr std::size_t kvlIvSize = 16;

// Request flags.
constexpr std::uint8_t kvlFlagAlways = 0x01;
constexpr std::uint8_t kvlFlagCompressed = 0x08;
constexpr std::uint8_t kvlFlagValue = 0x20;
constexpr std::uint8_t kvlFlagServerCursor = 0x40;
// Reply flags.
constexpr std::uint8_t kvlReplyTableNames = 0x80;
constexpr std::uint8_t kvlReplyServerCursor = 0x40;
constexpr std::uint8_t kvlReplyPartial = 0x20;
constexpr std::uint8_t kvlReplyCompressed = 0x08;
constexpr std::uint8_t kvlReplyRowid = 0x04;

enum : std::uint8_t {
  kvlCommandLogin = 1,
  kvlCommandQuery = 2,
  kvlCommandExecute = 3,
  kvlCommandClose = 7,
  kvlCommandAcknowledge = 9,
  kvlCommandAcknowledge10 = 10,
  kvlCommandNextChunk = 11,
  kvlCommandCloseCursor = 12,
  kvlCommandBind = 19,
  kvlCommandPrepare = 50,
  kvlCommandPreparedBind = 51,
  kvlCommandPreparedExecute = 52,
  kvlCommandPreparedSelect = 53,
  kvlCommandPreparedClose = 54,
};

// Acknowledgement codes (also the selectors of the bind exchange).
enum : int {
  kvlAckNextChunk = 25,
  kvlAckGaveUp = 26,
  kvlBindValue = 27,
  kvlBindEnd = 28,
  kvlBindEndOther = 29,
};

// Bytes wait on the socket (never for a connection with a transport of its own).
bool hasUnaskedData(const KvlConnection* connection);
// Sets error 840 "Wrong PACKET SIZE received from the server" and answers -1.
int kvl_fail_packet_size(KvlConnection* connection);

// Fills the request header; an encrypted connection counts 16 IV bytes into a non-zero size.
void kvl_write_header(KvlConnection* connection, std::uint32_t payloadSize, std::uint32_t fieldCount,
                      std::uint8_t command, std::uint8_t selector);
// Sends the header, the clear length array and the data (behind a fresh IV when the header
// counts one) in one write. 0 or -1.
int kvl_send_request(KvlConnection* connection, const std::uint8_t* lengths, std::size_t lengthBytes,
                     const std::uint8_t* data, std::size_t dataLength);
// A statement's size as the window of statements sent ahead counts it.
inline std::size_t aheadCount(std::size_t size) { return size < kvlAheadBytes ? size : kvlAheadBytes; }
// Writes the gathered statements. When that fails (or bytes wait that nobody asked for), the
// statements that did not leave whole are owed no reply, and the failure is held for the first of
// them to tell (lossUntold); the error fields are cleared. 0 or -1.
int kvl_flush_ahead(KvlConnection* connection);
// One text field with its NUL. flag sets header flag 0x20 (not for queries), serverSide 0x40
// (queries only).
int kvl_send_text_request(KvlConnection* connection, std::uint8_t command, const char* text, int flag,
                          int serverSide);
// A value packet, zlib-compressed when that works; bindFlag: of the bind exchange.
int kvl_send_value(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length, int type, int bindFlag);
int kvl_send_ack(KvlConnection* connection, int code);
// Reads one reply and its payload (decrypted and inflated); -1 for an expected size or field
// count skips that check. *end is set for the end code; stopAtEnd then skips the payload's
// processing. timeout in seconds, 0 for none. 0 or -1.
int kvl_read_reply(KvlConnection* connection, std::int64_t expectedSize, std::int64_t expectedFields, int stopAtEnd,
                   int* end, std::uint32_t timeout);
// kvl_read_reply in two steps, so that a caller may act on the header before the payload comes:
// the header (as kvl_read_reply checks it), then its payload, end being what the header said.
int kvl_read_reply_header(KvlConnection* connection, std::int64_t expectedSize, std::int64_t expectedFields, int* end,
                          std::uint32_t timeout);
int kvl_read_reply_payload(KvlConnection* connection, int stopAtEnd, int end, std::uint32_t timeout);
// Checks the reply header just read; an error reply's message is read, within the reply's
// timeout in seconds (0 for none), and stored. 0 or -1.
int kvl_read_header(KvlConnection* connection, std::int64_t expectedSize, std::int64_t expectedFields, int* end,
                    std::uint32_t timeout);
// Makes the payload buffer hold at least size bytes, keeping its contents. 0 or -1.
int kvl_alloc_inbuffer(KvlConnection* connection, std::size_t size);
// One reply's payload (still the connection's) and its length; after a failed read the server
// is told that the client gave up, and the result is null.
std::uint8_t* kvl_read_data(KvlConnection* connection, std::uint32_t* length, int* end);
