#pragma once
// A query's result: the replies it arrived in, each with an index of where every field ends, so
// that any field is found without walking its row. Local cursors hold rows that the caller added
// instead.
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
// The compact index: the fields of a group share a start, each has its end from there in 16 bits.
constexpr std::uint32_t kvlGroupFields = 16;
constexpr std::uint16_t kvlShortNull = 0x8000;

// One reply of a result. Its length array is given back once the compact index is made; a reply
// where the fields of a group exceed 32 KiB keeps it, turned in place into 32-bit ends.
struct KvlChunk {
  std::uint8_t* payload;  // owned
  const std::uint8_t* data;
  // The compact index, owned: a start within data for every group of fields, then the groups'
  // 16-bit ends, kvlShortNull added for NULL. Null for a chunk with wide ends.
  std::uint32_t* groupStarts;
  const std::uint16_t* shortEnds;
  // The wide ends, within payload: rows x stored columns, kvlNullEnd added for NULL.
  const std::uint32_t* ends;
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
