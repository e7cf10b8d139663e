#pragma once
// Storage for many small byte strings that live and die together: the cells of an in-memory
// result. Each stored string is copied once into a block and stays where it is until clear(),
// however much is stored after it, so pointers handed out remain valid. Blocks grow with the
// total held, so filling n bytes allocates O(log n) times, never once per string.
#include <cstddef>
#include <memory>
#include <vector>

class ByteArena {
 public:
  ByteArena() = default;
  ByteArena(const ByteArena&) = delete;
  ByteArena& operator=(const ByteArena&) = delete;

  // A copy of the `length` bytes followed by a NUL (which readers of text may rely on; the bytes
  // themselves may hold NULs).
  const char* store(const char* bytes, std::size_t length);
  // Releases every block; every pointer store() gave is invalid afterwards.
  void clear();

 private:
  static constexpr std::size_t firstBlockSize = 4096;

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  std::size_t freeBytes_ = 0;
  std::size_t capacity_ = 0;  // bytes of all blocks
};
