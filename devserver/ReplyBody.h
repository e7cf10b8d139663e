#pragma once
// A reply's payload as it goes on the wire: compressed when asked, then sealed when there is a
// key. One thread at a time makes it, maybe not the one that sends it; it points into the clear
// payload, which must stay as it is until the reply has gone.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devserver/Deflater.h"

namespace devserver {

class AesKey;

class ReplyBody {
 public:
  // A deflate that fails leaves the payload uncompressed.
  void make(const std::uint8_t* clear, std::size_t length, bool compress, const AesKey* key);

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool compressed() const { return compressed_; }
  bool sealed() const { return sealed_; }
  const std::uint8_t* clear() const { return clear_; }
  std::size_t clearSize() const { return clearSize_; }

  void releaseIfHuge();

 private:
  Deflater deflater_;
  std::vector<std::uint8_t> deflated_;
  std::vector<std::uint8_t> sealedBytes_;
  const std::uint8_t* clear_ = nullptr;
  std::size_t clearSize_ = 0;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  bool compressed_ = false;
  bool sealed_ = false;
};

}  // namespace devserver
