#pragma once
// The --trace file: one line per request and per reply, with the header split into its fields and
// the payload in clear, all in upper-case hexadecimal, for golden comparisons.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>

namespace devserver {

class Trace {
 public:
  bool open(const std::string& path);
  bool enabled() const { return out_.is_open(); }

  // A request: its 32-byte header, then the field lengths (none for a value packet) and the clear
  // bytes of each field.
  void request(unsigned session, const std::uint8_t* header, const std::uint8_t* lengths,
               std::size_t lengthCount, const std::uint8_t* data, std::size_t dataLength);
  // A reply: its 32-byte header as sent, then the payload before compression and encryption.
  void reply(unsigned session, const std::uint8_t* header, const std::uint8_t* payload,
             std::size_t payloadLength);
  // Bytes a fault knob sends exactly as given.
  void raw(unsigned session, const std::uint8_t* bytes, std::size_t length);

 private:
  void write(const std::string& line);

  std::mutex mutex_;
  std::ofstream out_;
};

}  // namespace devserver
