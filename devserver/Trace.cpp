#include "devserver/Trace.h"

#include "devserver/ByteOrder.h"

namespace devserver {

namespace {

// Beyond this many payload bytes a line shows the start and the full size only.
constexpr std::size_t kShownBytes = 1024;

void appendHex(std::string& line, const std::uint8_t* data, std::size_t length) {
  static const char digits[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < length; ++i) {
    line += digits[data[i] >> 4];
    line += digits[data[i] & 15];
  }
}

// The header as groups of its fields' widths.
void appendGroups(std::string& line, const std::uint8_t* header, const int* widths, int count) {
  for (int i = 0; i < count; ++i) {
    if (i) line += ' ';
    appendHex(line, header, widths[i]);
    header += widths[i];
  }
}

void appendPayload(std::string& line, const std::uint8_t* data, std::size_t length) {
  line += ' ';
  appendHex(line, data, length < kShownBytes ? length : kShownBytes);
  if (length > kShownBytes) line += "... (" + std::to_string(length) + " bytes)";
}

}  // namespace

bool Trace::open(const std::string& path) {
  out_.open(path, std::ios::out | std::ios::trunc);
  return out_.is_open();
}

void Trace::request(unsigned session, const std::uint8_t* header, const std::uint8_t* lengths,
                    std::size_t lengthCount, const std::uint8_t* data, std::size_t dataLength) {
  static const int widths[] = {4, 4, 1, 1, 1, 1, 1, 1, 1, 1, 4, 4, 4, 2, 2};
  std::string line = std::to_string(session) + " > ";
  appendGroups(line, header, widths, 15);
  if (lengthCount || dataLength) line += " |";
  std::size_t offset = 0;
  for (std::size_t i = 0; i < lengthCount; ++i) {
    line += ' ';
    appendHex(line, lengths + 4 * i, 4);
  }
  if (lengthCount == 0 && dataLength) appendPayload(line, data, dataLength);
  for (std::size_t i = 0; i < lengthCount && offset < dataLength; ++i) {
    const std::size_t field = loadU32(lengths + 4 * i);
    const std::size_t shown = field < dataLength - offset ? field : dataLength - offset;
    appendPayload(line, data + offset, shown);
    offset += shown;
  }
  write(line);
}

void Trace::reply(unsigned session, const std::uint8_t* header, const std::uint8_t* payload,
                  std::size_t payloadLength) {
  static const int widths[] = {4, 4, 2, 1, 1, 4, 4, 4, 4, 4};
  std::string line = std::to_string(session) + " < ";
  appendGroups(line, header, widths, 10);
  if (payloadLength) {
    line += " |";
    appendPayload(line, payload, payloadLength);
  }
  write(line);
}

void Trace::raw(unsigned session, const std::uint8_t* bytes, std::size_t length) {
  std::string line = std::to_string(session) + " < raw";
  appendPayload(line, bytes, length);
  write(line);
}

void Trace::write(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  out_ << line << '\n';
  out_.flush();
}

}  // namespace devserver
