#include "devserver/Deflater.h"

#include <zlib.h>

namespace devserver {

Deflater::Deflater() : stream_(new z_stream_s()) {}

Deflater::~Deflater() {
  if (ready_) deflateEnd(stream_.get());
}

bool Deflater::compress(const std::uint8_t* data, std::size_t length,
                        std::vector<std::uint8_t>& out) {
  z_stream_s& stream = *stream_;
  if (ready_) {
    if (deflateReset(&stream) != Z_OK) return false;
  } else {
    // Replies are compressed as they are sent: the fastest level keeps the server ahead of the wire.
    if (deflateInit(&stream, Z_BEST_SPEED) != Z_OK) return false;
    ready_ = true;
  }
  out.resize(deflateBound(&stream, length));
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(length);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) return false;
  out.resize(stream.total_out);
  return true;
}

}  // namespace devserver
