#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "client/kvl_byte_order.h"
#include "client/kvl_cursor.h"
#include "client/kvl_framing.h"

namespace {

constexpr std::uint32_t chunkStep = 1000;

int failColumnCount(KvlConnection* connection, std::uint32_t columns) {
  char message[96];
  std::snprintf(message, sizeof message, "The result has %u columns; at most %u are supported",
                static_cast<unsigned>(columns), static_cast<unsigned>(kvlMaxColumns));
  kvl_set_error(connection, kvlTooManyColumns, message);
  return -1;
}

int failMemory(KvlConnection* connection) {
  kvl_set_error(connection, -2, "Not enought memory to allocate buffer required to build the cursor");
  return -1;
}

// Reads count NUL-terminated texts from payload[at, length); false when one runs past the end.
template <typename Store>
bool readTexts(const std::uint8_t* payload, std::uint64_t length, std::uint64_t& at, std::uint32_t count, Store store) {
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at >= length) return false;
    const void* nul = std::memchr(payload + at, '\0', static_cast<std::size_t>(length - at));
    if (nul == nullptr) return false;
    auto textLength = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - (payload + at));
    store(i, reinterpret_cast<const char*>(payload + at), textLength);
    at += textLength + 1;
  }
  return true;
}

// The first reply's column types and names, which later replies do not repeat.
KvlColumn* describeColumns(const std::uint8_t* payload, std::uint64_t length, std::uint32_t columns, bool tableNames,
                           std::uint64_t& namesAt) {
  auto* info = static_cast<KvlColumn*>(std::calloc(columns, sizeof(KvlColumn)));
  if (info == nullptr) return nullptr;
  for (std::uint32_t i = 0; i < columns; ++i) info[i].type = kvl_load_be32(payload + 4 * i);
  bool complete = readTexts(payload, length, namesAt, columns, [&](std::uint32_t i, const char* text, std::uint32_t n) {
    info[i].name = text;
    info[i].nameLength = n;
  });
  if (complete && tableNames) {
    complete = readTexts(payload, length, namesAt, columns, [&](std::uint32_t i, const char* text, std::uint32_t n) {
      info[i].table = text;
      info[i].tableLength = n;
    });
  }
  if (complete) return info;
  std::free(info);
  return nullptr;
}

bool growChunks(KvlCursor* cursor, bool partial) {
  if (cursor->chunkCount < cursor->capacity) return true;
  std::uint32_t capacity =
      cursor->capacity == 0 ? (partial ? chunkStep : 1) : std::max(chunkStep, 2 * cursor->capacity);
  auto* grown = static_cast<KvlChunk*>(std::realloc(cursor->chunks, capacity * sizeof(KvlChunk)));
  if (grown == nullptr) return false;
  cursor->chunks = grown;
  cursor->capacity = capacity;
  return true;
}

// The compact index of fields whose wide ends are given; null when the fields of a group hold
// more than a 16-bit end reaches, or without the memory.
std::uint32_t* compactIndex(const std::uint32_t* ends, std::uint64_t cells) {
  std::uint64_t groups = (cells + kvlGroupFields - 1) / kvlGroupFields;
  auto* starts = static_cast<std::uint32_t*>(
      std::malloc(static_cast<std::size_t>(groups * sizeof(std::uint32_t) + cells * sizeof(std::uint16_t))));
  if (starts == nullptr) return nullptr;
  auto* shortEnds = reinterpret_cast<std::uint16_t*>(starts + groups);
  for (std::uint64_t i = 0; i < cells; ++i) {
    if (i % kvlGroupFields == 0) starts[i / kvlGroupFields] = i == 0 ? 0 : ends[i - 1] & ~kvlNullEnd;
    std::uint32_t fromStart = (ends[i] & ~kvlNullEnd) - starts[i / kvlGroupFields];
    if (fromStart >= kvlShortNull) {
      std::free(starts);
      return nullptr;
    }
    shortEnds[i] = static_cast<std::uint16_t>(fromStart | ((ends[i] & kvlNullEnd) != 0 ? kvlShortNull : 0));
  }
  return starts;
}

