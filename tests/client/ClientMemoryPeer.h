#pragma once
// A server played from memory: the connection reads the queued reply bytes and its requests are
// recorded, so tests see the exact bytes on the wire and can send replies no server would.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "client/kvl_byte_order.h"
#include "client/kvl_connection.h"

namespace clienttest {

using Bytes = std::vector<std::uint8_t>;

class MemoryPeer {
 public:
  // A clear connection of user karvell with timeout 12 that talks to this peer.
  MemoryPeer() : connection_(kvl_connection_new("memory", 4430, "karvell", "karvell", 12, 0)) {
    kvl_init();
    connection_->transport = &transport_;
    kvl_set_user_data(connection_, this);
  }
  ~MemoryPeer() {
    if (connection_ != nullptr) kvl_disconnect(connection_, 0);
  }
  MemoryPeer(const MemoryPeer&) = delete;
  MemoryPeer& operator=(const MemoryPeer&) = delete;

  KvlConnection* connection() { return connection_; }
  // Hands the record over to the caller, who frees it while the peer still lives.
  KvlConnection* release() {
    KvlConnection* connection = connection_;
    connection_ = nullptr;
    return connection;
  }
  void queue(const Bytes& bytes) { incoming_.insert(incoming_.end(), bytes.begin(), bytes.end()); }
  Bytes& sent() { return sent_; }
  // How many writes the client made: a request leaves in one.
  int writes() const { return writes_; }
  std::size_t unread() const { return incoming_.size() - readAt_; }
  // From this write on (0 the first), the peer takes no more bytes.
  void refuseWritesFrom(int write) { refuseFrom_ = write; }

 private:
  static MemoryPeer& of(KvlConnection* connection) {
    return *static_cast<MemoryPeer*>(kvl_get_user_data(connection));
  }
  static std::ptrdiff_t receive(KvlConnection* connection, std::uint8_t* bytes, std::size_t length) {
    MemoryPeer& peer = of(connection);
    std::size_t n = std::min(length, peer.unread());
    std::memcpy(bytes, peer.incoming_.data() + peer.readAt_, n);
    peer.readAt_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }
  static std::ptrdiff_t send(KvlConnection* connection, const std::uint8_t* bytes, std::size_t length) {
    MemoryPeer& peer = of(connection);
    if (peer.refuseFrom_ >= 0 && peer.writes_ >= peer.refuseFrom_) return -1;
    peer.sent_.insert(peer.sent_.end(), bytes, bytes + length);
    ++peer.writes_;
    return static_cast<std::ptrdiff_t>(length);
  }

  KvlConnection* connection_;
  KvlTransport transport_{&MemoryPeer::receive, &MemoryPeer::send};
  Bytes incoming_;
  std::size_t readAt_ = 0;
  Bytes sent_;
  int writes_ = 0;
  int refuseFrom_ = -1;
};

struct Reply {
  std::uint16_t code = 0;
  std::uint8_t flags = 0;
  std::uint8_t encrypted = 0;
  std::uint32_t inflatedSize = 0;
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;
  std::uint32_t fields = 0;
  Bytes payload;
  std::int64_t announcedSize = -1;  // the payload's own size unless set
};

inline Reply endOfResult() {
  Reply reply;
  reply.code = 777;
  return reply;
}

inline void putBe32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline Bytes packet(const Reply& reply) {
  Bytes out;
  putBe32(out, 0x53514C53);
  putBe32(out, reply.announcedSize >= 0 ? static_cast<std::uint32_t>(reply.announcedSize)
                                        : static_cast<std::uint32_t>(reply.payload.size()));
  out.push_back(static_cast<std::uint8_t>(reply.code >> 8));
  out.push_back(static_cast<std::uint8_t>(reply.code));
  out.push_back(reply.flags);
  out.push_back(reply.encrypted);
  putBe32(out, reply.inflatedSize);
  putBe32(out, reply.rows);
  putBe32(out, reply.columns);
  putBe32(out, reply.fields);
  putBe32(out, 0);
  out.insert(out.end(), reply.payload.begin(), reply.payload.end());
  return out;
}

// One packet as the peer received it: its header and the bytes its size announces.
struct Packet {
  Bytes header;
  Bytes body;
};

// The packets of a byte stream by their announced sizes; a short last one keeps what arrived.
inline std::vector<Packet> packets(const Bytes& stream) {
  std::vector<Packet> out;
  for (std::size_t at = 0; at + 32 <= stream.size();) {
    std::size_t end = std::min<std::size_t>(stream.size(), at + 32 + kvl_load_be32(stream.data() + at + 4));
    auto begin = stream.begin() + static_cast<std::ptrdiff_t>(at);
    out.push_back({Bytes(begin, begin + 32), Bytes(begin + 32, stream.begin() + static_cast<std::ptrdiff_t>(end))});
    at = end;
  }
  return out;
}

// The fields of a clear request: the length array, then the fields' bytes.
inline std::vector<Bytes> fields(const Packet& packet) {
  std::uint32_t count = kvl_load_be32(packet.header.data() + 16);
  std::vector<Bytes> out;
  std::size_t at = 4 * std::size_t{count};
  for (std::uint32_t i = 0; i < count && at <= packet.body.size(); ++i) {
    std::size_t length = std::min<std::size_t>(kvl_load_be32(packet.body.data() + 4 * i), packet.body.size() - at);
    out.emplace_back(packet.body.begin() + at, packet.body.begin() + at + length);
    at += length;
  }
  return out;
}

constexpr std::uint32_t nullField = 0xFFFFFFFFu;

// A cell of a result: text, or NULL.
struct Cell {
  Cell(const char* text) : value(text), isNull(false) {}  // NOLINT: cells are written as texts
  Cell(std::nullptr_t) : isNull(true) {}                  // NOLINT
  std::string value;
  bool isNull;
};

// The payload of a result reply: the first reply of a result carries types and names, later
// chunks only lengths and data.
inline Bytes cursorPayload(const std::vector<std::uint32_t>& types, const std::vector<std::vector<Cell>>& rows,
                           const std::vector<std::string>& names, const std::vector<std::string>& tables = {}) {
  Bytes out;
  for (std::uint32_t type : types) putBe32(out, type);
  for (const auto& row : rows) {
    for (const Cell& cell : row) putBe32(out, cell.isNull ? nullField : static_cast<std::uint32_t>(cell.value.size()));
  }
  for (const auto& list : {names, tables}) {
    for (const std::string& name : list) out.insert(out.end(), name.c_str(), name.c_str() + name.size() + 1);
  }
  for (const auto& row : rows) {
    for (const Cell& cell : row) out.insert(out.end(), cell.value.begin(), cell.value.end());
  }
  return out;
}

inline Bytes chunkPayload(const std::vector<std::vector<Cell>>& rows) { return cursorPayload({}, rows, {}); }

inline std::string field(KvlCursor* cursor, int row, int column) {
  std::uint32_t length = 0;
  const char* bytes = kvl_cursor_field(cursor, row, column, &length);
  return bytes == nullptr ? std::string("<null>") : std::string(bytes, length);
}

}  // namespace clienttest
