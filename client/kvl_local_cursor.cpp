#include <climits>
#include <cstdlib>
#include <cstring>

#include "client/kvl_cursor.h"

namespace {

constexpr int defaultCapacity = 100;

bool growRows(KvlCursor* cursor) {
  if (cursor->capacity > INT32_MAX / 2) return false;
  std::uint32_t capacity = 2 * cursor->capacity;
  std::size_t cells = std::size_t{capacity} * cursor->columns;
  auto* values = static_cast<std::uint8_t**>(std::realloc(cursor->values, cells * sizeof(std::uint8_t*)));
  if (values == nullptr) return false;
  cursor->values = values;
  auto* lengths = static_cast<std::uint32_t*>(std::realloc(cursor->valueLengths, cells * sizeof(std::uint32_t)));
  if (lengths == nullptr) return false;
  cursor->valueLengths = lengths;
  cursor->capacity = capacity;
  return true;
}

}  // namespace

KvlCursor* kvl_cursor_create(KvlConnection* connection, int capacity, int columns, const int* types,
                             const char* const* names) {
  if (capacity < 0 || columns < 1 || types == nullptr || names == nullptr) return nullptr;
  if (capacity < 1) capacity = defaultCapacity;
  auto* cursor = static_cast<KvlCursor*>(std::calloc(1, sizeof(KvlCursor)));
  if (cursor == nullptr) return nullptr;
  cursor->connection = connection;
  cursor->local = -1;
  cursor->currentRow = -1;
  cursor->columns = static_cast<std::uint32_t>(columns);
  cursor->capacity = static_cast<std::uint32_t>(capacity);
  std::size_t namesSize = 0;
  for (int i = 0; i < columns; ++i) namesSize += std::strlen(names[i] != nullptr ? names[i] : "") + 1;
  std::size_t cells = std::size_t{cursor->capacity} * cursor->columns;
  cursor->columnInfo = static_cast<KvlColumn*>(std::calloc(cursor->columns, sizeof(KvlColumn)));
  cursor->names = static_cast<char*>(std::malloc(namesSize));
  cursor->values = static_cast<std::uint8_t**>(std::calloc(cells, sizeof(std::uint8_t*)));
  cursor->valueLengths = static_cast<std::uint32_t*>(std::calloc(cells, sizeof(std::uint32_t)));
  if (cursor->columnInfo == nullptr || cursor->names == nullptr || cursor->values == nullptr ||
      cursor->valueLengths == nullptr) {
    kvl_cursor_release(cursor);
    return nullptr;
  }
  char* at = cursor->names;
  for (int i = 0; i < columns; ++i) {
    const char* name = names[i] != nullptr ? names[i] : "";
    std::size_t length = std::strlen(name);
    std::memcpy(at, name, length + 1);
    cursor->columnInfo[i] = KvlColumn{static_cast<std::uint32_t>(types[i]), at, static_cast<std::uint32_t>(length),
                                      nullptr, 0};
    at += length + 1;
  }
  return cursor;
}

int kvl_cursor_add_row(KvlCursor* cursor, const void* const* values, const int* lengths) {
  if (cursor == nullptr || cursor->local != -1) return 0;
  if (cursor->rows == cursor->capacity && !growRows(cursor)) return 0;
  std::size_t first = std::size_t{cursor->rows} * cursor->columns;
  for (std::uint32_t i = 0; i < cursor->columns; ++i) {
    if (lengths[i] < 0 || values[i] == nullptr) {
      cursor->values[first + i] = nullptr;
      cursor->valueLengths[first + i] = KVL_NULL_LENGTH;
      continue;
    }
    auto length = static_cast<std::size_t>(lengths[i]);
    // An empty value still gets an address: only NULL has none.
    auto* copy = static_cast<std::uint8_t*>(std::malloc(length > 0 ? length : 1));
    if (copy == nullptr) {
      while (i-- > 0) std::free(cursor->values[first + i]);
      return 0;
    }
    std::memcpy(copy, values[i], length);
    cursor->values[first + i] = copy;
    cursor->valueLengths[first + i] = static_cast<std::uint32_t>(length);
  }
  ++cursor->rows;
  if (cursor->currentRow == -1) cursor->currentRow = 1;
  return 1;
}