// Moves what follows the length array (the first reply's names, then the data) over it and gives
// the room back. Answers the payload, which may have moved.
std::uint8_t* dropLengths(std::uint8_t* payload, std::uint64_t length, std::uint64_t lengthsAt,
                          std::uint64_t lengthBytes) {
  auto kept = static_cast<std::size_t>(length - lengthBytes);
  std::memmove(payload + lengthsAt, payload + lengthsAt + lengthBytes, kept - lengthsAt);
  auto* shrunk = kept > 0 ? static_cast<std::uint8_t*>(std::realloc(payload, kept)) : nullptr;
  // Without a smaller block the larger one still holds everything where it was moved.
  return shrunk != nullptr ? shrunk : payload;
}

// Checks one reply of a result against its own payload and adds it to the cursor, which takes
// over the payload. The cursor does not change on failure.
int appendReply(KvlConnection* connection, KvlCursor* cursor) {
  const std::uint8_t* header = connection->replyHeader.bytes;
  std::uint32_t rows = kvl_load_be32(header + kvlRowsAt);
  std::uint32_t columns = kvl_load_be32(header + kvlColumnsAt);
  std::uint8_t flags = header[kvlReplyFlagsAt];
  std::uint32_t rowid = (flags & kvlReplyRowid) ? 1 : 0;
  bool first = cursor->chunkCount == 0;
  if ((rowid && columns == 0) || cursor->rows + std::uint64_t{rows} > INT32_MAX) {
    return kvl_fail_packet_size(connection);
  }
  if (!first && (columns != cursor->columns + cursor->rowid || rowid != cursor->rowid)) {
    return kvl_fail_packet_size(connection);
  }
  const std::uint8_t* payload = connection->payload;
  std::uint64_t length = connection->payloadLength;
  std::uint64_t cells = std::uint64_t{rows} * columns;
  std::uint64_t lengthsAt = first ? 4 * std::uint64_t{columns} : 0;
  if (lengthsAt > length || cells > (length - lengthsAt) / 4) return kvl_fail_packet_size(connection);
  if (first && columns - rowid > kvlMaxColumns) return failColumnCount(connection, columns - rowid);
  std::uint64_t dataAt = lengthsAt + 4 * cells;
  KvlColumn* info = nullptr;
  if (first && columns > 0) {
    info = describeColumns(payload, length, columns, (flags & kvlReplyTableNames) != 0, dataAt);
    if (info == nullptr) return kvl_fail_packet_size(connection);
  }
  std::uint64_t dataLength = length - dataAt;
  // The lengths become the ends where they stand: the payload is the allocator's, so aligned
  // for any type, and lengthsAt is a multiple of 4. A reply that fails here is given up whole.
  auto* ends = reinterpret_cast<std::uint32_t*>(connection->payload + lengthsAt);
  std::uint64_t end = 0;
  for (std::uint64_t i = 0; i < cells; ++i) {
    std::uint32_t fieldLength = kvl_load_be32(payload + lengthsAt + 4 * i);
    bool isNull = fieldLength == KVL_NULL_LENGTH;
    if (!isNull) end += fieldLength;
    if (end > dataLength || end > INT32_MAX) {
      std::free(info);
      return kvl_fail_packet_size(connection);
    }
    ends[i] = static_cast<std::uint32_t>(end) | (isNull ? kvlNullEnd : 0);
  }
  bool partial = (flags & kvlReplyPartial) != 0;
  if (!growChunks(cursor, partial)) {
    std::free(info);
    return failMemory(connection);
  }
  std::uint32_t* groupStarts = cells > 0 ? compactIndex(ends, cells) : nullptr;
  std::uint8_t* stored = connection->payload;
  if (groupStarts != nullptr) {
    stored = dropLengths(stored, length, lengthsAt, 4 * cells);
    // The connection holds the smaller block until the chunk takes it.
    connection->payload = stored;
    connection->payloadLength = static_cast<std::uint32_t>(length - 4 * cells);
    connection->payloadCapacity = connection->payloadLength;
    dataAt -= 4 * cells;
    if (first && columns > 0) {
      // The names moved with the data: found again where they are now.
      std::free(info);
      std::uint64_t namesAt = lengthsAt;
      info = describeColumns(stored, length - 4 * cells, columns, (flags & kvlReplyTableNames) != 0, namesAt);
      if (info == nullptr) {
        std::free(groupStarts);
        return failMemory(connection);
      }
    }
  }
  KvlChunk& chunk = cursor->chunks[cursor->chunkCount++];
  chunk.payload = length > 0 ? stored : nullptr;
  chunk.data = length > 0 ? stored + dataAt : nullptr;
  chunk.groupStarts = groupStarts;
  chunk.shortEnds = groupStarts != nullptr
                        ? reinterpret_cast<const std::uint16_t*>(
                              groupStarts + (cells + kvlGroupFields - 1) / kvlGroupFields)
                        : nullptr;
  chunk.ends = length > 0 && groupStarts == nullptr ? ends : nullptr;
  chunk.lastRow = cursor->rows + rows;
  if (length > 0) {
    connection->payload = nullptr;
    connection->payloadLength = 0;
    connection->payloadCapacity = 0;
  }
  if (first) {
    cursor->columnInfo = info;
    cursor->serverSide = (flags & kvlReplyServerCursor) ? 1 : 0;
    cursor->rowid = rowid;
    cursor->columns = columns - rowid;
  }
  cursor->rows += rows;
  return 0;
}

