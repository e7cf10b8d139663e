#include <charconv>
#include <cstdlib>
#include <cstring>

#include "client/kvl.h"
#include "client/kvl_byte_order.h"
#include "client/kvl_connection.h"
#include "client/kvl_cursor.h"
#include "client/kvl_framing.h"

// The server keeps one prepared statement per connection; no handle travels on the wire.
struct KvlPreparedStatement {
  KvlConnection* connection;
  std::uint32_t reserved;
};

namespace {

int readAnyReply(KvlConnection* connection) {
  int end = 0;
  return kvl_read_reply(connection, -1, -1, 0, &end, 0);
}

// The bytes a statement's request takes on the wire: header, one length, the text and its NUL,
// and the IV of an encrypted session.
std::size_t aheadRequestSize(const KvlConnection* connection, std::size_t sqlLength) {
  return sizeof connection->requestHeader + 4 + sqlLength + 1 + (connection->encryptionLevel != 0 ? kvlIvSize : 0);
}

int headerOnlyRequest(KvlConnection* connection, std::uint8_t command) {
  kvl_write_header(connection, 0, 0, command, 0);
  if (kvl_send_request(connection, nullptr, 0, nullptr, 0) != 0) return -1;
  return readAnyReply(connection);
}

// One prepared bind: the value as the one field, or no field at all.
void preparedBind(KvlPreparedStatement* statement, int index, int type, const void* value, std::size_t length,
                  std::uint32_t zeroBlobLength) {
  KvlConnection* connection = statement->connection;
  bool hasValue = value != nullptr;
  kvl_write_header(connection, hasValue ? static_cast<std::uint32_t>(4 + length) : 0, hasValue ? 1 : 0,
                   kvlCommandPreparedBind, 0);
  std::uint8_t* header = connection->requestHeader.bytes;
  header[kvlValueTypeAt] = static_cast<std::uint8_t>(type);
  kvl_store_be32(header + kvlValueLengthAt, zeroBlobLength);
  kvl_store_be16(header + kvlParameterAt, static_cast<std::uint16_t>(index));
  std::uint8_t lengths[4];
  kvl_store_be32(lengths, static_cast<std::uint32_t>(length));
  if (kvl_send_request(connection, lengths, hasValue ? sizeof lengths : 0, static_cast<const std::uint8_t*>(value),
                       length) != 0) {
    return;
  }
  readAnyReply(connection);
}

// Numbers travel as their text, written the same way whatever the process's locale.
template <typename Number, typename... Format>
void bindNumber(KvlPreparedStatement* statement, int index, int type, Number value, Format... format) {
  char text[512];
  std::to_chars_result written = std::to_chars(text, text + sizeof text, value, format...);
  preparedBind(statement, index, type, text, static_cast<std::size_t>(written.ptr - text), 0);
}

}  // namespace

int kvl_execute(KvlConnection* connection, const char* sql) {
  kvl_clear_error(connection);
  if (kvl_send_text_request(connection, kvlCommandExecute, sql, 0, 0) != 0) return -1;
  return readAnyReply(connection);
}

int kvl_execute_ahead(KvlConnection* connection, const char* sql) {
  kvl_clear_error(connection);
  const std::size_t before = connection->aheadOutLength;
  connection->gatheringAhead = true;
  const int result = kvl_send_text_request(connection, kvlCommandExecute, sql, 0, 0);
  connection->gatheringAhead = false;
  if (result != 0) return -1;
  const auto size = static_cast<std::uint32_t>(connection->aheadOutLength - before);
  connection->aheadSizes[(connection->aheadFirst + connection->repliesOwed) % kvlAheadRequests] = size;
  connection->aheadBytes += aheadCount(size);
  ++connection->repliesOwed;
  ++connection->aheadUnsent;
  // A quarter of the window leaves at a time, so that the server runs some while the next are
  // gathered. A failure is told in turn, by the replies.
  if (connection->aheadUnsent >= kvlAheadRequests / 4 || connection->aheadOutLength >= kvlAheadBytes / 2) {
    kvl_flush_ahead(connection);
  }
  return 0;
}

int kvl_room_ahead(const KvlConnection* connection, std::size_t sqlLength) {
  if (connection->repliesOwed == 0) return 1;
  return connection->repliesOwed < kvlAheadRequests &&
         connection->aheadBytes + aheadRequestSize(connection, sqlLength) <= kvlAheadBytes;
}

int kvl_execute_reply(KvlConnection* connection) {
  // Gathered statements wait for their quarter of the window unless this reply is theirs.
  if (connection->repliesOwed == connection->aheadUnsent) kvl_flush_ahead(connection);
  if (connection->repliesOwed == 0) {
    if (!connection->lossUntold) return -2;
    connection->lossUntold = false;
    kvl_set_error(connection, connection->lossCode, connection->lossMessage);
    return kvl_lose_stream(connection);
  }
  kvl_clear_error(connection);
  connection->aheadBytes -= aheadCount(connection->aheadSizes[connection->aheadFirst]);
  connection->aheadFirst = (connection->aheadFirst + 1) % kvlAheadRequests;
  --connection->repliesOwed;
  const int result = readAnyReply(connection);
  // Bytes waiting once no reply is owed answer nothing the client sent: the replies read for the
  // statements sent ahead may have been each other's, as the protocol names no request in them.
  if (connection->repliesOwed == 0 && !connection->lost && hasUnaskedData(connection)) {
    kvl_set_error(connection, 840, "Unexpected data received from the server");
    return kvl_lose_stream(connection);
  }
  return result;
}

