#include "statement/ByteArena.h"

#include <algorithm>
#include <cstring>

const char* ByteArena::store(const char* bytes, std::size_t length) {
  const std::size_t needed = length + 1;
  if (needed > freeBytes_) {
    // Doubling the total keeps the number of blocks logarithmic in what is stored; a value
    // larger than that gets a block of its own size.
    const std::size_t size = std::max({needed, capacity_, firstBlockSize});
    blocks_.emplace_back(new char[size]);  // not zeroed: every byte is written before it is read
    free_ = blocks_.back().get();
    freeBytes_ = size;
    capacity_ += size;
  }
  char* copy = free_;
  if (length > 0) std::memcpy(copy, bytes, length);
  copy[length] = '\0';
  free_ += needed;
  freeBytes_ -= needed;
  return copy;
}

void ByteArena::clear() {
  blocks_.clear();
  free_ = nullptr;
  freeBytes_ = 0;
  capacity_ = 0;
}
