#pragma once
// A session keeps its byte buffers from one request and result to the next. Freeing them each
// time lets the allocator hand their pages back to the system (madvise) only for the next request
// to fault them in again, which costs more than building a result of a thousand rows. A buffer
// that one huge request or result made grow past this is given back, so an idle session stays
// small.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devserver {

constexpr std::size_t kKeptBufferCapacity = std::size_t(4) << 20;

inline void releaseIfHuge(std::vector<std::uint8_t>& buffer) {
  if (buffer.capacity() > kKeptBufferCapacity) std::vector<std::uint8_t>().swap(buffer);
}

}  // namespace devserver
