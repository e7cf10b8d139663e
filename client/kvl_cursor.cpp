#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "client/kvl_byte_order.h"
#include "client/kvl_cursor.h"
#include "client/kvl_framing.h"

namespace {

constexpr std::size_t numberTextSize = 64;

std::uint32_t rowsBefore(const KvlCursor* cursor, std::uint32_t chunk) {
  return chunk == 0 ? 0 : cursor->chunks[chunk - 1].lastRow;
}

// The chunk that holds row (1-based): the one in use or the next are tried before a search.
std::uint32_t chunkOf(KvlCursor* cursor, std::uint32_t row) {
  auto holds = [&](std::uint32_t chunk) {
    return chunk < cursor->chunkCount && rowsBefore(cursor, chunk) < row && row <= cursor->chunks[chunk].lastRow;
  };
  std::uint32_t chunk = cursor->chunkInUse;
  if (!holds(chunk)) {
    chunk = holds(chunk + 1) ? chunk + 1
                             : static_cast<std::uint32_t>(
                                   std::partition_point(cursor->chunks, cursor->chunks + cursor->chunkCount,
                                                        [&](const KvlChunk& c) { return c.lastRow < row; }) -
                                   cursor->chunks);
    cursor->chunkInUse = chunk;
  }
  return chunk;
}

const char* columnName(const KvlCursor* cursor, int row, std::uint32_t stored, std::uint32_t* length) {
  const KvlColumn& column = cursor->columnInfo[stored];
  if (row == 0) {
    *length = column.nameLength;
    return column.name;
  }
  *length = column.table != nullptr ? column.tableLength : KVL_NULL_LENGTH;
  return column.table;
}

// The field as a NUL-terminated text of at most 63 bytes; false for NULL or empty.
bool numberText(KvlCursor* cursor, int row, int column, char (&text)[numberTextSize]) {
  std::uint32_t length = 0;
  const char* field = kvl_cursor_field(cursor, row, column, &length);
  if (field == nullptr || length == 0) return false;
  std::size_t copied = std::min<std::size_t>(length, numberTextSize - 1);
  std::memcpy(text, field, copied);
  text[copied] = '\0';
  return true;
}

int fetchServerRows(KvlCursor* cursor) {
  KvlConnection* connection = cursor->connection;
  kvl_write_header(connection, 0, 0, kvlCommandNextChunk, 0);
  if (kvl_send_request(connection, nullptr, 0, nullptr, 0) != 0) return -1;
  return kvl_cursor_build(connection, cursor) != nullptr ? 0 : -1;
}

// A server-side cursor only moves forward, fetching rows as it runs out of them.
int seekServerSide(KvlCursor* cursor, int row) {
  if (row != KVL_SEEK_NEXT || cursor->eof) return 0;
  std::int64_t target = std::int64_t{cursor->currentRow} + 1;
  if (target > cursor->rows && fetchServerRows(cursor) != 0) cursor->eof = 1;
  if (target > cursor->rows) {
    cursor->eof = 1;
    return 0;
  }
  cursor->currentRow = static_cast<std::int32_t>(target);
  return 1;
}

}  // namespace

int kvl_cursor_column_count(const KvlCursor* cursor) { return static_cast<int>(cursor->columns); }

int kvl_cursor_row_count(const KvlCursor* cursor) {
  return cursor->serverSide ? -1 : static_cast<int>(cursor->rows);
}

int kvl_cursor_current_row(const KvlCursor* cursor) { return cursor->currentRow; }

int kvl_cursor_is_eof(KvlCursor* cursor) {
  if (cursor->rows == 0) cursor->eof = 1;
  return static_cast<int>(cursor->eof);
}

int kvl_cursor_seek(KvlCursor* cursor, int row) {
  if (cursor->serverSide) return seekServerSide(cursor, row);
  std::int64_t target;
  switch (row) {
    case KVL_SEEK_NEXT: target = std::int64_t{cursor->currentRow} + 1; break;
    case KVL_SEEK_FIRST: target = 1; break;
    case KVL_SEEK_PREVIOUS: target = std::int64_t{cursor->currentRow} - 1; break;
    case KVL_SEEK_LAST: target = cursor->rows; break;
    default: target = row; break;
  }
  if (target > cursor->rows) {
    cursor->eof = 1;
    return 0;
  }
  if (target < 0) return 0;
  cursor->currentRow = static_cast<std::int32_t>(target);
  cursor->eof = 0;
  return 1;
}

int kvl_cursor_column_type(const KvlCursor* cursor, int column) {
  if (column < 1 || static_cast<std::uint32_t>(column) > cursor->columns) return -1;
  return static_cast<int>(cursor->columnInfo[static_cast<std::uint32_t>(column) - 1 + cursor->rowid].type);
}

int kvl_cursor_column_type_class(const KvlCursor* cursor, int column) {
  if (column < 1 || static_cast<std::uint32_t>(column) > cursor->columns) return -1;
  int type = kvl_cursor_column_type(cursor, column);
  return type == 1 || type == 2 || type == 4 ? type : 3;
}

