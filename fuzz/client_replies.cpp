// Feeds arbitrary bytes to the client as everything the server answers. The first byte picks the
// session's encryption (bits 0-1), the request (bits 2-4) and a login token (bit 7); the rest is
// the reply stream, read through an in-memory transport by the real framing, login and cursor
// code.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "client/kvl.h"
#include "client/kvl_connection.h"
#include "client/kvl_login.h"

namespace {

struct Feed {
  const std::uint8_t* bytes;
  std::size_t left;
};

std::ptrdiff_t receive(KvlConnection* connection, std::uint8_t* bytes, std::size_t length) {
  auto* feed = static_cast<Feed*>(kvl_get_user_data(connection));
  std::size_t n = std::min(length, feed->left);
  std::memcpy(bytes, feed->bytes, n);
  feed->bytes += n;
  feed->left -= n;
  return static_cast<std::ptrdiff_t>(n);
}

std::ptrdiff_t send(KvlConnection*, const std::uint8_t*, std::size_t length) {
  return static_cast<std::ptrdiff_t>(length);
}

const KvlTransport memoryTransport{&receive, &send};

// A session key as an encrypted login would leave it.
void encryptAt(KvlConnection* connection, unsigned level) {
  std::uint8_t p2[20], r[20], s[20];
  for (int i = 0; i < 20; ++i) {
    p2[i] = static_cast<std::uint8_t>(3 * i);
    r[i] = static_cast<std::uint8_t>(i);
    s[i] = static_cast<std::uint8_t>(40 + i);
  }
  kvl_derive_session_keys(connection, level, p2, r, s);
  connection->encryptionLevel = level;
}

// Reads everything a caller may read; rows are bounded, a result may announce billions.
void walk(KvlCursor* cursor) {
  int columns = kvl_cursor_column_count(cursor);
  int rows = kvl_cursor_row_count(cursor);
  char buffer[16];
  for (int column = 1; column <= columns; ++column) {
    kvl_cursor_field(cursor, 0, column);
    kvl_cursor_field(cursor, -2, column);
    kvl_cursor_column_type_class(cursor, column);
  }
  for (int step = 0; step < 64 && !kvl_cursor_is_eof(cursor); ++step) {
    for (int column = 1; column <= columns; ++column) {
      std::uint32_t length = 0;
      kvl_cursor_field(cursor, -1, column, &length);
      kvl_cursor_field_double(cursor, -1, column, 0);
      kvl_cursor_field_copy(cursor, -1, column, buffer, sizeof buffer);
      std::free(kvl_cursor_field_dup(cursor, -1, column));
    }
    kvl_cursor_field_rowid(cursor, -1);
    kvl_cursor_seek(cursor, KVL_SEEK_NEXT);
  }
  for (int row : {rows, rows / 2, 1}) {
    for (int column = 1; column <= columns; ++column) kvl_cursor_field_int64(cursor, row, column, 0);
  }
  kvl_cursor_seek(cursor, KVL_SEEK_LAST);
  kvl_cursor_seek(cursor, KVL_SEEK_PREVIOUS);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  kvl_init();
  static const unsigned levels[4] = {0, 2, 3, 4};
  Feed feed{data + 1, size - 1};
  KvlConnection* connection = kvl_connection_new("fuzz", 4430, "karvell", "karvell", 12, 0);
  connection->transport = &memoryTransport;
  kvl_set_user_data(connection, &feed);
  unsigned level = levels[data[0] & 3];
  const char* token = (data[0] & 0x80) ? "token" : nullptr;
  switch ((data[0] >> 2) & 7) {
    case 0:
      if (level != 0) encryptAt(connection, level);
      if (KvlCursor* cursor = kvl_select(connection, "SELECT * FROM t;")) {
        walk(cursor);
        kvl_cursor_free(cursor);
      }
      break;
    case 1:
      if (level != 0) encryptAt(connection, level);
      kvl_execute(connection, "UPDATE t SET n = 1;");
      break;
    case 2: {
      if (level != 0) encryptAt(connection, level);
      const void* values[] = {"1", "2.5", "text", "\x01\x02", nullptr};
      const int lengths[] = {1, 3, 4, 2, 0};
      const int types[] = {KVL_TYPE_INTEGER, KVL_TYPE_DOUBLE, KVL_TYPE_TEXT, KVL_TYPE_BLOB, KVL_TYPE_NULL};
      kvl_bind(connection, "INSERT INTO t VALUES (?, ?, ?, ?, ?);", values, lengths, types, 5);
      break;
    }
    case 3:
      if (level != 0) encryptAt(connection, level);
      if (KvlPreparedStatement* statement = kvl_prepare(connection, "SELECT * FROM t WHERE n = ?;")) {
        kvl_prepared_bind_double(statement, 1, 1e300);
        if (KvlCursor* cursor = kvl_prepared_select(statement)) {
          walk(cursor);
          kvl_cursor_free(cursor);
        }
        kvl_prepared_close(statement);
      }
      break;
    case 4:
      kvl_set_token(connection, token);
      kvl_login_clear(connection);
      break;
    default:
      connection->encryptionLevel = level != 0 ? level : 2;
      kvl_set_token(connection, token);
      if (kvl_login_encrypted(connection) == 0) kvl_ping(connection);
      break;
  }
  kvl_disconnect(connection, 1);
  return 0;
}
