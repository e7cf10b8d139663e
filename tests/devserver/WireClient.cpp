#include "tests/devserver/WireClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

namespace wiretest {

namespace {

void putU32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t getU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Reads a payload front to back and refuses to pass its end.
class Reader {
 public:
  explicit Reader(const Bytes& data) : data_(data) {}
  bool u32(std::uint32_t& value) {
    if (data_.size() - pos_ < 4) return false;
    value = getU32(data_.data() + pos_);
    pos_ += 4;
    return true;
  }
  bool text(std::string& value) {
    const auto* start = data_.data() + pos_;
    const void* nul = std::memchr(start, 0, data_.size() - pos_);
    if (!nul) return false;
    value.assign(reinterpret_cast<const char*>(start),
                 static_cast<const std::uint8_t*>(nul) - start);
    pos_ += value.size() + 1;
    return true;
  }
  bool bytes(std::size_t count, std::string& value) {
    if (data_.size() - pos_ < count) return false;
    value.assign(reinterpret_cast<const char*>(data_.data() + pos_), count);
    pos_ += count;
    return true;
  }
  bool atEnd() const { return pos_ == data_.size(); }
  std::size_t remaining() const { return data_.size() - pos_; }

 private:
  const Bytes& data_;
  std::size_t pos_ = 0;
};

// Lengths, then the data, of one reply's rows.
bool parseRows(Reader& reader, std::uint32_t rows, std::uint32_t columns,
               std::vector<std::uint32_t>& lengths) {
  if (std::uint64_t(rows) * columns * 4 > reader.remaining()) return false;
  lengths.resize(std::size_t(rows) * columns);
  for (auto& length : lengths)
    if (!reader.u32(length)) return false;
  return true;
}

bool parseData(Reader& reader, std::uint32_t rows, std::uint32_t columns,
               const std::vector<std::uint32_t>& lengths, std::vector<Row>& out) {
  for (std::uint32_t r = 0; r < rows; ++r) {
    Row row;
    for (std::uint32_t c = 0; c < columns; ++c) {
      const std::uint32_t length = lengths[std::size_t(r) * columns + c];
      if (length == 0xFFFFFFFF) {
        row.emplace_back();
        continue;
      }
      std::string value;
      if (!reader.bytes(length, value)) return false;
      row.emplace_back(std::move(value));
    }
    out.push_back(std::move(row));
  }
  return reader.atEnd();
}

}  // namespace

Bytes textField(const std::string& text) {
  Bytes field(text.begin(), text.end());
  field.push_back(0);
  return field;
}

WireClient::WireClient(int port) {
  socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(socket_);
    socket_ = -1;
    return;
  }
  const int on = 1;
  setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  // A server that never answers fails the test instead of hanging it.
  timeval limit{30, 0};
  setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
}

WireClient::~WireClient() {
  if (socket_ >= 0) close(socket_);
}