const char* kvl_cursor_field(KvlCursor* cursor, int row, int column, std::uint32_t* length) {
  std::uint32_t ignored = 0;
  if (length == nullptr) length = &ignored;
  *length = 0;
  bool rowidColumn = column == KVL_ROWID_COLUMN;
  if (rowidColumn ? cursor->rowid == 0 : column < 1 || static_cast<std::uint32_t>(column) > cursor->columns) {
    return nullptr;
  }
  if (row < -2 || (row > 0 && static_cast<std::uint32_t>(row) > cursor->rows)) return nullptr;
  if (row == -1) row = cursor->currentRow;
  std::uint32_t stored = rowidColumn ? 0 : static_cast<std::uint32_t>(column) - 1 + cursor->rowid;
  if (row == 0 || row == -2) return columnName(cursor, row, stored, length);
  // The current row of an empty result, or before the first row, holds no field.
  if (row < 1 || static_cast<std::uint32_t>(row) > cursor->rows) return nullptr;
  auto target = static_cast<std::uint32_t>(row);
  if (cursor->local == -1) {
    std::size_t cell = std::size_t{target - 1} * cursor->columns + stored;
    *length = cursor->valueLengths[cell];
    return reinterpret_cast<const char*>(cursor->values[cell]);
  }
  std::uint32_t index = chunkOf(cursor, target);
  const KvlChunk& chunk = cursor->chunks[index];
  std::size_t stride = std::size_t{cursor->columns} + cursor->rowid;
  std::size_t cell = (target - rowsBefore(cursor, index) - 1) * stride + stored;
  std::uint32_t start = 0;
  if (chunk.shortEnds != nullptr) {
    const std::uint16_t end = chunk.shortEnds[cell];
    if ((end & kvlShortNull) != 0) {
      *length = KVL_NULL_LENGTH;
      return nullptr;
    }
    const std::uint32_t fromStart =
        cell % kvlGroupFields == 0 ? 0 : std::uint32_t{chunk.shortEnds[cell - 1]} & ~std::uint32_t{kvlShortNull};
    start = chunk.groupStarts[cell / kvlGroupFields] + fromStart;
    *length = end - fromStart;
  } else {
    const std::uint32_t end = chunk.ends[cell];
    if ((end & kvlNullEnd) != 0) {
      *length = KVL_NULL_LENGTH;
      return nullptr;
    }
    start = cell == 0 ? 0 : chunk.ends[cell - 1] & ~kvlNullEnd;
    *length = end - start;
  }
  return reinterpret_cast<const char*>(chunk.data + start);
}

int kvl_cursor_field_int(KvlCursor* cursor, int row, int column, int fallback) {
  char text[numberTextSize];
  if (!numberText(cursor, row, column, text)) return fallback;
  long long value = std::strtoll(text, nullptr, 10);
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

long long kvl_cursor_field_int64(KvlCursor* cursor, int row, int column, long long fallback) {
  char text[numberTextSize];
  if (!numberText(cursor, row, column, text)) return fallback;
  return std::strtoll(text, nullptr, 10);
}

double kvl_cursor_field_double(KvlCursor* cursor, int row, int column, double fallback) {
  char text[numberTextSize];
  if (!numberText(cursor, row, column, text)) return fallback;
  // The server writes a decimal point whatever the client's locale says.
  const char* at = text;
  while (std::isspace(static_cast<unsigned char>(*at))) ++at;
  if (*at == '+') ++at;
  double value = 0;
  std::from_chars(at, text + std::strlen(text), value);
  return value;
}

long long kvl_cursor_field_rowid(KvlCursor* cursor, int row) {
  return kvl_cursor_field_int64(cursor, row, KVL_ROWID_COLUMN, 0);
}

char* kvl_cursor_field_dup(KvlCursor* cursor, int row, int column) {
  std::uint32_t length = 0;
  const char* field = kvl_cursor_field(cursor, row, column, &length);
  if (field == nullptr || length == 0) return nullptr;
  auto* copy = static_cast<char*>(std::calloc(std::size_t{length} + 1, 1));
  if (copy != nullptr) std::memcpy(copy, field, length);
  return copy;
}

char* kvl_cursor_field_copy(KvlCursor* cursor, int row, int column, char* buffer, int size) {
  if (buffer == nullptr || size < 1) return nullptr;
  std::uint32_t length = 0;
  const char* field = kvl_cursor_field(cursor, row, column, &length);
  if (field == nullptr || length == 0) return nullptr;
  std::size_t copied = std::min<std::size_t>(length, static_cast<std::size_t>(size) - 1);
  std::memcpy(buffer, field, copied);
  buffer[copied] = '\0';
  return buffer;
}

void kvl_cursor_free(KvlCursor* cursor) {
  if (cursor == nullptr) return;
  if (cursor->serverSide) {
    KvlConnection* connection = cursor->connection;
    kvl_write_header(connection, 0, 0, kvlCommandCloseCursor, 0);
    int end = 0;
    if (kvl_send_request(connection, nullptr, 0, nullptr, 0) == 0) kvl_read_reply(connection, -1, -1, 0, &end, 0);
  }
  kvl_cursor_release(cursor);
}

KvlConnection* kvl_owner_connection(const KvlCursor* cursor) { return cursor->connection; }
