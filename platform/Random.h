#pragma once
// The operating system's cryptographic random source.
#include <cstddef>

namespace platform {

// Fills the buffer with unpredictable bytes; false when the source cannot deliver all of them.
bool randomBytes(void* buffer, std::size_t length);

}  // namespace platform