int kvl_replies_owed(const KvlConnection* connection) { return static_cast<int>(connection->repliesOwed); }

KvlCursor* kvl_select(KvlConnection* connection, const char* sql, int) {
  kvl_clear_error(connection);
  if (kvl_send_text_request(connection, kvlCommandQuery, sql, 0, 0) != 0) return nullptr;
  return kvl_cursor_build(connection, nullptr);
}

int kvl_commit(KvlConnection* connection) { return kvl_execute(connection, "COMMIT;"); }

int kvl_rollback(KvlConnection* connection) { return kvl_execute(connection, "ROLLBACK;"); }

int kvl_ping(KvlConnection* connection) { return kvl_execute(connection, "PING;"); }

void kvl_bind(KvlConnection* connection, const char* sql, const void* const* values, const int* lengths,
              const int* types, int count) {
  kvl_clear_error(connection);
  if (kvl_send_text_request(connection, kvlCommandBind, sql, 0, 0) != 0 || readAnyReply(connection) != 0) return;
  for (int i = 0; i < count; ++i) {
    // A NULL goes as one NUL byte; a text carries its NUL.
    static const char empty = '\0';
    const void* value = values[i];
    std::size_t length = 1;
    if (types[i] == KVL_TYPE_NULL) {
      value = &empty;
    } else if (types[i] == KVL_TYPE_BLOB) {
      length = lengths[i] < 0 ? 0 : static_cast<std::size_t>(lengths[i]);
    } else {
      length =
          (lengths[i] < 0 ? std::strlen(static_cast<const char*>(value)) : static_cast<std::size_t>(lengths[i])) + 1;
    }
    if (kvl_send_value(connection, static_cast<const std::uint8_t*>(value), length, types[i], 1) != 0 ||
        readAnyReply(connection) != 0) {
      return;
    }
  }
  kvl_send_ack(connection, kvlBindEnd);
}

KvlPreparedStatement* kvl_prepare(KvlConnection* connection, const char* sql) {
  kvl_clear_error(connection);
  if (kvl_send_text_request(connection, kvlCommandPrepare, sql, 0, 0) != 0 || readAnyReply(connection) != 0) {
    return nullptr;
  }
  auto* statement = static_cast<KvlPreparedStatement*>(std::calloc(1, sizeof(KvlPreparedStatement)));
  if (statement == nullptr) return nullptr;
  statement->connection = connection;
  return statement;
}

void kvl_prepared_bind_int(KvlPreparedStatement* statement, int index, int value) {
  bindNumber(statement, index, KVL_TYPE_INTEGER, value);
}

void kvl_prepared_bind_int64(KvlPreparedStatement* statement, int index, long long value) {
  bindNumber(statement, index, KVL_TYPE_INT64, value);
}

void kvl_prepared_bind_double(KvlPreparedStatement* statement, int index, double value) {
  // The fixed notation with six decimals, as "%f" writes it.
  bindNumber(statement, index, KVL_TYPE_DOUBLE, value, std::chars_format::fixed, 6);
}

void kvl_prepared_bind_text(KvlPreparedStatement* statement, int index, const char* text) {
  preparedBind(statement, index, KVL_TYPE_TEXT, text, std::strlen(text), 0);
}

void kvl_prepared_bind_blob(KvlPreparedStatement* statement, int index, const void* bytes, int length) {
  std::size_t size = length < 0 ? std::strlen(static_cast<const char*>(bytes)) : static_cast<std::size_t>(length);
  preparedBind(statement, index, KVL_TYPE_BLOB, bytes, size, 0);
}

void kvl_prepared_bind_null(KvlPreparedStatement* statement, int index) {
  preparedBind(statement, index, KVL_TYPE_NULL, nullptr, 0, 0);
}

void kvl_prepared_bind_zeroblob(KvlPreparedStatement* statement, int index, int length) {
  preparedBind(statement, index, KVL_TYPE_ZEROBLOB, nullptr, 0, length < 0 ? 0 : static_cast<std::uint32_t>(length));
}

int kvl_prepared_execute(KvlPreparedStatement* statement) {
  kvl_clear_error(statement->connection);
  return headerOnlyRequest(statement->connection, kvlCommandPreparedExecute);
}

KvlCursor* kvl_prepared_select(KvlPreparedStatement* statement) {
  KvlConnection* connection = statement->connection;
  kvl_clear_error(connection);
  kvl_write_header(connection, 0, 0, kvlCommandPreparedSelect, 0);
  if (kvl_send_request(connection, nullptr, 0, nullptr, 0) != 0) return nullptr;
  return kvl_cursor_build(connection, nullptr);
}

int kvl_prepared_close(KvlPreparedStatement* statement) {
  headerOnlyRequest(statement->connection, kvlCommandPreparedClose);
  std::free(statement);
  return 0;
}

KvlConnection* kvl_owner_connection(const KvlPreparedStatement* statement) { return statement->connection; }
