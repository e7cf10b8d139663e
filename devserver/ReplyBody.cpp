#include "devserver/ReplyBody.h"

#include "devserver/BufferRelease.h"
#include "devserver/Crypto.h"

namespace devserver {

void ReplyBody::make(const std::uint8_t* clear, std::size_t length, bool compress,
                     const AesKey* key) {
  clear_ = clear;
  clearSize_ = length;
  data_ = clear;
  size_ = length;
  compressed_ = compress && deflater_.compress(clear, length, deflated_);
  if (compressed_) {
    data_ = deflated_.data();
    size_ = deflated_.size();
  }
  sealed_ = key && size_;
  if (sealed_) {
    sealPayload(*key, data_, size_, sealedBytes_);
    data_ = sealedBytes_.data();
    size_ = sealedBytes_.size();
  }
}

void ReplyBody::releaseIfHuge() {
  devserver::releaseIfHuge(deflated_);
  devserver::releaseIfHuge(sealedBytes_);
}

}  // namespace devserver
