#pragma once
// The raw walk over a result that the driver's own walks are measured against.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "client/kvl.h"

namespace bench {

// Visits every field the way a fetch loop does: row by row with kvl_cursor_seek, then each column
// of the current row. Answers the bytes of the fields.
inline std::uint64_t walkCursor(KvlCursor* cursor) {
  const int columns = kvl_cursor_column_count(cursor);
  std::uint64_t bytes = 0;
  for (; !kvl_cursor_is_eof(cursor); kvl_cursor_seek(cursor, KVL_SEEK_NEXT)) {
    for (int column = 1; column <= columns; ++column) {
      std::uint32_t length = 0;
      const char* field = kvl_cursor_field(cursor, -1, column, &length);
      benchmark::DoNotOptimize(field);
      if (length != KVL_NULL_LENGTH) bytes += length;
    }
  }
  return bytes;
}

}  // namespace bench