bool WireClient::sendBytes(const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(socket_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

bool WireClient::send(std::uint8_t command, std::uint8_t selector, const std::vector<Bytes>& fields,
                      const RequestOptions& options) {
  return sendBytes(request(command, selector, fields, options));
}

Bytes WireClient::request(std::uint8_t command, std::uint8_t selector, const std::vector<Bytes>& fields,
                          const RequestOptions& options) const {
  Bytes lengths;
  Bytes data;
  for (const Bytes& field : fields) {
    if (!options.valuePacket) putU32(lengths, static_cast<std::uint32_t>(field.size()));
    data.insert(data.end(), field.begin(), field.end());
  }
  // Encrypted sessions send IV + ciphertext for everything but login packets and empty requests.
  if (!key_.empty() && command != 1 && (!lengths.empty() || !data.empty()))
    data = ctsSeal(key_, randomBytes(16), data);
  Bytes packet;
  putU32(packet, kSignature);
  putU32(packet, static_cast<std::uint32_t>(lengths.size() + data.size()));
  packet.push_back(command);
  packet.push_back(selector);
  packet.push_back(static_cast<std::uint8_t>(options.flags | (options.valuePacket ? 0x20 : 0)));
  packet.push_back(0);
  packet.push_back(options.valueType);
  packet.push_back(options.level);
  packet.push_back(options.clientKind);
  packet.push_back(0);
  putU32(packet, static_cast<std::uint32_t>(fields.size()));
  putU32(packet, options.valueLength);
  putU32(packet, options.timeout);
  packet.push_back(static_cast<std::uint8_t>(options.parameterIndex >> 8));
  packet.push_back(static_cast<std::uint8_t>(options.parameterIndex));
  packet.push_back(0);
  packet.push_back(0);
  packet.insert(packet.end(), lengths.begin(), lengths.end());
  packet.insert(packet.end(), data.begin(), data.end());
  return packet;
}

bool WireClient::readExact(std::uint8_t* data, std::size_t length) {
  while (length) {
    const ssize_t got = recv(socket_, data, length, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    length -= static_cast<std::size_t>(got);
  }
  return true;
}

Reply WireClient::read() {
  Reply reply;
  if (!readExact(reply.header.data(), 32)) return reply;
  const std::uint8_t* h = reply.header.data();
  reply.size = getU32(h + 4);
  reply.code = static_cast<std::uint16_t>(h[8] << 8 | h[9]);
  reply.flags = h[10];
  reply.encrypted = h[11] != 0;
  reply.clearSize = getU32(h + 12);
  reply.rows = getU32(h + 16);
  reply.columns = getU32(h + 20);
  reply.fieldCount = getU32(h + 24);
  if (getU32(h) != kSignature) return reply;
  reply.payload.resize(reply.size);
  if (!readExact(reply.payload.data(), reply.size)) return reply;
  if (reply.encrypted) {
    if (key_.empty() || reply.size < 16) return reply;
    reply.payload = ctsOpen(key_, reply.payload);
  }
  if (reply.flags & 0x08) {
    Bytes inflated(reply.clearSize ? reply.clearSize : 1);
    uLongf length = reply.clearSize;
    if (uncompress(inflated.data(), &length, reply.payload.data(), reply.payload.size()) != Z_OK ||
        length != reply.clearSize)
      return reply;
    inflated.resize(length);
    reply.payload = std::move(inflated);
  }
  reply.ok = true;
  return reply;
}

bool WireClient::peerClosed() {
  pollfd wait{socket_, POLLIN, 0};
  if (poll(&wait, 1, 5000) != 1) return false;
  std::uint8_t byte;
  return recv(socket_, &byte, 1, MSG_PEEK) == 0;
}

bool WireClient::silentFor(int milliseconds) {
  pollfd wait{socket_, POLLIN, 0};
  return poll(&wait, 1, milliseconds) == 0;
}

Reply WireClient::loginClear(const std::string& user, const std::string& password, bool hashUser,
                             const std::string& token) {
  const std::uint8_t tokenStep = token.empty() ? 0 : 20;
  RequestOptions options;
  options.clientKind = hashUser ? 4 : 3;
  const Bytes userField = textField(hashUser ? toHex(sha1(user)) : user);
  if (!send(1, 20 + tokenStep, {userField}, options)) return {};
  Reply challenge = read();
  if (!challenge.ok || challenge.code || challenge.size != 20) return challenge;
  const Bytes p2 = sha1(sha1(password));
  std::vector<Bytes> fields = {sha1(concat(challenge.payload, p2))};
  if (!token.empty()) fields.push_back(textField(token));
  if (!send(1, 21 + tokenStep, fields, options)) return {};
  return read();
}

Reply WireClient::loginEncrypted(int level, const std::string& user, const std::string& password,
                                 bool hashUser, const std::string& token) {
  const std::uint8_t tokenStep = token.empty() ? 0 : 20;
  const Bytes p1 = sha1(password);
  const Bytes p2 = sha1(p1);
  const Bytes loginKey(p2.begin(), p2.begin() + 16);
  const Bytes r = randomBytes(20);
  const Bytes iv = randomBytes(16);
  const Bytes proof = ctsSeal(loginKey, iv, concat(r, sha1(r)));
  RequestOptions options;
  options.clientKind = hashUser ? 4 : 3;
  options.level = static_cast<std::uint8_t>(level);
  const Bytes userField = textField(hashUser ? toHex(sha1(user + toHex(iv))) : user);
  if (!send(1, 22 + tokenStep, {userField, proof}, options)) return {};
  Reply answer = read();
  if (!answer.ok || answer.code || answer.size != 56) return answer;
  const Bytes clear = ctsOpen(loginKey, answer.payload);
  const Bytes s(clear.begin(), clear.begin() + 20);
  if (sha1(s) != Bytes(clear.begin() + 20, clear.end())) {
    answer.ok = false;  // the server does not know P2
    return answer;
  }
  const Bytes key = sessionKey(level, p2, r, s);
  std::vector<Bytes> fields = {ctsSeal(key, randomBytes(16), p1)};
  if (!token.empty()) fields.push_back(ctsSeal(key, randomBytes(16), textField(token)));
  options.level = 0;
  if (!send(1, 23 + tokenStep, fields, options)) return {};
  Reply done = read();
  if (done.ok && done.code == 0) key_ = key;
  return done;
}

Reply WireClient::execute(const std::string& sql) {
  if (!send(3, 0, {textField(sql)})) return {};
  return read();
}

Cursor WireClient::query(const std::string& sql) {
  if (!send(2, 0, {textField(sql)})) return {};
  return readCursor();
}

Cursor WireClient::readCursor() {
  Cursor cursor;
  std::uint32_t columns = 0;
  for (;;) {
    const Reply reply = read();
    ++cursor.replies;
    if (!reply.ok) {
      cursor.error = "no complete reply";
      return cursor;
    }
    if (reply.code == kEndCode) {
      cursor.ok = cursor.replies > 1;
      return cursor;
    }
    if (reply.code) {
      cursor.code = reply.code;
      cursor.error = reply.text();
      return cursor;
    }
    cursor.anyCompressed |= (reply.flags & 0x08) != 0;
    cursor.anyEncrypted |= reply.encrypted;
    Reader reader(reply.payload);
    std::vector<std::uint32_t> lengths;
    bool parsed = true;
    if (cursor.replies == 1) {
      columns = reply.columns;
      cursor.rowid = (reply.flags & 0x04) != 0;
      cursor.tableNames = (reply.flags & 0x80) != 0;
      cursor.types.resize(columns);
      for (auto& type : cursor.types) parsed = parsed && reader.u32(type);
      parsed = parsed && parseRows(reader, reply.rows, columns, lengths);
      cursor.names.resize(columns);
      for (auto& name : cursor.names) parsed = parsed && reader.text(name);
      if (cursor.tableNames) {
        cursor.tables.resize(columns);
        for (auto& table : cursor.tables) parsed = parsed && reader.text(table);
      }
    } else {
      parsed = reply.columns == columns && ((reply.flags & 0x04) != 0) == cursor.rowid &&
               parseRows(reader, reply.rows, columns, lengths);
    }
    if (!parsed || !parseData(reader, reply.rows, columns, lengths, cursor.rows)) {
      cursor.error = "malformed cursor reply " + std::to_string(cursor.replies);
      return cursor;
    }
    if (!(reply.flags & 0x20)) {
      cursor.ok = true;
      return cursor;
    }
    if (!send(9, 25, {})) {
      cursor.error = "cannot acknowledge";
      return cursor;
    }
  }
}

}  // namespace wiretest