// Whether the reply whose header was just read is a chunk with more to follow. A server-side
// cursor delivers its next rows only when asked.
bool asksForMore(const KvlConnection* connection, const KvlCursor* cursor) {
  std::uint8_t flags = connection->replyHeader.bytes[kvlReplyFlagsAt];
  bool serverSide = cursor->chunkCount == 0 ? (flags & kvlReplyServerCursor) != 0 : cursor->serverSide != 0;
  return (flags & kvlReplyPartial) != 0 && !serverSide;
}

}  // namespace

KvlCursor* kvl_cursor_build(KvlConnection* connection, KvlCursor* cursor) {
  KvlCursor* made = nullptr;
  if (cursor == nullptr) {
    cursor = made = static_cast<KvlCursor*>(std::calloc(1, sizeof(KvlCursor)));
    if (cursor == nullptr) {
      kvl_set_error(connection, -2, "Unable to allocate cursor struct");
      return nullptr;
    }
    cursor->connection = connection;
    cursor->currentRow = 1;
  }
  for (;;) {
    int end = 0;
    if (kvl_read_reply_header(connection, -1, -1, &end, 0) != 0) break;
    // The next chunk is asked for as soon as this one's header is in, so that the server produces
    // it while this one is read and taken apart.
    bool more = !end && asksForMore(connection, cursor);
    if (more && kvl_send_ack(connection, kvlAckNextChunk) != 0) break;
    if (kvl_read_reply_payload(connection, 1, end, 0) != 0) break;
    if (end) {
      if (cursor->serverSide) cursor->eof = 1;
      return cursor;
    }
    // A reply that does not parse leaves the rest of the result unread on the stream.
    if (appendReply(connection, cursor) != 0) {
      kvl_lose_stream(connection);
      break;
    }
    if (!more) return cursor;
  }
  kvl_cursor_release(made);
  return nullptr;
}

void kvl_cursor_release(KvlCursor* cursor) {
  if (cursor == nullptr) return;
  if (cursor->local == -1) {
    for (std::size_t i = 0, n = std::size_t{cursor->rows} * cursor->columns; i < n; ++i) std::free(cursor->values[i]);
    std::free(cursor->values);
    std::free(cursor->valueLengths);
    std::free(cursor->names);
  }
  for (std::uint32_t i = 0; i < cursor->chunkCount; ++i) {
    std::free(cursor->chunks[i].payload);
    std::free(cursor->chunks[i].groupStarts);
  }
  std::free(cursor->chunks);
  std::free(cursor->columnInfo);
  std::free(cursor);
}
