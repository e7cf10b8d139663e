#pragma once
// A query's result: the replies it arrived in, each with its length array turned in place into
// where every field ends, so that any field is found without walking its row and no copy of the
// reply is made. Local cursors hold rows that the caller added instead.
#include <cstddef>
#include <cstdint>

#include "client/kvl.h"
#include "client/kvl_connection.h"

struct KvlColumn {
  std::uint32_t type;
  const char* name;
  std::uint32_t nameLength;
  const char* table;  // null without table names
  std::uint32_t tableLength;
};

// A field's end with this bit set: the field is NULL (ends never exceed INT32_MAX).
constexpr std::uint32_t kvlNullEnd = 0x80000000u;

// One reply of a result.
struct KvlChunk {
  std::uint8_t* payload;  // owned
  // Within payload, where its length array was: rows x stored columns, the end of each field
  // within data, kvlNullEnd added for NULL.
  const std::uint32_t* ends;
  const std::uint8_t* data;
  std::uint32_t lastRow;  // rows of the result up to and including this chunk
};

struct KvlCursor {
  KvlConnection* connection;
  std::uint32_t columns;  // visible columns, the rowid column not counted
  std::uint32_t rows;
  std::uint32_t serverSide;
  std::uint32_t rowid;  // every stored row starts with a hidden rowid column
  std::uint32_t eof;
  std::int32_t local;  // -1 for a cursor the caller fills
  std::int32_t currentRow;
  KvlColumn* columnInfo;  // stored columns, rowid first; owned
  char* names;            // a local cursor's own copy of its names
  KvlChunk* chunks;
  std::uint32_t chunkCount;
  std::uint32_t capacity;  // entries of chunks, or a local cursor's rows
  std::uint32_t chunkInUse;
  std::uint8_t** values;  // local cursors: columns x capacity copies and their lengths
  std::uint32_t* valueLengths;
};

// Reads the replies of a result into cursor, or into a new one when it is null. On failure a
// cursor made here is freed; null then.
KvlCursor* kvl_cursor_build(KvlConnection* connection, KvlCursor* cursor);
// Frees the cursor's memory without telling the server.
void kvl_cursor_release(KvlCursor* cursor);
