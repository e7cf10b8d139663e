#pragma once
// zlib's deflate at its fastest level, with one state kept from one payload to the next: setting
// the state up anew for every payload allocates and frees about 256 KiB each time, which the
// allocator then hands back to the system and faults in again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct z_stream_s;

namespace devserver {

class Deflater {
 public:
  Deflater();
  ~Deflater();
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // The zlib stream of `length` bytes into `out`; false when zlib fails.
  bool compress(const std::uint8_t* data, std::size_t length, std::vector<std::uint8_t>& out);

 private:
  std::unique_ptr<z_stream_s> stream_;
  bool ready_ = false;  // set up on first use: most sessions never compress
};

}  // namespace devserver
